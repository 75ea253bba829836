#include <wayland-client.h>

#include <spanlet/wayland/OverlayPointer.hpp>
#include <spanlet/wayland/ThemeCursor.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

namespace spanlet::wayland {

OverlayButton OverlayPointer::button(std::uint32_t code) {
    switch (code) {
    case 0x110: // BTN_LEFT
        return OverlayButton::left;
    case 0x111: // BTN_RIGHT
        return OverlayButton::right;
    default:
        return OverlayButton::other;
    }
}

std::vector<std::string> OverlayPointer::cursorNames(OverlayCursor cursor) {
    switch (cursor) {
    case OverlayCursor::crosshair:
        return {"crosshair", "cross"};
    case OverlayCursor::resizeLeftRight:
        return {"col-resize", "ew-resize", "sb_h_double_arrow"};
    case OverlayCursor::resizeUpDown:
        return {"row-resize", "ns-resize", "sb_v_double_arrow"};
    case OverlayCursor::arrow:
        break;
    }
    return {"default", "left_ptr"};
}

struct OverlayPointer::Listeners {
    static void moveTo(OverlayPointer* p, wl_fixed_t x, wl_fixed_t y) {
        // Asked again each time: a floating panel moves while it is dragged.
        p->surfaceOrigin_ = p->entered_ != nullptr ? p->origin_(p->entered_) : std::nullopt;
        if (!p->surfaceOrigin_) {
            return;
        }
        p->position_ = Point{p->surfaceOrigin_->x + wl_fixed_to_double(x),
                             p->surfaceOrigin_->y + wl_fixed_to_double(y)};
        if (p->handlers_.moved) {
            p->handlers_.moved(*p->position_);
        }
    }
    static void enter(void* data, wl_pointer* /*pointer*/, std::uint32_t serial,
                      wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
        auto* p = static_cast<OverlayPointer*>(data);
        p->entered_ = surface;
        p->surfaceOrigin_ = surface != nullptr ? p->origin_(surface) : std::nullopt;
        p->focus_ = p->surfaceOrigin_ ? surface : nullptr;
        if (p->surfaceOrigin_) {
            p->enterSerial_ = serial;
            p->showCursor();
        }
        moveTo(p, x, y);
    }
    static void leave(void* data, wl_pointer* /*pointer*/, std::uint32_t /*serial*/,
                      wl_surface* /*surface*/) {
        auto* p = static_cast<OverlayPointer*>(data);
        const bool was = p->position_.has_value();
        p->entered_ = nullptr;
        p->surfaceOrigin_.reset();
        p->focus_ = nullptr;
        p->position_.reset();
        if (was && p->handlers_.left) {
            p->handlers_.left();
        }
    }
    static void motion(void* data, wl_pointer* /*pointer*/, std::uint32_t /*time*/, wl_fixed_t x,
                       wl_fixed_t y) {
        moveTo(static_cast<OverlayPointer*>(data), x, y);
    }
    static void button(void* data, wl_pointer* /*pointer*/, std::uint32_t serial,
                       std::uint32_t /*time*/, std::uint32_t button, std::uint32_t state) {
        auto* p = static_cast<OverlayPointer*>(data);
        if (!p->position_) {
            return;
        }
        if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
            p->pressSerial_ = serial;
        }
        if (state == WL_POINTER_BUTTON_STATE_PRESSED && p->handlers_.pressed) {
            p->handlers_.pressed(*p->position_, button);
        } else if (state == WL_POINTER_BUTTON_STATE_RELEASED && p->handlers_.released) {
            p->handlers_.released(*p->position_, button);
        }
    }
    static void axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
    static void frame(void*, wl_pointer*) {}
    static void axisSource(void*, wl_pointer*, std::uint32_t) {}
    static void axisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
    static void axisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
    static void axisValue120(void*, wl_pointer*, std::uint32_t, std::int32_t) {}

    static constexpr wl_pointer_listener listener{enter,        leave,       motion,     button,
                                                  axis,         frame,       axisSource, axisStop,
                                                  axisDiscrete, axisValue120};
};

OverlayPointer::OverlayPointer(WaylandConnection& connection,
                               std::function<std::optional<Point>(wl_surface*)> origin,
                               Handlers handlers)
    : connection_(connection), origin_(std::move(origin)), handlers_(std::move(handlers)),
      cursor_(std::make_unique<ThemeCursor>(connection)) {
    seatHandler_ = connection_.addSeatHandler([this] { seatChanged(); });
    seatChanged();
}

void OverlayPointer::setCursor(std::vector<std::string> names, int scale) {
    if (names == cursorNames_ && scale == cursorScale_) {
        return;
    }
    cursorNames_ = std::move(names);
    cursorScale_ = scale;
    if (surfaceOrigin_) {
        showCursor();
    }
}

void OverlayPointer::showCursor() {
    if (pointer_ == nullptr) {
        return;
    }
    if (cursorNames_.empty()) {
        wl_pointer_set_cursor(pointer_, enterSerial_, nullptr, 0, 0);
    } else {
        cursor_->show(pointer_, enterSerial_, cursorNames_, cursorScale_);
    }
    wl_display_flush(connection_.display());
}

OverlayPointer::~OverlayPointer() {
    connection_.removeSeatHandler(seatHandler_);
    if (pointer_ != nullptr) {
        wl_pointer_release(pointer_);
    }
}

// The seat has a pointer only while some pointing device exists; ours follows it.
void OverlayPointer::seatChanged() {
    const bool has = (connection_.seatCapabilities() & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (has && pointer_ == nullptr) {
        pointer_ = wl_seat_get_pointer(connection_.globals().seat);
        wl_pointer_add_listener(pointer_, &Listeners::listener, this);
    } else if (!has && pointer_ != nullptr) {
        wl_pointer_release(pointer_);
        pointer_ = nullptr;
        Listeners::leave(this, nullptr, 0, nullptr);
    }
}

} // namespace spanlet::wayland
