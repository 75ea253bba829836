#include <QObject>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <utility>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/platform/qt/TurnEnd.hpp>
#include <spanlet/wayland/CursorCheck.hpp>
#include <spanlet/wayland/HoleCapture.hpp>
#include <spanlet/wayland/HoleParts.hpp>
#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/OverlayKeyboard.hpp>
#include <spanlet/wayland/OverlayMenu.hpp>
#include <spanlet/wayland/OverlayPointer.hpp>
#include <spanlet/wayland/OverlaySurface.hpp>
#include <spanlet/wayland/ThemeCursor.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>
#include <spanlet/wayland/WaylandDisplayPort.hpp>
#include <spanlet/wayland/WaylandOverlayHost.hpp>

#include "KeysymKeys.hpp"

namespace spanlet::wayland {

namespace {

/// How long the new surfaces may take to be sized by the compositor.
constexpr std::chrono::milliseconds configureWait{1000};
// How long the pointer stays put before the cursor check copies around it.
constexpr std::chrono::milliseconds restBeforeCheck{100};

int cursorScale(double displayScale) {
    return static_cast<int>(std::ceil(displayScale));
}

PixelRect canvasRect(const Rect& points, double scale) {
    const DevicePixels::Span d = DevicePixels::enclosing(points, scale);
    return {static_cast<int>(d.minX), static_cast<int>(d.minY), static_cast<int>(d.maxX - d.minX),
            static_cast<int>(d.maxY - d.minY)};
}

} // namespace

struct WaylandOverlayHost::Panel {
    std::uint32_t id = 0; ///< the display's
    Rect frame;
    double displayScale = 1; ///< the display's device pixels per point, which captures use
    std::unique_ptr<OverlaySurface> surface;
    std::unique_ptr<OverlaySurface> floating; ///< the loupe's, once it floats; goes first
    std::optional<PixelRect> floatingFrame;   ///< where the floating part shows, canvas pixels
    /// The surface's commits when its floating part last changed, until it has committed.
    std::optional<std::uint64_t> floatingMark;

