#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <viewporter-client-protocol.h>
#include <wayland-client.h>
#include <wlr-layer-shell-unstable-v1-client-protocol.h>

#include <spanlet/wayland/DamageList.hpp>
#include <spanlet/wayland/HoleParts.hpp>
#include <spanlet/wayland/OverlaySurface.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

#include "ShmBuffers.hpp"

namespace spanlet::wayland {

struct OverlaySurface::Listeners {
    static void configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                          std::uint32_t width, std::uint32_t height) {
        auto* s = static_cast<OverlaySurface*>(data);
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        if (s->viewport_ != nullptr) {
            wp_viewport_set_destination(s->viewport_, static_cast<std::int32_t>(width),
                                        static_cast<std::int32_t>(height));
        }
        const int w = static_cast<int>(std::lround(width * s->scale_));
        const int h = static_cast<int>(std::lround(height * s->scale_));
        if (w == s->width_ && h == s->height_) {
            return;
        }
        s->width_ = w;
        s->height_ = h;
        s->canvas_.assign(static_cast<std::size_t>(w) * h, 0);
        s->stale_.clear();
        s->pendingDamage_.clear();
        if (s->resized_) {
            s->resized_();
        }
        const PixelRect all{0, 0, w, h};
        s->commitFrame({&all, 1});
    }
    static void closed(void* data, zwlr_layer_surface_v1* /*layer*/) {
        static_cast<OverlaySurface*>(data)->closed_ = true;
    }
    static void frameDone(void* data, wl_callback* callback, std::uint32_t /*time*/) {
        auto* s = static_cast<OverlaySurface*>(data);
        wl_callback_destroy(callback);
        s->frameCallback_ = nullptr;
        if (!s->pendingDamage_.empty()) {
            const std::vector<PixelRect> damage = std::move(s->pendingDamage_);
            s->pendingDamage_.clear();
            s->commitFrame(damage);
        }
    }
    static constexpr zwlr_layer_surface_v1_listener layer{configure, closed};
    static constexpr wl_callback_listener frame{frameDone};
};

OverlaySurface::OverlaySurface(WaylandConnection& connection, wl_output* output, double scale,
                               std::uint32_t layer)
    : connection_(connection),
      // Each damaged pixel is copied into every buffer that takes turns on screen, so the one
      // freed last is reused first: two take turns where the compositor releases promptly
      // (sway). A third spares waiting on one that holds the last two a while (a busy KWin
      // answered a round trip only after up to 50 ms).
      buffers_(std::make_unique<ShmBuffers>(
          connection.globals().shm, 3, ShmBuffers::Release::byCompositor, connection.display())),
      scale_(std::max(scale, 1.0)) {
    const Globals& g = connection.globals();
    surface_ = wl_compositor_create_surface(g.compositor);
    if (scale_ != std::floor(scale_) && g.viewporter != nullptr) {
        viewport_ = wp_viewporter_get_viewport(g.viewporter, surface_);
    } else {
        scale_ = std::ceil(scale_);
        wl_surface_set_buffer_scale(surface_, static_cast<std::int32_t>(scale_));
    }
    layer_ =
        zwlr_layer_shell_v1_get_layer_surface(g.layerShell, surface_, output, layer, "spanlet");
    zwlr_layer_surface_v1_add_listener(layer_, &Listeners::layer, this);
}

