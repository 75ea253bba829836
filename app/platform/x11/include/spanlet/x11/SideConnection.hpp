#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;
class QTimer;
struct xcb_connection_t;

namespace spanlet::x11 {

/// Our one X connection for everything but capture: watching the pointer move and windows being
/// mapped, putting the overlay's images, and pointer queries where the capture connection does
/// not take them. Qt's own connection is read by Qt's
/// event thread, so a reply there costs a thread hand-over; on this one the main thread reads its
/// replies itself. Main thread only.
class SideConnection {
public:
    /// Connects to $DISPLAY; alive() tells whether that worked.
    SideConnection();
    ~SideConnection();
    SideConnection(const SideConnection&) = delete;
    SideConnection& operator=(const SideConnection&) = delete;

    [[nodiscard]] bool alive() const;
    /// Null when the connection could not be made.
    [[nodiscard]] xcb_connection_t* get() const noexcept { return connection_; }
    [[nodiscard]] std::uint32_t root() const noexcept { return root_; }
    /// The largest request in bytes (with BIG-REQUESTS where the server has it), at most 4 MiB.
    [[nodiscard]] std::size_t maxRequestBytes() const noexcept { return maxRequestBytes_; }
    /// Whether the server has MIT-SHM.
    [[nodiscard]] bool sharedMemory() const noexcept { return sharedMemory_; }

    /// Reads what the server sent: each event or error tells how far it has got, and windows
    /// mapped are reported (from the event loop, never inside this call's callers).
    void readEvents();
    /// readEvents() without reading the socket: only what a reply wait already read. Call it
    /// after each reply, since the socket will not wake the event loop for those.
    void readQueued();
    /// Waits until the server has carried out every request sent so far.
    void sync();
    /// Whether the server has carried out request `sequence` (numbers wrap around).
    [[nodiscard]] bool carriedOutUpTo(unsigned int sequence) const;
    /// A reply to request `sequence` has been read: the server has carried out every request
    /// up to it, since it carries them out in order.
    void replied(unsigned int sequence) { learn(sequence); }

    /// `handler` runs with each top-level window any client maps; empty stops watching.
    void setOnWindowMapped(std::function<void(std::uint32_t)> handler);
    /// `handler` runs each time this connection reads pointer motion (XInput 2 raw motion on
    /// the root, from any device): from within any read, so it should only take note. `settled`
    /// runs after a read the event loop woke for that brought motion, outside any other call:
    /// where what was noted may be acted on at once. Empty stops watching. False, and nothing
    /// watched, when the server has no XInput 2.1.
    bool setOnPointerMotion(std::function<void()> handler, std::function<void()> settled = {});

private:
    /// Whether it read pointer motion.
    bool drain(bool readSocket);
    void learn(unsigned int sequence);
    void scheduleReport();
    void reportMapped();
    [[nodiscard]] bool isPointerMotion(const void* event) const;

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::size_t maxRequestBytes_ = 0;
    bool sharedMemory_ = false;
    /// The last request the server is known to have carried out (full sequence number).
    unsigned int carriedOut_ = 0;
    std::function<void(std::uint32_t)> onMapped_;
    std::function<void()> onMotion_;
    std::function<void()> onMotionSettled_;
    /// XInput's major opcode once it answered for version 2.1; 0 before asking, -1 without it.
    int input_ = 0;
    std::vector<std::uint32_t> mapped_; ///< read, not yet reported
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTimer> report_; ///< reports mapped windows from the event loop
};

} // namespace spanlet::x11
