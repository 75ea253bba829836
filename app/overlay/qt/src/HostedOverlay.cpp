#include <QImage>
#include <QRegion>
#include <cmath>
#include <utility>

#include <spanlet/draw/qt/OverlayDamage.hpp>
#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/OverlayPainter.hpp>
#include <spanlet/overlay/SceneBuilder.hpp>
#include <spanlet/overlay/qt/HostedOverlay.hpp>
#include <spanlet/platform/qt/TurnEnd.hpp>
#include <spanlet/screen/Desktop.hpp>

namespace spanlet {

namespace {

std::vector<Rect> points(const std::vector<QRect>& rects) {
    std::vector<Rect> out;
    out.reserve(rects.size());
    for (const QRect& r : rects) {
        out.push_back({static_cast<double>(r.x()), static_cast<double>(r.y()),
                       static_cast<double>(r.width()), static_cast<double>(r.height())});
    }
    return out;
}

int whole(double v) {
    return static_cast<int>(std::lround(v));
}

std::vector<DeviceRect> deviceRects(const QRegion& region) {
    std::vector<DeviceRect> out;
    out.reserve(static_cast<std::size_t>(region.rectCount()));
    for (const QRect& r : region) {
        out.push_back({r.x(), r.y(), r.width(), r.height()});
    }
    return out;
}

using Apart = std::vector<std::pair<std::size_t, draw::DrawOp>>;

// Calls `each` with every operation of the list that `base` and `apart` were split from, in
// its order, until it returns false; false then.
template <class Each>
bool eachOp(const draw::DrawList& base, const Apart& apart, Each each) {
    std::size_t fromBase = 0;
    auto next = apart.begin();
    const std::size_t count = base.ops.size() + apart.size();
    for (std::size_t i = 0; i < count; ++i) {
        const bool isApart = next != apart.end() && next->first == i;
        if (!each(isApart ? (next++)->second : base.ops[fromBase++])) {
            return false;
        }
    }
    return true;
}

} // namespace

bool HostedOverlay::shows(const Surface& surface, const draw::DrawList& list) {
    if (list.ops.size() != surface.base.ops.size() + surface.apart.size()) {
        return false;
    }
    std::size_t i = 0;
    return eachOp(surface.base, surface.apart,
                  [&](const draw::DrawOp& op) { return op == list.ops[i++]; });
}

draw::DrawList HostedOverlay::sceneList(const Surface& surface) {
    draw::DrawList all;
    all.ops.reserve(surface.base.ops.size() + surface.apart.size());
    eachOp(surface.base, surface.apart, [&](const draw::DrawOp& op) {
        all.ops.push_back(op);
        return true;
    });
    return all;
}

HostedOverlay::HostedOverlay(OverlayHost& host, const DisplayPort& displays)
    : host_(host), displays_(displays) {
    host_.bind([this](std::uint32_t id, const OverlayCanvas& canvas,
                      std::span<const Rect> rects) { paint(id, canvas, rects); },
               this);
    host_.bindFloating([this](std::uint32_t id, const OverlayCanvas& canvas,
                              std::span<const Rect> rects) { paintFloating(id, canvas, rects); });
}

HostedOverlay::~HostedOverlay() {
    subscriptions_.clear();
    host_.bindFloating({});
    host_.bind({}, nullptr);
}

void HostedOverlay::attach(Mensor& model) {
    model_ = &model;
    subscriptions_.clear();
    subscriptions_ = observeSceneInputs(model, [this] { scheduleRepaint(); });
    subscriptions_.push_back(
        model.overlayMode().subscribe([this](const OverlayMode& mode) { apply(mode); }));
}

void HostedOverlay::rebuild() {
    if (model_ == nullptr) {
        return;
    }
    dragging_ = nullptr;
    surfaces_.clear();
    const std::vector<ScreenInfo>& screens = *model_->screens();
    host_.rebuild(screens);
    for (const ScreenInfo& screen : screens) {
        auto surface = std::make_unique<Surface>();
        surface->editor = std::make_unique<GuideEditor>(*model_, displays_, screen.id);
        surfaces_.emplace(screen.id, std::move(surface)); // one per display id
    }
    apply(*model_->overlayMode());
}

void HostedOverlay::scheduleRepaint() {
    if (repaintPending_) {
        return;
    }
    repaintPending_ = true;
    atTurnEnd(&context_, [this] {
        if (repaintPending_) {
            repaintNow();
        }
    });
}

void HostedOverlay::repaintNow() {
    repaintPending_ = false;
    if (model_ == nullptr) {
        return;
    }
    const bool needed = model_->overlayMode()->shown || picking_;
    SceneInput input = sceneInput(*model_);
    if (picking_) {
        input.picking = true;
        input.pointer = picking_->pointer;
        input.pointerScreen = picking_->displayId;
        input.loupe = picking_->loupe;
    }
    for (auto& [id, surface] : surfaces_) {
        draw::DrawList list;
        OverlayPainter::Parts parts;
        if (needed) {
            for (const ScreenInfo& screen : *model_->screens()) {
                if (screen.id == id) {
                    list = layoutOverlay(buildScene(screen, input), surface->renderer.measurer(),
                                         &parts);
                    break;
                }
            }
        }
        present(id, *surface, std::move(list), parts);
    }
}

void HostedOverlay::apply(const OverlayMode& mode) {
    // Shown panels appear with their content.
    repaintNow();
    host_.setShown(mode.shown || picking_);
    const OverlayInputMode input = picking_             ? OverlayInputMode::picking
                                   : mode.editingGuides ? OverlayInputMode::editing
                                   : mode.snapping      ? OverlayInputMode::snapping
                                                        : OverlayInputMode::idle;
    if (input == mode_) {
        return;
    }
    if (mode_ == OverlayInputMode::editing && dragging_ != nullptr) {
        std::exchange(dragging_, nullptr)->mouseUp();
    }
    mode_ = input;
    host_.setMode(input);
    host_.setCursor(crosshair() ? OverlayCursor::crosshair : OverlayCursor::arrow);
}

bool HostedOverlay::crosshair() const {
    return mode_ == OverlayInputMode::snapping || mode_ == OverlayInputMode::picking;
}

void HostedOverlay::startPicking(Picking handlers) {
    picking_ = PickingState{std::move(handlers), {}, std::nullopt, std::nullopt};
    if (model_ != nullptr) {
        apply(*model_->overlayMode());
    }
}

void HostedOverlay::showPickingLoupe(Point pointer, std::optional<Loupe> loupe) {
    if (!picking_) {
        return;
    }
    picking_->pointer = pointer;
    picking_->loupe = std::move(loupe);
    picking_->displayId.reset();
    if (model_ != nullptr) {
        if (const std::optional<ScreenInfo> screen =
                Desktop::screenContaining(pointer, *model_->screens())) {
            picking_->displayId = screen->id;
        }
    }
    scheduleRepaint();
}

void HostedOverlay::stopPicking() {
    if (!picking_) {
        return;
    }
    picking_.reset();
    if (model_ != nullptr) {
        apply(*model_->overlayMode());
    }
}

void HostedOverlay::present(std::uint32_t displayId, Surface& surface, draw::DrawList list,
                            OverlayPainter::Parts parts) {
    if (shows(surface, list)) {
        return;
    }
    placeParts(displayId, surface, std::move(list), parts);
    const draw::DrawList& painted = surface.base;
    const double scale = host_.scale(displayId);
    std::vector<QRect> next = draw::drawnRects(painted, scale);
    std::vector<QRect> damage = surface.drawn;
    damage.insert(damage.end(), next.begin(), next.end());
    damage = draw::mergedRects(std::move(damage));
    surface.drawn = std::move(next);
    std::vector<DeviceRect> shape;
    if (host_.cutsToDrawing(displayId)) {
        shape = deviceRects(draw::drawnDeviceRegion(painted, scale));
    }
    const std::vector<Rect> damaged = points(damage);
    const std::vector<Rect> drawn = points(surface.drawn);
    host_.update(displayId, {damaged, drawn, shape});
}

std::optional<DeviceRect> HostedOverlay::loupeFrame(std::uint32_t displayId,
                                                    const std::vector<draw::DrawOp>& ops,
                                                    OverlayPainter::Span loupe) const {
    if (loupe.last <= loupe.first || loupe.last > ops.size() || !host_.floats(displayId)) {
        return std::nullopt;
    }
    std::optional<Rect> area;
    for (std::size_t i = loupe.first; i < loupe.last; ++i) {
        area = draw::united(area, draw::bounds(ops[i]));
    }
    if (!area) {
        return std::nullopt;
    }
    // Whole device pixels around it, one more each side for antialiasing, within the display
    // (beyond it, the part would show on the next one). At a whole scale, whole points: a
    // Wayland subsurface is placed in points.
    const double scale = host_.scale(displayId);
    const int unit = scale == std::floor(scale) ? static_cast<int>(scale) : 1;
    const auto down = [unit](double v) {
        return static_cast<int>(std::floor(std::floor(v - 1) / unit)) * unit;
    };
    const auto up = [unit](double v) {
        return static_cast<int>(std::ceil(std::ceil(v + 1) / unit)) * unit - 1;
    };
    const QRect around(QPoint(down(area->x * scale), down(area->y * scale)),
                       QPoint(up(area->maxX() * scale), up(area->maxY() * scale)));
    QRect display = around;
    for (const ScreenInfo& screen : *model_->screens()) {
        if (screen.id == displayId) {
            display = QRect(0, 0, static_cast<int>(std::lround(screen.frame.width * scale)),
                            static_cast<int>(std::lround(screen.frame.height * scale)));
        }
    }
    const QRect inside = around.intersected(display);
    if (inside.isEmpty()) {
        return std::nullopt;
    }
    return DeviceRect{inside.x(), inside.y(), inside.width(), inside.height()};
}

void HostedOverlay::placeParts(std::uint32_t displayId, Surface& surface, draw::DrawList list,
                               OverlayPainter::Parts parts) {
    std::vector<draw::DrawOp>& ops = list.ops;
    const double scale = host_.scale(displayId);
    const std::optional<DeviceRect> frame = loupeFrame(displayId, ops, parts.loupe);
    std::optional<std::pair<DeviceRect, std::uint32_t>> solid;
    if (parts.column && *parts.column < ops.size() && host_.solids(displayId)) {
        if (const std::optional<draw::SolidLine> line =
                draw::solidLine(ops[*parts.column], scale)) {
            const QRect& r = line->pixels;
            solid = {DeviceRect{r.x(), r.y(), r.width(), r.height()}, line->color};
        }
    }
    if (solid != surface.solid) {
        surface.solid = solid;
        host_.placeSolid(displayId, solid ? std::optional(solid->first) : std::nullopt,
                         solid ? solid->second : 0);
    }
    const auto floated = [&](std::size_t i) {
        return frame && i >= parts.loupe.first && i < parts.loupe.last;
    };
    surface.base.ops.clear();
    surface.base.ops.reserve(ops.size());
    surface.apart.clear();
    for (std::size_t i = 0; i < ops.size(); ++i) {
        if (floated(i) || (solid && i == *parts.column)) {
            surface.apart.emplace_back(i, std::move(ops[i]));
        } else {
            surface.base.ops.push_back(std::move(ops[i]));
        }
    }
    if (!frame) {
        surface.floating = {};
        if (std::exchange(surface.floatingFrame, std::nullopt)) {
            host_.placeFloating(displayId, std::nullopt, {});
        }
        return;
    }
    draw::DrawList floating;
    for (const auto& [i, op] : surface.apart) {
        if (floated(i)) {
            floating.ops.push_back(draw::translated(op, -frame->x / scale, -frame->y / scale));
        }
    }
    // Repainted where its operations changed, before and after: a move alone repaints
    // nothing, and new cells leave the frame, its shadow and an unchanged colour as they are.
    std::vector<Rect> damage{{0, 0, frame->width / scale, frame->height / scale}};
    if (surface.floatingFrame) {
        if (const auto changed = draw::changedRects(surface.floating, floating, scale)) {
            damage = points(*changed);
        }
    }
    surface.floating = std::move(floating);
    surface.floatingFrame = frame;
    host_.placeFloating(displayId, frame, damage);
}

void HostedOverlay::paintFloating(std::uint32_t displayId, const OverlayCanvas& canvas,
                                  std::span<const Rect> rects) {
    const auto found = surfaces_.find(displayId);
    if (found == surfaces_.end()) {
        return;
    }
    Surface& surface = *found->second;
    QImage& image = surface.floatingCanvas;
    if (image.constBits() != canvas.bits || image.width() != canvas.width ||
        image.height() != canvas.height || image.bytesPerLine() != canvas.stride) {
        image = QImage(canvas.bits, canvas.width, canvas.height, canvas.stride,
                       QImage::Format_ARGB32_Premultiplied);
    }
    image.setDevicePixelRatio(canvas.scale);
    const QRect all(0, 0, static_cast<int>(std::ceil(canvas.width / canvas.scale)),
                    static_cast<int>(std::ceil(canvas.height / canvas.scale)));
    std::vector<QRect> damage;
    for (const Rect& r : rects) {
        damage.push_back(draw::QPainterBackend::rect(r).toAlignedRect().intersected(all));
    }
    draw::repaintImage(surface.renderer, image, surface.floating,
                       rects.empty() ? std::vector<QRect>{all} : damage);
}

void HostedOverlay::paint(std::uint32_t displayId, const OverlayCanvas& canvas,
                          std::span<const Rect> rects) {
    const auto found = surfaces_.find(displayId);
    if (found == surfaces_.end() || rects.empty()) {
        return;
    }
    const QImage::Format format =
        canvas.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
    QImage& image = found->second->canvas;
    if (image.constBits() != canvas.bits || image.width() != canvas.width ||
        image.height() != canvas.height || image.bytesPerLine() != canvas.stride ||
        image.format() != format) {
        image = QImage(canvas.bits, canvas.width, canvas.height, canvas.stride, format);
    }
    image.setDevicePixelRatio(canvas.scale);
    std::vector<QRect> logical;
    logical.reserve(rects.size());
    for (const Rect& r : rects) {
        logical.emplace_back(whole(r.x), whole(r.y), whole(r.width), whole(r.height));
    }
    const Surface& surface = *found->second;
    draw::repaintImage(found->second->renderer, image, surface.base, logical);
}

draw::DrawList HostedOverlay::drawList(std::uint32_t displayId) const {
    const auto found = surfaces_.find(displayId);
    return found == surfaces_.end() ? draw::DrawList{} : sceneList(*found->second);
}

GuideEditor* HostedOverlay::editorOf(std::uint32_t displayId) {
    if (model_ == nullptr || !*model_->guides().editing()) {
        return nullptr;
    }
    const auto found = surfaces_.find(displayId);
    return found == surfaces_.end() ? nullptr : found->second->editor.get();
}

void HostedOverlay::showCursor(std::uint32_t displayId) {
    if (GuideEditor* editor = editorOf(displayId)) {
        host_.setCursor(editor->mouseMoved());
    } else {
        host_.setCursor(crosshair() ? OverlayCursor::crosshair : OverlayCursor::arrow);
    }
}

void HostedOverlay::pointerMoved(std::uint32_t displayId, Point at) {
    if (picking_) {
        // A copy: the handler may stop picking.
        if (const auto moved = picking_->handlers.moved) {
            moved(at);
        }
        return;
    }
    // The editor reads the pointer from the display port, which the host has updated.
    if (dragging_ != nullptr) {
        dragging_->mouseDragged();
        return;
    }
    showCursor(displayId);
}

void HostedOverlay::buttonPressed(std::uint32_t displayId, Point at, OverlayButton button) {
    if (picking_) {
        const Picking handlers = picking_->handlers;
        if (button == OverlayButton::left) {
            handlers.picked(at);
        } else {
            handlers.cancelled();
        }
        return;
    }
    if (model_ == nullptr) {
        return;
    }
    if (GuideEditor* editor = editorOf(displayId)) {
        if (button == OverlayButton::left) {
            dragging_ = editor;
            editor->mouseDown();
        } else if (button == OverlayButton::right) {
            showMenu(*editor, at);
        }
    } else if (button == OverlayButton::left && *model_->snapping()) {
        model_->perform(MensorCommand::pinMeasurement);
    }
}

void HostedOverlay::buttonReleased(std::uint32_t displayId, Point /*at*/, OverlayButton button) {
    if (button == OverlayButton::left && dragging_ != nullptr) {
        std::exchange(dragging_, nullptr)->mouseUp();
        showCursor(displayId);
    }
}

void HostedOverlay::keyPressed(std::uint32_t displayId, const OverlayKeyPress& key) {
    if (picking_) {
        if (key.key == OverlayKey::escape) {
            const auto cancelled = picking_->handlers.cancelled;
            cancelled();
        }
        return;
    }
    if (model_ == nullptr) {
        return;
    }
    // A shortcut the desktop did not take (no global keys there) reaches the overlay while it
    // has the keyboard: it does what it does everywhere else.
    if (const auto command = model_->prefs()->shortcuts.commandFor(key.text, key.modifiers())) {
        model_->perform(*command);
        return;
    }
    if (GuideEditor* editor = editorOf(displayId)) {
        editor->keyDown(key);
    } else if (key.key == OverlayKey::escape && *model_->snapping()) {
        model_->disableSnapping();
    }
}

void HostedOverlay::showMenu(GuideEditor& editor, Point at) {
    std::vector<EditorMenuEntry> entries = editor.contextMenu();
    std::vector<std::string> titles;
    titles.reserve(entries.size());
    for (const EditorMenuEntry& entry : entries) {
        titles.push_back(entry.action == EditorMenuEntry::Action::separator ? std::string()
                                                                            : entry.title);
    }
    host_.showMenu(at, std::move(titles),
                   [this, id = editor.screenId(), entries = std::move(entries)](std::size_t i) {
                       // The editor of that display still, unless the displays changed since.
                       if (GuideEditor* now = editorOf(id); now != nullptr && i < entries.size()) {
                           now->perform(entries[i]);
                       }
                   });
}

} // namespace spanlet