OverlaySurface::OverlaySurface(WaylandConnection& connection, wl_output* output, double scale)
    : OverlaySurface(connection, output, scale, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY) {
    zwlr_layer_surface_v1_set_anchor(
        layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    takeInput(false); // commits, which asks the compositor for the first configure
}

OverlaySurface::OverlaySurface(WaylandConnection& connection, wl_output* output, double scale,
                               const Box& box)
    : OverlaySurface(connection, output, scale, ZWLR_LAYER_SHELL_V1_LAYER_TOP) {
    zwlr_layer_surface_v1_set_anchor(layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                 ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    const bool onDemand = zwlr_layer_surface_v1_get_version(layer_) >=
                          ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND_SINCE_VERSION;
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_, onDemand ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND
                         : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    place(box);
    takeInput(true); // commits, which asks the compositor for the first configure
}

OverlaySurface::OverlaySurface(WaylandConnection& connection, OverlaySurface& parent)
    : connection_(connection),
      // A floating part is small and changes seldom: the compositor hands the one it showed
      // back once the parent's commit has replaced it.
      buffers_(std::make_unique<ShmBuffers>(
          connection.globals().shm, 3, ShmBuffers::Release::byCompositor, connection.display())),
      scale_(parent.scale_) {
    const Globals& g = connection.globals();
    surface_ = wl_compositor_create_surface(g.compositor);
    wl_surface_set_buffer_scale(surface_, static_cast<std::int32_t>(scale_));
    subsurface_ = wl_subcompositor_get_subsurface(g.subcompositor, surface_, parent.surface_);
    takeInput(false); // commits, which takes effect with the parent's next commit
}

void OverlaySurface::resize(int width, int height) {
    if (width == width_ && height == height_) {
        return;
    }
    width_ = width;
    height_ = height;
    canvas_.assign(static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0), 0);
    stale_.clear();
    pendingDamage_.clear();
    shownHoles_.clear();
}

void OverlaySurface::placeAt(int x, int y) {
    if (subsurface_ != nullptr) {
        wl_subsurface_set_position(subsurface_, x, y);
    }
}

void OverlaySurface::commitNow(std::span<const PixelRect> damage) {
    if (!configured()) {
        return;
    }
    addDamage(pendingDamage_, damage);
    const std::vector<PixelRect> all = std::move(pendingDamage_);
    pendingDamage_.clear();
    commitFrame(all);
}

void OverlaySurface::hide() {
    wl_surface_attach(surface_, nullptr, 0, 0);
    wl_surface_commit(surface_);
    ++commits_;
    shownHoles_.clear();
    connection_.send();
}

void OverlaySurface::commitState() {
    if (!configured() || !pendingDamage_.empty()) {
        return;
    }
    wl_surface_commit(surface_);
    ++commits_;
    connection_.send();
}

void OverlaySurface::place(const Box& box) {
    zwlr_layer_surface_v1_set_size(layer_, static_cast<std::uint32_t>(std::max(box.width, 1)),
                                   static_cast<std::uint32_t>(std::max(box.height, 1)));
    zwlr_layer_surface_v1_set_margin(layer_, box.y, 0, 0, box.x);
    wl_surface_commit(surface_);
    ++commits_;
    wl_display_flush(connection_.display());
}

OverlaySurface::~OverlaySurface() {
    if (frameCallback_ != nullptr) {
        wl_callback_destroy(frameCallback_);
    }
    if (viewport_ != nullptr) {
        wp_viewport_destroy(viewport_);
    }
    if (subsurface_ != nullptr) {
        wl_subsurface_destroy(subsurface_);
    }
    if (layer_ != nullptr) {
        zwlr_layer_surface_v1_destroy(layer_);
    }
    wl_surface_destroy(surface_);
    buffers_.reset();
    wl_display_flush(connection_.display());
}

std::size_t OverlaySurface::buffersMade() const {
    return buffers_->made();
}

void OverlaySurface::takeInput(bool take) {
    takesInput_ = take;
    wl_region* region = wl_compositor_create_region(connection_.globals().compositor);
    if (take) {
        wl_region_add(region, 0, 0, INT32_MAX, INT32_MAX);
    }
    wl_surface_set_input_region(surface_, region);
    wl_region_destroy(region);
    wl_surface_commit(surface_);
    ++commits_;
    wl_display_flush(connection_.display());
}

void OverlaySurface::takeKeyboard(bool take, bool atOnce) {
    const bool onDemand =
        !atOnce && zwlr_layer_surface_v1_get_version(layer_) >=
                       ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND_SINCE_VERSION;
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_, !take      ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE
                : onDemand ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND
                           : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    wl_surface_commit(surface_);
    ++commits_;
    wl_display_flush(connection_.display());
}

void OverlaySurface::present(std::span<const PixelRect> damage) {
    if (!configured() || damage.empty()) {
        return;
    }
    if (frameCallback_ != nullptr) {
        addDamage(pendingDamage_, damage);
        return;
    }
    commitFrame(damage);
}

void OverlaySurface::presentWithPunch(std::span<const PixelRect> damage) {
    addDamage(pendingDamage_, damage);
}

void OverlaySurface::punch(std::span<const PixelRect> holes) {
    openHoles_.insert(openHoles_.end(), holes.begin(), holes.end());
    if (!configured()) {
        return;
    }
    // Damage waiting for a frame goes out with the holes, which cannot wait.
    const std::vector<PixelRect> damage = std::move(pendingDamage_);
    pendingDamage_.clear();
    commitFrame(damage);
}

void OverlaySurface::closeHole(const PixelRect& hole) {
    const auto open = std::find(openHoles_.begin(), openHoles_.end(), hole);
    if (open != openHoles_.end()) {
        openHoles_.erase(open);
    }
}

void OverlaySurface::showClosedHoles() {
    // What was cleared is the drawn part of a hole: it closed unless an open hole holds it.
    const auto inside = [](const PixelRect& part, const PixelRect& hole) {
        return part.x >= hole.x && part.y >= hole.y && part.x + part.width <= hole.x + hole.width &&
               part.y + part.height <= hole.y + hole.height;
    };
    std::vector<PixelRect> closed;
    for (const PixelRect& part : shownHoles_) {
        if (std::none_of(openHoles_.begin(), openHoles_.end(),
                         [&](const PixelRect& hole) { return inside(part, hole); })) {
            closed.push_back(part);
        }
    }
    present(closed);
}

void OverlaySurface::commitFrame(std::span<const PixelRect> damage) {
    const std::size_t made = buffers_->made();
    ShmBuffers::Buffer* buffer =
        buffers_->acquire(WL_SHM_FORMAT_ARGB8888, width_, height_, width_ * 4);
    if (buffer == nullptr) {
        // Every buffer is still on screen or memory ran out: try again at the next frame.
        addDamage(pendingDamage_, damage);
        return;
    }
    auto entry = std::find_if(stale_.begin(), stale_.end(),
                              [&](const Stale& e) { return e.buffer == buffer; });
    if (entry == stale_.end()) {
        // A buffer made just now is transparent: a new memory file reads as zeros.
        std::optional<std::vector<PixelRect>> drawn;
        if (buffers_->made() > made) {
            drawn.emplace();
        }
        stale_.push_back({buffer, {{0, 0, width_, height_}}, std::move(drawn)});
        entry = std::prev(stale_.end());
    }
    // Bring this buffer up to the canvas where it lags behind, then open the holes.
    std::vector<PixelRect> copy = std::move(entry->rects);
    addDamage(copy, damage);
    // Only where the canvas has drawing does a hole show: elsewhere it is transparent anyway.
    std::vector<PixelRect> holes;
    const auto clear = [&](const PixelRect& region) {
        const std::vector<PixelRect> parts = drawnParts(region, canvas_, width_, height_);
        holes.insert(holes.end(), parts.begin(), parts.end());
    };
    for (const PixelRect& hole : openHoles_) {
        if (!drawn_) {
            clear(hole);
            continue;
        }
        // A strip crosses the whole output: reading all of it costs a cache miss per row.
        for (const PixelRect& d : *drawn_) {
            const PixelRect both = intersected(hole, d);
            if (both.width > 0 && both.height > 0) {
                clear(both);
            }
        }
    }
    // Where neither this buffer nor the canvas has drawing, both are transparent already: a
    // measurement that moved on leaves its old place blank in the canvas and in the buffer that
    // never showed it, and a new buffer is blank but for what the canvas draws. Only the rest is
    // copied: writing into a buffer that has left the cache is the costly part.
    if (drawn_ && entry->drawn) {
        std::vector<PixelRect> parts;
        for (const PixelRect& r : copy) {
            for (const std::vector<PixelRect>* drawn : {&*drawn_, &*entry->drawn}) {
                for (const PixelRect& d : *drawn) {
                    const PixelRect both = intersected(r, d);
                    if (both.width > 0 && both.height > 0) {
                        parts.push_back(both);
                    }
                }
            }
        }
        copy.clear();
        addDamage(copy, parts);
    }
    auto* pixels = reinterpret_cast<std::uint32_t*>(buffer->bytes.data());
    for (const PixelRect& r : copy) {
        const PixelRect c = clipped(r, width_, height_);
        for (int y = c.y; y < c.y + c.height; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * width_ + c.x;
            std::memcpy(pixels + at, canvas_.data() + at, static_cast<std::size_t>(c.width) * 4);
        }
    }
    for (const PixelRect& r : holes) {
        const PixelRect c = clipped(r, width_, height_);
        for (int y = c.y; y < c.y + c.height; ++y) {
            std::fill_n(pixels + static_cast<std::size_t>(y) * width_ + c.x, c.width, 0U);
        }
    }
    entry->rects.assign(holes.begin(), holes.end());
    entry->drawn = drawn_;
    for (Stale& other : stale_) {
        if (other.buffer != buffer) {
            addDamage(other.rects, damage);
        }
    }

    // What changed since the last frame, which showed the canvas but for its holes: not where
    // this buffer only caught up, or the compositor draws those parts again for nothing.
    wl_surface_attach(surface_, buffer->buffer, 0, 0);
    for (const std::span<const PixelRect> list :
         {damage, std::span<const PixelRect>(shownHoles_), std::span<const PixelRect>(holes)}) {
        for (const PixelRect& r : list) {
            wl_surface_damage_buffer(surface_, r.x, r.y, r.width, r.height);
        }
    }
    shownHoles_.assign(holes.begin(), holes.end());
    if (frameCallback_ != nullptr) {
        wl_callback_destroy(frameCallback_);
    }
    frameCallback_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frameCallback_, &Listeners::frame, this);
    wl_surface_commit(surface_);
    ++commits_;
    connection_.send();
}

} // namespace spanlet::wayland
