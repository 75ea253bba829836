#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct wl_shm;
struct wl_buffer;

namespace spanlet::wayland {

/// wl_shm buffers kept for reuse: a buffer handed back is given out again for the same format
/// and size without asking the compositor for anything. Up to `keep` buffers are kept; past
/// that a free one's memory is reused for another size that fits. Each buffer has a memory file
/// and pool of its own.
class ShmBuffers {
public:
    struct Buffer {
        wl_buffer* buffer = nullptr;
        std::span<std::uint8_t> bytes; ///< stride × height bytes
        std::uint32_t format = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t stride = 0;
    };

    explicit ShmBuffers(wl_shm* shm, std::size_t keep = 8);
    ~ShmBuffers();
    ShmBuffers(const ShmBuffers&) = delete;
    ShmBuffers& operator=(const ShmBuffers&) = delete;

    /// A free buffer of this format and size, made or reused; null when memory runs out.
    Buffer* acquire(std::uint32_t format, std::int32_t width, std::int32_t height,
                    std::int32_t stride);
    /// Hands `buffer` back once the compositor is done with it.
    void release(Buffer* buffer);
    /// How many buffers were made so far (not reused), for tests of the caching.
    [[nodiscard]] std::size_t made() const noexcept { return made_; }

private:
    struct Slot;
    wl_shm* shm_;
    std::size_t keep_;
    std::size_t made_ = 0;
    std::vector<std::unique_ptr<Slot>> slots_;
};

} // namespace spanlet::wayland
