#pragma once

#include <QObject>
#include <QRegion>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>

#include "QtXcb.hpp"
#include "XcbReply.hpp"

class QSocketNotifier;

namespace spanlet::overlayx11 {

using x11::qtConnection;
using x11::reply;

/// Sends what Qt's connection has queued, so a restacking takes effect now.
void flush();

/// Sends what `c` has queued and waits until the server has carried it out; returns the
/// sequence number of the request that made the round trip.
unsigned int roundTrip(xcb_connection_t* c);

/// roundTrip() on Qt's connection.
void sync();

/// Sets the bounding shape of `window` to `device` (window-local device pixels); an empty
/// region makes the window wholly invisible.
void setShape(std::uint32_t window, const QRegion& device);

/// Whether a compositing manager runs: someone owns the _NET_WM_CM_S0 selection (screen 0).
bool compositorRunning();

/// The window that has the keyboard focus now (it may also be None or PointerRoot).
std::uint32_t inputFocus();

/// Gives the keyboard focus to `window`. A window that is gone or not viewable cannot take
/// it, so the focus goes back to the pointer root instead.
void setInputFocus(std::uint32_t window);

/// Watches the root window, on a connection of its own, for windows being mapped, and calls
/// `mapped` with each one's id.
class MapWatcher : public QObject {
    Q_OBJECT
public:
    explicit MapWatcher(std::function<void(std::uint32_t)> mapped);
    ~MapWatcher() override;
    MapWatcher(const MapWatcher&) = delete;
    MapWatcher& operator=(const MapWatcher&) = delete;

private:
    void readEvents();

    std::function<void(std::uint32_t)> mapped_;
    xcb_connection_t* connection_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace spanlet::overlayx11
