#pragma once

#include <memory>

#include <spanlet/wayland/WaylandConnection.hpp>

class QObject;

namespace spanlet::wayland {

/// Runs our connection from Qt's event loop: what the compositor sends is dispatched when the
/// socket turns readable, and what our handlers queued is sent before the loop goes to sleep.
/// What a turn that dispatched asks for, there and in its turn-end work (a capture's frames
/// let go, the overlay's commits, new captures), goes out in one message. Needs a
/// QCoreApplication; main thread.
class WaylandEventPump {
public:
    /// `connection` must outlive this object.
    explicit WaylandEventPump(WaylandConnection& connection);
    ~WaylandEventPump();
    WaylandEventPump(const WaylandEventPump&) = delete;
    WaylandEventPump& operator=(const WaylandEventPump&) = delete;

private:
    std::unique_ptr<QObject> context_;
    /// Open from a dispatch until the turn's work is done.
    std::unique_ptr<WaylandConnection::Batch> held_;
};

} // namespace spanlet::wayland