    /// A hole in the display's device pixels, in the canvas's: the same unless the compositor
    /// scales the canvas (a fractional scale without the viewporter).
    [[nodiscard]] PixelRect canvasHole(const PixelRect& hole) const {
        const double scale = surface->scale();
        if (scale == displayScale) {
            return hole;
        }
        return canvasRect({hole.x / displayScale, hole.y / displayScale, hole.width / displayScale,
                           hole.height / displayScale},
                          scale);
    }
};

struct WaylandOverlayHost::Holes {
    std::vector<PixelRect> rects;
    std::vector<std::function<void()>> ready;
};

WaylandOverlayHost::WaylandOverlayHost(WaylandConnection& connection, WaylandDisplayPort& displays,
                                       HoleCapture& holes, CursorCheck& cursorCheck)
    : connection_(connection), displays_(displays), holes_(holes), cursorCheck_(cursorCheck),
      context_(std::make_unique<QObject>()) {
    pointer_ = std::make_unique<OverlayPointer>(
        connection_,
        [this](wl_surface* surface) -> std::optional<Point> {
            if (const Panel* panel = panelOf(surface)) {
                return panel->frame.origin();
            }
            if (menu_ && surface == menu_->surface()) {
                return menuOrigin();
            }
            return std::nullopt;
        },
        OverlayPointer::Handlers{
            .moved =
                [this](Point at) {
                    if (menu_) {
                        menuPointer(at, 0, false);
                        showCursor();
                        return;
                    }
                    displays_.setPointerLocation(at);
                    if (const Panel* panel = panelAt(at); input_ != nullptr && panel != nullptr) {
                        input_->pointerMoved(panel->id, at);
                    }
                    updateCursor();
                },
            .pressed =
                [this](Point at, std::uint32_t code) {
                    if (menuPointer(at, code, true)) {
                        return;
                    }
                    displays_.setPointerLocation(at);
                    if (const Panel* panel = panelAt(at); input_ != nullptr && panel != nullptr) {
                        input_->buttonPressed(panel->id, at, OverlayPointer::button(code));
                    }
                },
            .released =
                [this](Point at, std::uint32_t code) {
                    if (menuPointer(at, code, false)) {
                        return;
                    }
                    displays_.setPointerLocation(at);
                    if (const Panel* panel = panelAt(at); input_ != nullptr && panel != nullptr) {
                        input_->buttonReleased(panel->id, at, OverlayPointer::button(code));
                    }
                },
            .left =
                [this] {
                    if (menu_) {
                        menu_->hover(std::nullopt);
                    }
                    updateCursor();
                },
        });
    keyboard_ = std::make_unique<OverlayKeyboard>(
        connection_,
        [this](wl_surface* surface) {
            return panelOf(surface) != nullptr || (menu_ && surface == menu_->surface());
        },
        [this](const OverlayKeyboard::Key& key) {
            if (menu_) {
                menu_->key(overlayKeyPress(key.keysym, key.text, key.shift).key);
                return;
            }
            const Panel* panel = panelAt(displays_.pointerLocation());
            if (input_ != nullptr && panel != nullptr) {
                OverlayKeyPress press = overlayKeyPress(key.keysym, key.text, key.shift);
                press.alt = key.alt;
                press.control = key.control;
                press.super = key.super;
                input_->keyPressed(panel->id, press);
            }
        });
    cursorCheck_.setChanged([this] { showCursor(); });
    rest_ = new QTimer(context_.get());
    rest_->setSingleShot(true);
    rest_->setInterval(restBeforeCheck);
    QObject::connect(rest_, &QTimer::timeout, context_.get(), [this] { cursorCheck_.rested(); });
    holes_.setPunch(
        [this](std::uint32_t displayId, PixelRect hole, std::function<void()> ready) {
            punch(displayId, hole, std::move(ready));
        },
        [this](std::uint32_t displayId, PixelRect hole) { closeHole(displayId, hole); });
}

WaylandOverlayHost::~WaylandOverlayHost() {
    cursorCheck_.setChanged({});
    holes_.setPunch({});
    // Captures waiting for a hole go ahead without one rather than never finishing.
    for (auto& [id, holes] : pendingHoles_) {
        for (auto& ready : holes.ready) {
            ready();
        }
    }
}

void WaylandOverlayHost::bind(OverlayPaint paint, OverlayInput* input) {
    paint_ = std::move(paint);
    input_ = input;
}

void WaylandOverlayHost::rebuild(const std::vector<ScreenInfo>& screens) {
    closeMenu();
    panels_.clear();
    const bool input = mode_ != OverlayInputMode::idle;
    for (const ScreenInfo& screen : screens) {
        wl_output* output = connection_.outputs().output(screen.id);
        if (output == nullptr || panels_.count(screen.id) != 0) {
            continue;
        }
        auto panel = std::make_unique<Panel>();
        panel->id = screen.id;
        panel->frame = screen.frame;
        panel->displayScale = screen.scale.factor();
        panel->surface = std::make_unique<OverlaySurface>(connection_, output, panel->displayScale);
        if (input) {
            panel->surface->takeInput(true);
            panel->surface->takeKeyboard(true, mode_ == OverlayInputMode::picking);
        }
        panels_.emplace(screen.id, std::move(panel));
    }
    connection_.dispatchUntil(
        [this] {
            return std::all_of(panels_.begin(), panels_.end(),
                               [](const auto& p) { return p.second->surface->configured(); });
        },
        configureWait);
    updateCursor();
}

double WaylandOverlayHost::scale(std::uint32_t displayId) const {
    const OverlaySurface* s = surface(displayId);
    return s != nullptr ? s->scale() : 1;
}

OverlaySurface* WaylandOverlayHost::surface(std::uint32_t displayId) const {
    const auto found = panels_.find(displayId);
    return found == panels_.end() ? nullptr : found->second->surface.get();
}

OverlaySurface* WaylandOverlayHost::floatingSurface(std::uint32_t displayId) const {
    const auto found = panels_.find(displayId);
    return found == panels_.end() ? nullptr : found->second->floating.get();
}

bool WaylandOverlayHost::floats(std::uint32_t displayId) const {
    const OverlaySurface* s = surface(displayId);
    return s != nullptr && s->configured() && connection_.globals().subcompositor != nullptr &&
           s->scale() == std::floor(s->scale());
}

void WaylandOverlayHost::placeFloating(std::uint32_t displayId, std::optional<DeviceRect> frame,
                                       std::span<const Rect> damage) {
    const auto found = panels_.find(displayId);
    if (found == panels_.end() || !floats(displayId)) {
        return;
    }
    Panel& panel = *found->second;
    if (!frame || frame->width < 1 || frame->height < 1) {
        if (panel.floating && std::exchange(panel.floatingFrame, std::nullopt)) {
            panel.floating->setHoles({});
            panel.floating->hide();
            floatingChanged(panel);
        }
        return;
    }
    if (!panel.floating) {
        panel.floating = std::make_unique<OverlaySurface>(connection_, *panel.surface);
    }
    OverlaySurface& part = *panel.floating;
    // The memory grows in steps of whole points: a colour's text a little wider must not make
    // it anew. What the frame leaves of it is transparent. It ends at the display's edge: a
    // part reaching past its parent widens the layer's extent, which costs sway a repaint of
    // the whole output whenever that changes.
    const int unit = static_cast<int>(part.scale());
    const auto grown = [unit](int have, int need, int room) {
        const int step = 32 * unit;
        return std::min(std::max(have, (need + step - 1) / step * step), room);
    };
    const int width = grown(part.width(), frame->width, panel.surface->width() - frame->x);
    const int height = grown(part.height(), frame->height, panel.surface->height() - frame->y);
    const bool wasShown = panel.floatingFrame.has_value();
    bool repaintAll = false;
    if (width != part.width() || height != part.height()) {
        part.resize(width, height);
        repaintAll = true;
    }
    if (!wasShown || panel.floatingFrame->x != frame->x || panel.floatingFrame->y != frame->y) {
        part.placeAt(frame->x / unit, frame->y / unit);
        floatingChanged(panel);
    }
    panel.floatingFrame = PixelRect{frame->x, frame->y, frame->width, frame->height};
    const bool repaint = repaintAll || !damage.empty();
    if (repaint && floatingPaint_) {
        const OverlayCanvas canvas{
            reinterpret_cast<std::uint8_t*>(part.canvas().data()), part.width(), part.height(),
            static_cast<std::ptrdiff_t>(part.width()) * 4,         part.scale(), false};
        floatingPaint_(displayId, canvas, repaintAll ? std::span<const Rect>() : damage);
    }
    if (updateFloatingHoles(panel) || repaint || !wasShown) {
        const PixelRect all{0, 0, part.width(), part.height()};
        std::vector<PixelRect> changed;
        if (repaintAll || !wasShown) {
            changed.push_back(all);
        } else {
            for (const Rect& r : damage) {
                changed.push_back(
                    clipped(canvasRect(r, part.scale()), part.width(), part.height()));
            }
        }
        part.commitNow(changed);
        floatingChanged(panel);
    }
}

bool WaylandOverlayHost::updateFloatingHoles(Panel& panel, std::span<const PixelRect> punching) {
    if (!panel.floating || !panel.floatingFrame) { // hidden: nothing of it to show
        return false;
    }
    const PixelRect& f = *panel.floatingFrame;
    std::vector<PixelRect> holes;
    for (const std::span<const PixelRect> list :
         {std::span<const PixelRect>(panel.surface->holes()), punching}) {
        for (const PixelRect& hole : list) {
            const PixelRect both = intersected(hole, f);
            if (both.width > 0 && both.height > 0) {
                holes.push_back({both.x - f.x, both.y - f.y, both.width, both.height});
            }
        }
    }
    if (holes == panel.floating->holes()) {
        return false;
    }
    panel.floating->setHoles(std::move(holes));
    return true;
}

void WaylandOverlayHost::floatingChanged(Panel& panel) {
    if (!panel.floatingMark) {
        panel.floatingMark = panel.surface->commits();
    }
    if (!std::exchange(floatingCommitQueued_, true)) {
        atTurnEnd(context_.get(), [this] { commitFloatingParents(); });
    }
}

void WaylandOverlayHost::commitFloatingParents() {
    floatingCommitQueued_ = false;
    for (auto& [id, panel] : panels_) {
        if (!panel->floatingMark) {
            continue;
        }
        const std::uint64_t mark = *std::exchange(panel->floatingMark, std::nullopt);
        // Holes about to be punched go out with a commit of the panel's.
        if (!pendingHoles_.contains(id) && panel->surface->commits() == mark) {
            panel->surface->commitState();
        }
    }
}

void WaylandOverlayHost::update(std::uint32_t displayId, const OverlayUpdate& changes) {
    OverlaySurface* s = surface(displayId);
    if (s == nullptr || !s->configured() || changes.damage.empty()) {
        return;
    }
    if (paint_) {
        std::vector<PixelRect> drawn;
        drawn.reserve(changes.drawn.size());
        for (const Rect& r : changes.drawn) {
            drawn.push_back(canvasRect(r, s->scale()));
        }
        s->setDrawn(std::move(drawn)); // only with the painting that makes it so
        const OverlayCanvas canvas{
            reinterpret_cast<std::uint8_t*>(s->canvas().data()), s->width(), s->height(),
            static_cast<std::ptrdiff_t>(s->width()) * 4,         s->scale(), false};
        paint_(displayId, canvas, changes.damage);
    }
    std::vector<PixelRect> damage;
    damage.reserve(changes.damage.size());
    for (const Rect& r : changes.damage) {
        damage.push_back(canvasRect(r, s->scale()));
    }
    if (pendingHoles_.contains(displayId)) {
        // The next measurement's holes go out later in this turn: the drawing goes with them.
        s->presentWithPunch(damage);
    } else {
        s->present(damage);
    }
}

void WaylandOverlayHost::setMode(OverlayInputMode mode) {
    if (mode != mode_) {
        closeMenu();
    }
    const bool input = mode != OverlayInputMode::idle;
    const bool hadInput = mode_ != OverlayInputMode::idle;
    const bool atOnce = mode == OverlayInputMode::picking;
    const bool hadAtOnce = mode_ == OverlayInputMode::picking;
    mode_ = mode;
    if (input != hadInput || atOnce != hadAtOnce) {
        for (auto& [id, panel] : panels_) {
            panel->surface->takeInput(input);
            panel->surface->takeKeyboard(input, atOnce);
        }
    }
    updateCursor();
}

void WaylandOverlayHost::showMenu(Point at, std::vector<std::string> titles,
                                  std::function<void(std::size_t)> chosen) {
    closeMenu();
    Panel* panel = panelAt(at);
    if (panel == nullptr || titles.empty() || connection_.globals().wmBase == nullptr ||
        connection_.globals().seat == nullptr) {
        return;
    }
    const OverlayMenu::Placement placement{panel->surface->layerSurface(),
                                           {at.x - panel->frame.x, at.y - panel->frame.y},
                                           cursorScale(panel->displayScale),
                                           pointer_->pressSerial()};
    menuDisplay_ = panel->id;
    menu_ = std::make_unique<OverlayMenu>(
        connection_, placement, std::move(titles),
        [this, chosen = std::move(chosen)](std::optional<std::size_t> entry) {
            // Closed once its handler has returned; the choice runs after, as on a toolkit's
            // menu.
            QMetaObject::invokeMethod(
                context_.get(),
                [this, chosen, entry] {
                    closeMenu();
                    if (entry) {
                        chosen(*entry);
                    }
                },
                Qt::QueuedConnection);
        });
}

void WaylandOverlayHost::closeMenu() {
    if (menu_) {
        menu_.reset();
        showCursor();
    }
}

std::optional<Point> WaylandOverlayHost::menuOrigin() const {
    const auto panel = panels_.find(menuDisplay_);
    if (!menu_ || !menu_->origin() || panel == panels_.end()) {
        return std::nullopt;
    }
    return Point{panel->second->frame.x + menu_->origin()->x,
                 panel->second->frame.y + menu_->origin()->y};
}

bool WaylandOverlayHost::overMenu() const {
    return menu_ && pointer_->focus() != nullptr && pointer_->focus() == menu_->surface();
}

bool WaylandOverlayHost::menuPointer(Point at, std::uint32_t code, bool pressed) {
    if (!menu_) {
        return false;
    }
    const std::optional<Point> origin = menuOrigin();
    menu_->route(overMenu() && origin ? std::optional<Point>({at.x - origin->x, at.y - origin->y})
                                      : std::nullopt,
                 code, pressed);
    return true;
}

void WaylandOverlayHost::setCursor(OverlayCursor cursor) {
    cursor_ = cursor;
    showCursor();
}

WaylandOverlayHost::Panel* WaylandOverlayHost::panelOf(const void* surface) {
    for (auto& [id, panel] : panels_) {
        if (panel->surface->surface() == surface) {
            return panel.get();
        }
    }
    return nullptr;
}

WaylandOverlayHost::Panel* WaylandOverlayHost::panelAt(Point at) {
    Panel* found = nullptr;
    for (auto& [id, panel] : panels_) {
        if (found == nullptr || panel->frame.contains(at)) {
            found = panel.get();
        }
    }
    return found;
}

WaylandOverlayHost::Panel* WaylandOverlayHost::snappingPanel() {
    const std::optional<Point> at = pointer_->position();
    if ((mode_ != OverlayInputMode::snapping && mode_ != OverlayInputMode::picking) || !at) {
        return nullptr;
    }
    for (auto& [id, panel] : panels_) {
        if (panel->frame.contains(*at)) {
            return panel.get();
        }
    }
    return nullptr;
}

// While snapping or picking a colour, the pointer's place drives the cursor check: the crosshair
// shows only where the compositor keeps cursors out of screen copies (see CursorCheck).
void WaylandOverlayHost::updateCursor() {
    if (const Panel* panel = snappingPanel()) {
        const Point at = *pointer_->position();
        if (cursorCheck_.pointerAt(panel->id, {at.x - panel->frame.x, at.y - panel->frame.y},
                                   panel->displayScale, ThemeCursor::size())) {
            rest_->start();
        }
    } else {
        rest_->stop();
        cursorCheck_.interrupt();
    }
    showCursor();
}

// While editing guides the cursor is the one asked for. While snapping or picking a colour it is
// the crosshair when the cursor check allows it, else none: the measurement's cross (or the
// loupe's ring) marks the pointer.
void WaylandOverlayHost::showCursor() {
    const std::optional<Point> at = pointer_->position();
    const Panel* panel = at ? panelAt(*at) : nullptr;
    if (panel != nullptr && overMenu()) {
        pointer_->setCursor(OverlayPointer::cursorNames(OverlayCursor::arrow),
                            cursorScale(panel->displayScale));
    } else if (panel != nullptr && mode_ == OverlayInputMode::editing) {
        pointer_->setCursor(OverlayPointer::cursorNames(cursor_), cursorScale(panel->displayScale));
    } else if (const Panel* snapping = snappingPanel(); snapping != nullptr &&
                                                        cursor_ == OverlayCursor::crosshair &&
                                                        cursorCheck_.crosshair()) {
        pointer_->setCursor(OverlayPointer::cursorNames(cursor_),
                            cursorScale(snapping->displayScale));
    } else {
        pointer_->setCursor({});
    }
}

void WaylandOverlayHost::punch(std::uint32_t displayId, PixelRect hole,
                               std::function<void()> ready) {
    // The row, the column and the loupe of one measurement are asked for together: one frame
    // clears them all.
    const bool first = pendingHoles_.empty();
    Holes& holes = pendingHoles_[displayId];
    holes.rects.push_back(hole);
    holes.ready.push_back(std::move(ready));
    if (first) {
        atTurnEnd(context_.get(), [this] { punchPending(); });
    }
}

void WaylandOverlayHost::punchPending() {
    std::map<std::uint32_t, Holes> pending = std::move(pendingHoles_);
    pendingHoles_.clear();
    // The holes' commit and the copies through them go to the compositor in one message.
    const WaylandConnection::Batch batch(connection_);
    for (auto& [id, holes] : pending) {
        // Punched even where nothing is drawn yet: drawing may come before the copy is taken.
        if (const auto found = panels_.find(id); found != panels_.end()) {
            Panel& panel = *found->second;
            for (PixelRect& hole : holes.rects) {
                hole = panel.canvasHole(hole);
            }
            // The floating part's holes first: its commit shows with the panel's.
            if (updateFloatingHoles(panel, holes.rects)) {
                panel.floating->commitNow({});
            }
            panel.surface->punch(holes.rects);
        }
        for (const auto& ready : holes.ready) {
            ready();
        }
    }
}

void WaylandOverlayHost::closeHole(std::uint32_t displayId, PixelRect hole) {
    const auto found = panels_.find(displayId);
    if (found == panels_.end()) {
        return;
    }
    Panel& panel = *found->second;
    OverlaySurface& surface = *panel.surface;
    surface.closeHole(panel.canvasHole(hole));
    if (updateFloatingHoles(panel)) {
        panel.floating->commitNow({});
        floatingChanged(panel);
    }
    // Drawing the measurement the copy gave shows the overlay there again; where it changed
    // nothing, this does, unless the next measurement's holes go out first, which show it too.
    // Asked for once the last of a measurement's holes closes, after its copies have made that
    // drawing (asked for before this): within one turn, the compositor shows only the later
    // commit.
    if (!surface.holesOpen() && closedHoles_.insert(displayId).second && closedHoles_.size() == 1) {
        atTurnEnd(context_.get(), [this] { showClosedHoles(); });
    }
}

void WaylandOverlayHost::showClosedHoles() {
    const std::set<std::uint32_t> displays = std::move(closedHoles_);
    closedHoles_.clear();
    for (const std::uint32_t id : displays) {
        OverlaySurface* s = surface(id);
        if (s != nullptr && !pendingHoles_.contains(id)) {
            s->showClosedHoles();
        }
    }
}

} // namespace spanlet::wayland
