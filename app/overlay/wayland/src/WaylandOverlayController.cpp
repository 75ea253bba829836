#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <utility>
#include <vector>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>
#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/GuideEditor.hpp>
#include <spanlet/overlay/OverlayPainter.hpp>
#include <spanlet/overlay/SceneBuilder.hpp>
#include <spanlet/overlay/qt/OverlayDamage.hpp>
#include <spanlet/overlay/wayland/WaylandOverlayController.hpp>
#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/OverlayKeyboard.hpp>
#include <spanlet/wayland/OverlayPointer.hpp>
#include <spanlet/wayland/OverlaySurface.hpp>
#include <spanlet/wayland/ThemeCursor.hpp>
#include <spanlet/wayland/WaylandPlatform.hpp>

#include "KeysymEditorKeys.hpp"

namespace spanlet {

namespace {

constexpr std::uint32_t leftButton = 0x110; // BTN_LEFT
/// How long the new surfaces may take to be sized by the compositor.
constexpr std::chrono::milliseconds configureWait{1000};

/// Names of the cursor theme's images for an editor cursor, the standard name first.
std::vector<std::string> cursorNames(EditorCursor cursor) {
    switch (cursor) {
    case EditorCursor::crosshair:
        return {"crosshair", "cross"};
    case EditorCursor::resizeLeftRight:
        return {"col-resize", "ew-resize", "sb_h_double_arrow"};
    case EditorCursor::resizeUpDown:
        return {"row-resize", "ns-resize", "sb_v_double_arrow"};
    case EditorCursor::arrow:
        break;
    }
    return {"default", "left_ptr"};
}

int cursorScale(double displayScale) {
    return static_cast<int>(std::ceil(displayScale));
}

wayland::PixelRect canvasRect(const Rect& points, double scale) {
    const DevicePixels::Span d = DevicePixels::enclosing(points, scale);
    return {static_cast<int>(d.minX), static_cast<int>(d.minY), static_cast<int>(d.maxX - d.minX),
            static_cast<int>(d.maxY - d.minY)};
}

} // namespace

struct WaylandOverlayController::Panel {
    std::uint32_t id = 0; ///< the display's
    Rect frame;
    double scale = 1;        ///< canvas pixels per point
    double displayScale = 1; ///< the display's device pixels per point, which captures use
    std::unique_ptr<wayland::OverlaySurface> surface;
    draw::DrawList shown;
    draw::QPainterBackend renderer; ///< keeps this display's fonts and label images
    std::unique_ptr<GuideEditor> editor;
    bool input = false;

