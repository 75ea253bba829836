#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <xcb/xcb.h>

#include <spanlet/screen/Desktop.hpp>
#include <spanlet/x11/SideConnection.hpp>
#include <spanlet/x11/X11DisplayPort.hpp>

#include "QtXcb.hpp"
#include "RandrMonitors.hpp"
#include "XcbReply.hpp"

namespace spanlet {

namespace {

using x11::defaultRoot;
using x11::qtConnection;

// Qt's screens with the primary moved to the front, the rest in Qt's order.
QList<QScreen*> screensPrimaryFirst() {
    QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    const auto at = std::find(screens.begin(), screens.end(), primary);
    if (at != screens.end()) {
        std::rotate(screens.begin(), at, at + 1);
    }
    return screens;
}

Rect rectOf(const QRect& r) {
    return {double(r.x()), double(r.y()), double(r.width()), double(r.height())};
}

} // namespace

X11DisplayPort::X11DisplayPort()
    : X11DisplayPort(std::make_unique<x11::SideConnection>(), nullptr) {}

X11DisplayPort::X11DisplayPort(x11::SideConnection& side) : X11DisplayPort(nullptr, &side) {}

X11DisplayPort::X11DisplayPort(std::unique_ptr<x11::SideConnection> owned,
                               x11::SideConnection* side)
    : context_(std::make_unique<QObject>()), read_(std::make_unique<QTimer>()),
      ownSide_(std::move(owned)), side_(side != nullptr ? side : ownSide_.get()),
      screenChanges_(
          [this] {
              cache_.reset();
              if (pointerHandler_) {
                  motionSeen(); // the same device pixel may now be another point
              }
          },
          // Qt reports one RandR change as several signals, all in one turn of the event loop.
          [this] {
              cache_.reset();
              if (handler_) {
                  handler_();
              }
          }) {
    read_->setTimerType(Qt::PreciseTimer);
    QObject::connect(read_.get(), &QTimer::timeout, context_.get(), [this] { readPointer(); });
    connection_ = qtConnection();
    if (connection_ != nullptr) {
        root_ = defaultRoot(connection_);
    }
}

X11DisplayPort::~X11DisplayPort() {
    // The side connection may outlive this.
    setPointerHandler(nullptr);
}

void X11DisplayPort::setScreensChangedHandler(std::function<void()> handler) {
    handler_ = std::move(handler);
}

std::vector<X11DisplayPort::Display> X11DisplayPort::displays() const {
    return knownDisplays();
}

const std::vector<X11DisplayPort::Display>& X11DisplayPort::knownDisplays() const {
    if (cache_) {
        return *cache_;
    }
    std::vector<x11::Monitor> monitors;
    if (connection_ != nullptr) {
        monitors = x11::randrMonitors(connection_, root_);
    }
    const QList<QScreen*> screens = screensPrimaryFirst();
    // The primary display's height counts even when that display has no id of its own.
    const double primaryHeight = screens.isEmpty() ? 0.0 : screens.front()->geometry().height();
    std::vector<Display> result;
    for (QScreen* screen : screens) {
        const std::string name = screen->name().toStdString();
        const auto monitor = std::find_if(monitors.begin(), monitors.end(),
                                          [&](const x11::Monitor& m) { return m.name == name; });
        if (monitor == monitors.end()) {
            continue;
        }
        result.push_back({Desktop::makeScreenInfo(monitor->id, rectOf(screen->geometry()),
                                                  screen->devicePixelRatio(), primaryHeight),
                          monitor->deviceFrame});
    }
    cache_ = std::move(result);
    return *cache_;
}

std::vector<ScreenInfo> X11DisplayPort::currentScreens() const {
    std::vector<ScreenInfo> screens;
    for (const Display& d : displays()) {
        screens.push_back(d.info);
    }
    return screens;
}

void X11DisplayPort::setPointerHandler(std::function<void(Point)> handler) {
    const bool watching = static_cast<bool>(pointerHandler_);
    pointerHandler_ = std::move(handler);
    if (watching == static_cast<bool>(pointerHandler_)) {
        return;
    }
    pushed_.reset();
    if (!pointerHandler_) {
        side_->setOnPointerMotion(nullptr);
        motionReported_ = false;
        read_->stop();
        return;
    }
    const bool polling =
        connection_ == nullptr ||
        !side_->setOnPointerMotion([this] { motionSeen(); }, [this] { motionSettled(); });
    motionReported_ = !polling;
    read_->setSingleShot(!polling);
    // The first read on the next turn: the pointer may have moved before motion was watched.
    read_->start(polling ? pollPeriod : std::chrono::milliseconds::zero());
}

void X11DisplayPort::motionSeen() {
    if (read_->isActive()) {
        return;
    }
    const auto since = std::chrono::steady_clock::now() - lastRead_;
    read_->start(since >= readGap ? std::chrono::milliseconds::zero()
                                  : std::chrono::ceil<std::chrono::milliseconds>(readGap - since));
}

void X11DisplayPort::motionSettled() {
    // A read due now is made now, not on the event loop's next turn: that turn would be one
    // more wake-up for every move.
    if (read_->isActive() && read_->remainingTime() == 0) {
        read_->stop();
        readPointer();
    }
}

void X11DisplayPort::readPointer() {
    lastRead_ = std::chrono::steady_clock::now();
    const Point p = pointerLocation();
    if (pushed_ == p) {
        return;
    }
    pushed_ = p;
    if (!pointerHandler_) {
        return;
    }
    if (pointerDispatch_) {
        pointerDispatch_([this, p] {
            if (pointerHandler_) {
                pointerHandler_(p);
            }
        });
    } else {
        pointerHandler_(p);
    }
}

Point X11DisplayPort::pointerLocation() const {
    const std::optional<Point> device = readDevicePointer();
    if (!device) {
        return {};
    }
    std::vector<Desktop::DeviceScreen> devices;
    for (const Display& d : knownDisplays()) {
        devices.push_back({d.info.frame, d.deviceFrame, d.info.scale.factor()});
    }
    return Desktop::pointFromDevicePixels(*device, devices);
}

std::optional<Point> X11DisplayPort::readDevicePointer() const {
    if (pointerQuery_ && motionReported_) {
        if (std::optional<Point> p = pointerQuery_()) {
            return p;
        }
    }
    // On the side connection this thread reads the reply itself, where on Qt's connection Qt's
    // event thread would have to wake it.
    const bool onSide = connection_ != nullptr && side_->alive();
    xcb_connection_t* c = onSide ? side_->get() : connection_;
    if (c == nullptr) {
        return std::nullopt;
    }
    const xcb_query_pointer_cookie_t cookie = xcb_query_pointer(c, root_);
    const x11::XcbReply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(c, cookie, nullptr));
    if (onSide) {
        // Also tells the overlay's presenters that the server is done with their last frame.
        side_->replied(cookie.sequence);
        side_->readQueued();
    }
    if (!pointer) {
        return std::nullopt;
    }
    return Point{double(pointer->root_x), double(pointer->root_y)};
}

} // namespace spanlet
