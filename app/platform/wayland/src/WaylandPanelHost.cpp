#include <QTimer>
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>
#include <wayland-client.h>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/wayland/HoleCapture.hpp>
#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/OverlayKeyboard.hpp>
#include <spanlet/wayland/OverlayMenu.hpp>
#include <spanlet/wayland/OverlayPointer.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>
#include <spanlet/wayland/WaylandDisplayPort.hpp>
#include <spanlet/wayland/WaylandPanelHost.hpp>

#include "KeysymKeys.hpp"

namespace spanlet::wayland {

namespace {

/// Names of the cursor theme's images for a cursor, the standard name first.
std::vector<std::string> cursorNames(PanelCursor cursor) {
    switch (cursor) {
    case PanelCursor::openHand:
        return {"grab", "openhand", "hand1"};
    case PanelCursor::closedHand:
        return {"grabbing", "closedhand", "fleur"};
    case PanelCursor::resizeLeftRight:
        return OverlayPointer::cursorNames(OverlayCursor::resizeLeftRight);
    case PanelCursor::resizeUpDown:
        return OverlayPointer::cursorNames(OverlayCursor::resizeUpDown);
    case PanelCursor::arrow:
        break;
    }
    return OverlayPointer::cursorNames(OverlayCursor::arrow);
}

int whole(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

WaylandPanelHost::WaylandPanelHost(WaylandConnection& connection, WaylandDisplayPort& displays,
                                   HoleCapture& holes)
    : connection_(connection), displays_(displays), holes_(holes),
      choose_(std::make_unique<QTimer>()) {
    choose_->setSingleShot(true);
    choose_->setInterval(0);
    QObject::connect(choose_.get(), &QTimer::timeout, [this] {
        closeMenu();
        if (const std::function<void()> choice = std::exchange(choice_, {})) {
            choice();
        }
    });
    holes_.setPanelHoles(
        [this](std::uint32_t displayId, PixelRect hole) { openHole(displayId, hole); },
        [this](std::uint32_t displayId, PixelRect hole) { closeHole(displayId, hole); });
    pointer_ = std::make_unique<OverlayPointer>(
        connection_,
        [this](wl_surface* surface) -> std::optional<Point> {
            if (surface_ && surface_->surface() == surface) {
                return origin_;
            }
            if (menu_ && surface == menu_->surface()) {
                return menuOrigin();
            }
            return std::nullopt;
        },
        OverlayPointer::Handlers{
            .moved =
                [this](Point at) {
                    if (menuPointer(at, 0, false)) {
                        return;
                    }
                    displays_.setPointerLocation(at);
                    if (input_ != nullptr) {
                        input_->pointerMoved(at);
                    }
                },
            .pressed =
                [this](Point at, std::uint32_t code) {
                    if (menuPointer(at, code, true)) {
                        return;
                    }
                    displays_.setPointerLocation(at);
                    if (input_ != nullptr) {
                        input_->buttonPressed(at, OverlayPointer::button(code));
                    }
                },
            .released =
                [this](Point at, std::uint32_t code) {
                    if (menuPointer(at, code, false)) {
                        return;
                    }
                    displays_.setPointerLocation(at);
                    if (input_ != nullptr) {
                        input_->buttonReleased(at, OverlayPointer::button(code));
                    }
                },
            .left =
                [this] {
                    if (menu_) {
                        menu_->hover(std::nullopt);
                    }
                    if (input_ != nullptr) {
                        input_->pointerLeft();
                    }
                },
        });
    keyboard_ = std::make_unique<OverlayKeyboard>(
        connection_,
        [this](wl_surface* surface) {
            return (surface_ && surface_->surface() == surface) ||
                   (menu_ && menu_->surface() == surface);
        },
        [this](const OverlayKeyboard::Key& key) {
            if (menu_) {
                menu_->key(overlayKeyPress(key.keysym, key.text, key.shift).key);
            } else if (input_ != nullptr) {
                OverlayKeyPress press = overlayKeyPress(key.keysym, key.text, key.shift);
                press.alt = key.alt;
                press.control = key.control;
                press.super = key.super;
                input_->keyPressed(press);
            }
        });
}

WaylandPanelHost::~WaylandPanelHost() {
    holes_.setPanelHoles({}, {});
    drop();
}

struct WaylandPanelHost::Listeners {
    static void moved(void* data, wl_callback* callback, std::uint32_t /*serial*/) {
        auto* host = static_cast<WaylandPanelHost*>(data);
        wl_callback_destroy(callback);
        // Answers come in the order the moves were made.
        if (!host->moves_.empty() && host->moves_.front().sync == callback) {
            host->origin_ = host->moves_.front().origin;
            host->moves_.pop_front();
        }
    }
    static constexpr wl_callback_listener sync{moved};
};

void WaylandPanelHost::drop() {
    menu_.reset();
    surface_.reset();
    open_.clear();
    for (const Move& move : moves_) {
        wl_callback_destroy(move.sync);
    }
    moves_.clear();
}

void WaylandPanelHost::bind(PanelPaint paint, PanelInput* input) {
    paint_ = std::move(paint);
    input_ = input;
}

void WaylandPanelHost::place(const std::optional<Rect>& frame) {
    const std::vector<ScreenInfo>& screens = connection_.outputs().screens();
    if (!frame || screens.empty()) {
        drop();
        return;
    }
    const Point centre{frame->x + frame->width / 2, frame->y + frame->height / 2};
    const ScreenInfo* screen = &screens.front();
    for (const ScreenInfo& s : screens) {
        if (s.frame.contains(centre)) {
            screen = &s;
            break;
        }
    }
    const OverlaySurface::Box box{whole(frame->x - screen->frame.x),
                                  whole(frame->y - screen->frame.y), whole(frame->width),
                                  whole(frame->height)};
    const Point origin{screen->frame.x + box.x, screen->frame.y + box.y};
    wl_output* output = connection_.outputs().output(screen->id);
    if (output == nullptr) {
        drop();
        return;
    }
    const double scale = screen->scale.factor();
    if (!surface_ || surface_->closed() || screen->id != outputId_ || scale != outputScale_) {
        // A layer surface stays on the output it was made for.
        drop();
        surface_ = std::make_unique<OverlaySurface>(connection_, output, scale, box);
        origin_ = origin;
        surface_->setResized([this] { paintAll(); });
        outputId_ = screen->id;
        outputScale_ = scale;
    } else if (box != box_) {
        surface_->place(box);
        // Pointer events the compositor sent before it moved the panel are relative to where it
        // was: the new origin holds from the answer to this sync, asked right after the move,
        // on. Otherwise a drag would overshoot by the pointer's last step.
        wl_callback* sync = wl_display_sync(connection_.display());
        wl_callback_add_listener(sync, &Listeners::sync, this);
        wl_display_flush(connection_.display());
        moves_.push_back({sync, origin});
    } else if (moves_.empty()) {
        origin_ = origin; // its output moved
    }
    box_ = box;
    pointer_->setCursor(cursorNames(cursor_), static_cast<int>(std::ceil(scale)));
}

double WaylandPanelHost::scale() const {
    return surface_ ? surface_->scale() : 1;
}

OverlayCanvas WaylandPanelHost::canvas() const {
    return {reinterpret_cast<std::uint8_t*>(surface_->canvas().data()),
            surface_->width(),
            surface_->height(),
            static_cast<std::ptrdiff_t>(surface_->width()) * 4,
            surface_->scale(),
            false};
}

void WaylandPanelHost::paintAll() {
    if (paint_ && surface_ && surface_->configured()) {
        const double s = surface_->scale();
        const Rect all{0, 0, surface_->width() / s, surface_->height() / s};
        paint_(canvas(), {&all, 1});
    }
}

void WaylandPanelHost::update(std::span<const Rect> damage) {
    if (!surface_ || !surface_->configured() || damage.empty()) {
        return;
    }
    const double s = surface_->scale();
    if (std::lround(box_.width * s) != surface_->width() ||
        std::lround(box_.height * s) != surface_->height()) {
        return; // resized: painted whole once the compositor has sized the canvas
    }
    if (paint_) {
        paint_(canvas(), damage);
    }
    std::vector<PixelRect> pixels;
    pixels.reserve(damage.size());
    for (const Rect& r : damage) {
        const DevicePixels::Span d = DevicePixels::enclosing(r, surface_->scale());
        pixels.push_back({static_cast<int>(d.minX), static_cast<int>(d.minY),
                          static_cast<int>(d.maxX - d.minX), static_cast<int>(d.maxY - d.minY)});
    }
    surface_->present(pixels);
}

void WaylandPanelHost::openHole(std::uint32_t displayId, const PixelRect& hole) {
    if (!surface_ || displayId != outputId_ || !surface_->configured()) {
        return;
    }
    // From the display's device pixels to the canvas's: the same unless the compositor scales
    // the canvas (a fractional scale without the viewporter).
    const double s = surface_->scale();
    const Rect points{hole.x / outputScale_ - box_.x, hole.y / outputScale_ - box_.y,
                      hole.width / outputScale_, hole.height / outputScale_};
    const DevicePixels::Span d = DevicePixels::enclosing(points, s);
    const int x0 = std::clamp(static_cast<int>(d.minX), 0, surface_->width());
    const int y0 = std::clamp(static_cast<int>(d.minY), 0, surface_->height());
    const int x1 = std::clamp(static_cast<int>(d.maxX), 0, surface_->width());
    const int y1 = std::clamp(static_cast<int>(d.maxY), 0, surface_->height());
    if (x1 <= x0 || y1 <= y0) {
        return; // the copy misses the panel
    }
    const PixelRect canvas{x0, y0, x1 - x0, y1 - y0};
    surface_->punch({&canvas, 1});
    open_.push_back({displayId, hole, canvas});
}

void WaylandPanelHost::closeHole(std::uint32_t displayId, const PixelRect& hole) {
    const auto found = std::find_if(open_.begin(), open_.end(), [&](const Hole& h) {
        return h.displayId == displayId && h.asked == hole;
    });
    if (found == open_.end()) {
        return;
    }
    const PixelRect canvas = found->canvas;
    open_.erase(found);
    if (surface_) {
        surface_->closeHole(canvas);
        surface_->showClosedHoles();
    }
}

void WaylandPanelHost::showMenu(Point at, std::vector<std::string> titles,
                                std::function<void(std::size_t)> chosen) {
    closeMenu();
    if (!surface_ || !surface_->configured() || titles.empty() ||
        connection_.globals().wmBase == nullptr || connection_.globals().seat == nullptr) {
        return;
    }
    menuParent_ = origin_;
    const OverlayMenu::Placement placement{surface_->layerSurface(),
                                           {at.x - origin_.x, at.y - origin_.y},
                                           static_cast<int>(std::ceil(outputScale_)),
                                           pointer_->pressSerial()};
    menu_ = std::make_unique<OverlayMenu>(
        connection_, placement, std::move(titles),
        [this, chosen = std::move(chosen)](std::optional<std::size_t> entry) {
            // Closed once its handler has returned; the choice runs after, as on a toolkit's
            // menu.
            choice_ = entry ? std::function<void()>([chosen, i = *entry] { chosen(i); })
                            : std::function<void()>();
            choose_->start();
        });
}

void WaylandPanelHost::closeMenu() {
    menu_.reset();
}

std::optional<Point> WaylandPanelHost::menuOrigin() const {
    if (!menu_ || !menu_->origin()) {
        return std::nullopt;
    }
    return Point{menuParent_.x + menu_->origin()->x, menuParent_.y + menu_->origin()->y};
}

bool WaylandPanelHost::menuPointer(Point at, std::uint32_t code, bool pressed) {
    if (!menu_) {
        return false;
    }
    const std::optional<Point> origin = menuOrigin();
    const bool over = pointer_->focus() == menu_->surface() && origin;
    menu_->route(over ? std::optional<Point>({at.x - origin->x, at.y - origin->y}) : std::nullopt,
                 code, pressed);
    return true;
}

void WaylandPanelHost::setCursor(PanelCursor cursor) {
    cursor_ = cursor;
    pointer_->setCursor(cursorNames(cursor_), static_cast<int>(std::ceil(outputScale_)));
}

} // namespace spanlet::wayland