    /// A hole in the display's device pixels, in the canvas's: the same unless the compositor
    /// scales the canvas (a fractional scale without the viewporter).
    [[nodiscard]] wayland::PixelRect canvasHole(const wayland::PixelRect& hole) const {
        if (scale == displayScale) {
            return hole;
        }
        return canvasRect({hole.x / displayScale, hole.y / displayScale, hole.width / displayScale,
                           hole.height / displayScale},
                          scale);
    }
};

struct WaylandOverlayController::Holes {
    std::vector<wayland::PixelRect> rects;
    std::vector<std::function<void()>> ready;
};

WaylandOverlayController::WaylandOverlayController(wayland::WaylandPlatform& platform)
    : platform_(platform) {
    wayland::WaylandConnection& connection = platform_.connection();
    pointer_ = std::make_unique<wayland::OverlayPointer>(
        connection,
        [this](wl_surface* surface) -> std::optional<Point> {
            if (const Panel* panel = panelOf(surface)) {
                return Point{panel->frame.x, panel->frame.y};
            }
            return std::nullopt;
        },
        wayland::OverlayPointer::Handlers{
            .moved =
                [this](Point at) {
                    platform_.displays().setPointerLocation(at);
                    if (dragging_ != nullptr) {
                        dragging_->mouseDragged();
                    }
                    updateCursor();
                },
            .pressed =
                [this](Point at, std::uint32_t button) {
                    platform_.displays().setPointerLocation(at);
                    if (model_ == nullptr || button != leftButton) {
                        return;
                    }
                    if (GuideEditor* editor = editorAt(at)) {
                        dragging_ = editor;
                        editor->mouseDown();
                    } else if (*model_->snapping()) {
                        model_->perform(MensorCommand::pinMeasurement);
                    }
                },
            .released =
                [this](Point at, std::uint32_t button) {
                    platform_.displays().setPointerLocation(at);
                    if (button == leftButton && dragging_ != nullptr) {
                        std::exchange(dragging_, nullptr)->mouseUp();
                    }
                },
            .left = [this] { updateCursor(); },
        });
    keyboard_ = std::make_unique<wayland::OverlayKeyboard>(
        connection, [this](wl_surface* surface) { return panelOf(surface) != nullptr; },
        [this](const wayland::OverlayKeyboard::Key& key) {
            if (model_ == nullptr) {
                return;
            }
            if (GuideEditor* editor = editorAt(platform_.displays().pointerLocation())) {
                editor->keyDown(editorKeyPress(key.keysym, key.text, key.shift));
            } else if (key.keysym == XKB_KEY_Escape && *model_->snapping()) {
                model_->disableSnapping();
            }
        });
    platform_.capture().setChanged([this] { showCursor(); });
    platform_.holeCapture().setPunch(
        [this](std::uint32_t displayId, wayland::PixelRect hole, std::function<void()> ready) {
            punch(displayId, hole, std::move(ready));
        },
        [this](std::uint32_t displayId, wayland::PixelRect hole) {
            if (const auto found = panels_.find(displayId); found != panels_.end()) {
                found->second->surface->closeHole(found->second->canvasHole(hole));
            }
            // Drawing the measurement the copy gave shows the overlay there again; when nothing
            // changed, this repaint does.
            scheduleRepaint();
        });
}

WaylandOverlayController::~WaylandOverlayController() {
    platform_.capture().setChanged({});
    platform_.holeCapture().setPunch({});
    subscriptions_.clear();
    // Captures waiting for a hole go ahead without one rather than never finishing.
    for (auto& [id, holes] : holes_) {
        for (auto& ready : holes.ready) {
            ready();
        }
    }
}

void WaylandOverlayController::attach(Mensor& model) {
    model_ = &model;
    subscriptions_.clear();
    subscriptions_ = observeSceneInputs(model, [this] { scheduleRepaint(); });
    subscriptions_.push_back(
        model.overlayMode().subscribe([this](const OverlayMode& mode) { apply(mode); }));
}

GuideEditor* WaylandOverlayController::editorAt(Point at) {
    if (model_ == nullptr || !*model_->guides().editing()) {
        return nullptr;
    }
    Panel* nearest = nullptr;
    for (auto& [id, panel] : panels_) {
        if (nearest == nullptr || panel->frame.contains(at)) {
            nearest = panel.get();
        }
    }
    return nearest != nullptr ? nearest->editor.get() : nullptr;
}

WaylandOverlayController::Panel* WaylandOverlayController::snappingPanel() {
    const std::optional<Point> at = pointer_->position();
    if (model_ == nullptr || !*model_->snapping() || *model_->guides().editing() || !at) {
        return nullptr;
    }
    for (auto& [id, panel] : panels_) {
        if (panel->frame.contains(*at)) {
            return panel.get();
        }
    }
    return nullptr;
}

// While snapping, the pointer's place drives the cursor check: the crosshair shows only where
// the compositor keeps cursors out of screen copies (see CursorCheck).
void WaylandOverlayController::updateCursor() {
    wayland::CursorCheck& check = platform_.capture();
    if (const Panel* panel = snappingPanel()) {
        const Point at = *pointer_->position();
        check.pointerAt(panel->id, {at.x - panel->frame.x, at.y - panel->frame.y},
                        panel->displayScale, wayland::ThemeCursor::size());
    } else {
        check.interrupt();
    }
    showCursor();
}

// While editing guides the cursor shows what a press would do there. While snapping it is the
// crosshair when the cursor check allows it, else none: the measurement's cross marks the
// pointer.
void WaylandOverlayController::showCursor() {
    const std::optional<Point> at = pointer_->position();
    if (GuideEditor* editor = at ? editorAt(*at) : nullptr) {
        const Panel& panel = *panels_.at(editor->screenId());
        pointer_->setCursor(cursorNames(editor->mouseMoved()), cursorScale(panel.displayScale));
    } else if (const Panel* panel = snappingPanel();
               panel != nullptr && platform_.capture().crosshair()) {
        pointer_->setCursor(cursorNames(EditorCursor::crosshair), cursorScale(panel->displayScale));
    } else {
        pointer_->setCursor({});
    }
}

WaylandOverlayController::Panel* WaylandOverlayController::panelOf(const void* surface) {
    for (auto& [id, panel] : panels_) {
        if (panel->surface->surface() == surface) {
            return panel.get();
        }
    }
    return nullptr;
}

void WaylandOverlayController::rebuild() {
    if (model_ == nullptr) {
        return;
    }
    dragging_ = nullptr;
    panels_.clear();
    wayland::WaylandConnection& connection = platform_.connection();
    for (const ScreenInfo& screen : *model_->screens()) {
        wl_output* output = connection.outputs().output(screen.id);
        if (output == nullptr || panels_.count(screen.id) != 0) {
            continue;
        }
        auto panel = std::make_unique<Panel>();
        panel->id = screen.id;
        panel->frame = screen.frame;
        panel->displayScale = screen.scale.factor();
        panel->surface =
            std::make_unique<wayland::OverlaySurface>(connection, output, panel->displayScale);
        panel->scale = panel->surface->scale();
        panel->editor = std::make_unique<GuideEditor>(*model_, platform_.displays(), screen.id);
        panels_.emplace(screen.id, std::move(panel));
    }
    connection.dispatchUntil(
        [this] {
            return std::all_of(panels_.begin(), panels_.end(),
                               [](const auto& p) { return p.second->surface->configured(); });
        },
        configureWait);
    apply(*model_->overlayMode());
}

void WaylandOverlayController::apply(const OverlayMode& mode) {
    const bool input = mode.snapping || mode.editingGuides;
    if (!mode.editingGuides && dragging_ != nullptr) {
        std::exchange(dragging_, nullptr)->mouseUp();
    }
    for (auto& [id, panel] : panels_) {
        if (panel->input != input) {
            panel->input = input;
            panel->surface->takeInput(input);
            panel->surface->takeKeyboard(input);
        }
    }
    updateCursor();
    repaintNow();
}

void WaylandOverlayController::scheduleRepaint() {
    if (repaintPending_) {
        return;
    }
    repaintPending_ = true;
    QMetaObject::invokeMethod(
        &context_,
        [this] {
            if (repaintPending_) {
                repaintNow();
            }
        },
        Qt::QueuedConnection);
}

void WaylandOverlayController::repaintNow() {
    repaintPending_ = false;
    if (model_ == nullptr) {
        return;
    }
    const bool needed = model_->overlayMode()->shown;
    const SceneInput input = sceneInput(*model_);
    for (auto& [id, panel] : panels_) {
        draw::DrawList list;
        if (needed) {
            for (const ScreenInfo& screen : *model_->screens()) {
                if (screen.id == id) {
                    list = layoutOverlay(buildScene(screen, input), panel->renderer.measurer());
                    break;
                }
            }
        }
        present(*panel, std::move(list));
    }
}

void WaylandOverlayController::present(Panel& panel, draw::DrawList list) {
    wayland::OverlaySurface& surface = *panel.surface;
    if (!surface.configured()) {
        return;
    }
    std::vector<QRect> rects = draw::drawnRects(panel.shown, panel.scale);
    std::vector<QRect> added = draw::drawnRects(list, panel.scale);
    rects.insert(rects.end(), added.begin(), added.end());
    panel.shown = std::move(list);
    rects = draw::mergedRects(std::move(rects));
    if (rects.empty()) {
        return;
    }
    QImage image(reinterpret_cast<uchar*>(surface.canvas().data()), surface.width(),
                 surface.height(), static_cast<qsizetype>(surface.width()) * 4,
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(panel.scale);
    draw::repaintImage(panel.renderer, image, panel.shown, rects);
    std::vector<wayland::PixelRect> damage;
    damage.reserve(rects.size());
    for (const QRect& r : rects) {
        damage.push_back(
            canvasRect({static_cast<double>(r.x()), static_cast<double>(r.y()),
                        static_cast<double>(r.width()), static_cast<double>(r.height())},
                       panel.scale));
    }
    surface.present(damage);
}

void WaylandOverlayController::punch(std::uint32_t displayId, wayland::PixelRect hole,
                                     std::function<void()> ready) {
    // The row, the column and the loupe of one measurement are asked for together: one frame
    // clears them all.
    const bool first = holes_.empty();
    Holes& holes = holes_[displayId];
    holes.rects.push_back(hole);
    holes.ready.push_back(std::move(ready));
    if (first) {
        QMetaObject::invokeMethod(
            &context_, [this] { punchPending(); }, Qt::QueuedConnection);
    }
}

void WaylandOverlayController::punchPending() {
    std::map<std::uint32_t, Holes> pending = std::move(holes_);
    holes_.clear();
    for (auto& [id, holes] : pending) {
        const auto found = panels_.find(id);
        auto readyAll = [ready = std::move(holes.ready)] {
            for (const auto& r : ready) {
                r();
            }
        };
        // Punched even where nothing is drawn yet: drawing may come before the copy is taken.
        if (found != panels_.end()) {
            for (wayland::PixelRect& hole : holes.rects) {
                hole = found->second->canvasHole(hole);
            }
            found->second->surface->punch(holes.rects);
        }
        readyAll();
    }
}

} // namespace spanlet
