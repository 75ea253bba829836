#include "RulerSession.hpp"

#include <QWindow>
#include <cmath>
#include <cstdlib>

#include <spanlet/NumberText.hpp>

#include "support/Processes.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {

RulerSession::RulerSession()
    : ruler_(displays_, [this](WId window) { own_.add(static_cast<std::uint32_t>(window)); }) {
    const MensorPorts ports{clock_,       displays_, capture_, permission_, clipboard_, announcer_,
                            preferences_, windows_,  hotkeys_, overlays_,   ruler_,     sampler_};
    model_ = std::make_unique<Mensor>(ports, preferences_.load());
    ruler_.attach(*model_);
    model_->start();
}

RulerSession::~RulerSession() {
    ruler_.detach();
    model_.reset();
}

void RulerSession::place(RulerOrientation orientation, double length, Point origin,
                         MeasureUnit unit) {
    model_->updatePrefs([&](Preferences& p) {
        p.rulerOrientation = orientation;
        p.rulerLength = length;
        p.rulerX = origin.x;
        p.rulerY = origin.y;
        p.unit = unit;
    });
}

bool RulerSession::show() {
    if (!*model_->rulerVisible()) {
        model_->toggleRuler();
    }
    return waitUntil([this] {
        return panel() && panel()->isVisible() && panel()->windowHandle() &&
               panel()->windowHandle()->isExposed();
    });
}

bool xdo(const std::vector<std::string>& args) {
    const bool ok = xdotool(args);
    settle();
    return ok;
}

bool pointAt(const X11DisplayPort& displays, Point point) {
    for (const auto& d : displays.displays()) {
        const Rect f = d.info.frame;
        if (point.x >= f.minX() && point.x < f.maxX() && point.y >= f.minY() &&
            point.y < f.maxY()) {
            const double s = d.info.scale.factor();
            const auto x = std::lround(d.deviceFrame.x + (point.x - f.x) * s);
            const auto y = std::lround(d.deviceFrame.y + (point.y - f.y) * s);
            return xdo(
                {"mousemove", NumberText::string(double(x), 0), NumberText::string(double(y), 0)});
        }
    }
    return false;
}

QRect nativeGeometry(WId window) {
    xcb_connection_t* c = qtConnection();
    const auto id = static_cast<xcb_window_t>(window);
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr);
    if (!g) {
        return {};
    }
    xcb_translate_coordinates_reply_t* t = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, id, g->root, 0, 0), nullptr);
    QRect r;
    if (t) {
        r = QRect(t->dst_x, t->dst_y, g->width, g->height);
    }
    std::free(t);
    std::free(g);
    return r;
}

} // namespace spanlet::test
