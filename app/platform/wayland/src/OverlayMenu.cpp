#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>
#include <wayland-client.h>
#include <wlr-layer-shell-unstable-v1-client-protocol.h>
#include <xdg-shell-client-protocol.h>

#include <spanlet/draw/qt/QPainterBackend.hpp>
#include <spanlet/wayland/MenuLayout.hpp>
#include <spanlet/wayland/OverlayMenu.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

#include "ShmBuffers.hpp"

namespace spanlet::wayland {

struct OverlayMenu::Listeners {
    static void configure(void* data, xdg_surface* surface, std::uint32_t serial) {
        auto* m = static_cast<OverlayMenu*>(data);
        xdg_surface_ack_configure(surface, serial);
        m->configured_ = true;
        m->redraw();
    }
    static void popupConfigure(void* data, xdg_popup* /*popup*/, std::int32_t x, std::int32_t y,
                               std::int32_t /*width*/, std::int32_t /*height*/) {
        static_cast<OverlayMenu*>(data)->origin_ =
            Point{static_cast<double>(x), static_cast<double>(y)};
    }
    static void popupDone(void* data, xdg_popup* /*popup*/) {
        static_cast<OverlayMenu*>(data)->finish(std::nullopt);
    }
    static void repositioned(void* /*data*/, xdg_popup* /*popup*/, std::uint32_t /*token*/) {}

    static constexpr xdg_surface_listener surface{configure};
    static constexpr xdg_popup_listener popup{popupConfigure, popupDone, repositioned};
};

OverlayMenu::OverlayMenu(WaylandConnection& connection, const Placement& placement,
                         std::vector<std::string> titles,
                         std::function<void(std::optional<std::size_t>)> finished)
    : connection_(connection), renderer_(std::make_unique<draw::QPainterBackend>()),
      buffers_(std::make_unique<ShmBuffers>(
          connection.globals().shm, 2, ShmBuffers::Release::byCompositor, connection.display())),
      finished_(std::move(finished)), scale_(std::max(placement.scale, 1)) {
    layout_ = std::make_unique<MenuLayout>(std::move(titles), renderer_->measurer());
    const Globals& g = connection_.globals();
    surface_ = wl_compositor_create_surface(g.compositor);
    wl_surface_set_buffer_scale(surface_, scale_);
    xdgSurface_ = xdg_wm_base_get_xdg_surface(g.wmBase, surface_);
    xdg_surface_add_listener(xdgSurface_, &Listeners::surface, this);

    xdg_positioner* positioner = xdg_wm_base_create_positioner(g.wmBase);
    const Size size = layout_->size();
    xdg_positioner_set_size(positioner, static_cast<std::int32_t>(size.width),
                            static_cast<std::int32_t>(size.height));
    // Its top-left corner at the point, moved or flipped to stay on the output.
    xdg_positioner_set_anchor_rect(positioner,
                                   static_cast<std::int32_t>(std::floor(placement.at.x)),
                                   static_cast<std::int32_t>(std::floor(placement.at.y)), 1, 1);
    xdg_positioner_set_anchor(positioner, XDG_POSITIONER_ANCHOR_TOP_LEFT);
    xdg_positioner_set_gravity(positioner, XDG_POSITIONER_GRAVITY_BOTTOM_RIGHT);
    xdg_positioner_set_constraint_adjustment(positioner,
                                             XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_X |
                                                 XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_Y |
                                                 XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_X |
                                                 XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_Y);
    popup_ = xdg_surface_get_popup(xdgSurface_, nullptr, positioner);
    xdg_positioner_destroy(positioner);
    xdg_popup_add_listener(popup_, &Listeners::popup, this);
    zwlr_layer_surface_v1_get_popup(placement.parent, popup_);
    xdg_popup_grab(popup_, g.seat, placement.serial);
    wl_surface_commit(surface_); // asks for the first configure
    wl_display_flush(connection_.display());
}

OverlayMenu::~OverlayMenu() {
    xdg_popup_destroy(popup_);
    xdg_surface_destroy(xdgSurface_);
    wl_surface_destroy(surface_);
    buffers_.reset();
    wl_display_flush(connection_.display());
}

void OverlayMenu::hover(std::optional<Point> at) {
    const std::optional<std::size_t> entry = at ? layout_->entryAt(*at) : std::nullopt;
    if (entry != hovered_) {
        hovered_ = entry;
        redraw();
    }
}

void OverlayMenu::pressed(Point at) {
    hover(at);
    armed_ = hovered_;
}

void OverlayMenu::released(Point at) {
    hover(at);
    if (armed_ && armed_ == hovered_) {
        finish(hovered_);
    }
    armed_.reset();
}

void OverlayMenu::key(OverlayKey key) {
    switch (key) {
    case OverlayKey::escape:
        finish(std::nullopt);
        break;
    case OverlayKey::up:
    case OverlayKey::down:
        hovered_ = layout_->step(hovered_, key == OverlayKey::down);
        redraw();
        break;
    case OverlayKey::returnKey:
    case OverlayKey::enter:
        if (hovered_) {
            finish(hovered_);
        }
        break;
    default:
        break;
    }
}

void OverlayMenu::route(std::optional<Point> local, std::uint32_t code, bool down) {
    if (!local) {
        if (down && code != 0) {
            dismiss();
        }
    } else if (code == 0) {
        hover(local);
    } else if (down) {
        pressed(*local);
    } else {
        released(*local);
    }
}

void OverlayMenu::dismiss() {
    finish(std::nullopt);
}

void OverlayMenu::finish(std::optional<std::size_t> chosen) {
    auto finished = std::exchange(finished_, {});
    if (finished) {
        finished(chosen);
    }
}

void OverlayMenu::redraw() {
    if (!configured_) {
        return;
    }
    const Size size = layout_->size();
    const int width = static_cast<int>(size.width) * scale_;
    const int height = static_cast<int>(size.height) * scale_;
    ShmBuffers::Buffer* buffer =
        buffers_->acquire(WL_SHM_FORMAT_ARGB8888, width, height, width * 4);
    if (buffer == nullptr) {
        return; // memory ran out or both buffers are on screen: the next change draws
    }
    QImage image(buffer->bytes.data(), width, height, static_cast<qsizetype>(width) * 4,
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale_);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer_->paint(painter, layout_->draw(hovered_));
    }
    wl_surface_attach(surface_, buffer->buffer, 0, 0);
    wl_surface_damage_buffer(surface_, 0, 0, width, height);
    wl_surface_commit(surface_);
    wl_display_flush(connection_.display());
}

} // namespace spanlet::wayland
