#include <QCursor>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include <spanlet/screen/Desktop.hpp>
#include <spanlet/stillframe/ScreenDisplays.hpp>

#include "MutterMonitors.hpp"

namespace spanlet::stillframe {

namespace {

QList<QScreen*> screensPrimaryFirst() {
    QList<QScreen*> screens = QGuiApplication::screens();
    const auto at = std::find(screens.begin(), screens.end(), QGuiApplication::primaryScreen());
    if (at != screens.end()) {
        std::rotate(screens.begin(), at, at + 1);
    }
    return screens;
}

} // namespace

ScreenDisplays::ScreenDisplays()
    : screenChanges_({}, [this] {
          askDesktopScales();
          if (changed_) {
              changed_();
          }
      }) {
    const QPoint cursor = QCursor::pos();
    pointer_ = {double(cursor.x()), double(cursor.y())};
    askDesktopScales();
}

void ScreenDisplays::askDesktopScales() {
    desktopScales_.clear();
    for (const MutterMonitors::Logical& monitor :
         MutterMonitors::current(QDBusConnection::sessionBus())) {
        desktopScales_[{monitor.x, monitor.y}] = monitor.scale;
    }
}

ScreenDisplays::~ScreenDisplays() = default;

std::uint32_t ScreenDisplays::idOf(const QScreen& screen) const {
    const auto [at, added] =
        ids_.try_emplace(screen.name(), static_cast<std::uint32_t>(ids_.size() + 1));
    return at->second;
}

std::vector<ScreenInfo> ScreenDisplays::currentScreens() const {
    const QList<QScreen*> screens = screensPrimaryFirst();
    const double primaryHeight = screens.isEmpty() ? 0.0 : screens.front()->geometry().height();
    std::vector<ScreenInfo> out;
    out.reserve(static_cast<std::size_t>(screens.size()));
    for (const QScreen* screen : screens) {
        const QRect g = screen->geometry();
        const auto desktopScale = desktopScales_.find({g.x(), g.y()});
        out.push_back(Desktop::makeScreenInfo(
            idOf(*screen), {double(g.x()), double(g.y()), double(g.width()), double(g.height())},
            desktopScale != desktopScales_.end() ? desktopScale->second
                                                 : screen->devicePixelRatio(),
            primaryHeight));
    }
    return out;
}

QScreen* ScreenDisplays::screen(std::uint32_t id) const {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (idOf(*screen) == id) {
            return screen;
        }
    }
    return nullptr;
}

void ScreenDisplays::setScreensChangedHandler(std::function<void()> handler) {
    changed_ = std::move(handler);
}

void ScreenDisplays::setPointerHandler(std::function<void(Point)> handler) {
    pointerHandler_ = std::move(handler);
}

void ScreenDisplays::pointerSeen(Point at) {
    if (seen_ && at == pointer_) {
        return;
    }
    seen_ = true;
    pointer_ = at;
    if (pointerHandler_) {
        pointerHandler_(at);
    }
}

} // namespace spanlet::stillframe
