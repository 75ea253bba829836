#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct xcb_connection_t;

namespace spanlet::x11 {

/// A System V shared-memory segment the X server has attached (MIT-SHM): pixels go between us
/// and the server through it instead of through the socket. Detached on both sides when
/// destroyed; the connection must outlive it.
class SharedSegment {
public:
    /// Whether the server only reads the memory (putting images) or also writes it (getting
    /// images).
    enum class Access { serverReads, serverWrites };

    /// Nothing when the memory cannot be had or the server cannot attach it.
    static std::unique_ptr<SharedSegment> make(xcb_connection_t* connection, std::size_t bytes,
                                               Access access);
    ~SharedSegment();
    SharedSegment(const SharedSegment&) = delete;
    SharedSegment& operator=(const SharedSegment&) = delete;

    [[nodiscard]] std::uint8_t* bits() const noexcept { return bits_; }
    [[nodiscard]] std::size_t size() const noexcept { return size_; }
    /// The server's name for the segment.
    [[nodiscard]] std::uint32_t id() const noexcept { return id_; }

private:
    SharedSegment(xcb_connection_t* connection, std::uint8_t* bits, std::size_t size,
                  std::uint32_t id)
        : connection_(connection), bits_(bits), size_(size), id_(id) {}

    xcb_connection_t* connection_;
    std::uint8_t* bits_;
    std::size_t size_;
    std::uint32_t id_;
};

} // namespace spanlet::x11
