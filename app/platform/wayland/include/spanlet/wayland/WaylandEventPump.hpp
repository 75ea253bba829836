#pragma once

#include <memory>

class QObject;

namespace spanlet::wayland {

class WaylandConnection;

/// Runs our connection from Qt's event loop: what the compositor sends is dispatched when the
/// socket turns readable, and what our handlers queued is sent before the loop goes to sleep.
/// Needs a QCoreApplication; main thread.
class WaylandEventPump {
public:
    /// `connection` must outlive this object.
    explicit WaylandEventPump(WaylandConnection& connection);
    ~WaylandEventPump();
    WaylandEventPump(const WaylandEventPump&) = delete;
    WaylandEventPump& operator=(const WaylandEventPump&) = delete;

private:
    std::unique_ptr<QObject> context_;
};

} // namespace spanlet::wayland
