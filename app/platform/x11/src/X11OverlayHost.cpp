#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <algorithm>

#include <spanlet/platform/qt/QtOverlayInput.hpp>
#include <spanlet/screen/Desktop.hpp>
#include <spanlet/x11/PanelInput.hpp>
#include <spanlet/x11/X11OverlayHost.hpp>

namespace spanlet {

using x11::OverlayPanel;

namespace {

QRect logicalRect(const Rect& r) {
    return QRectF(r.x, r.y, r.width, r.height).toAlignedRect();
}

// The Qt screen showing `frame` (global logical pixels): the one with that geometry, else the
// one holding its centre.
QScreen* qtScreen(const Rect& frame) {
    const QRect wanted = logicalRect(frame);
    for (QScreen* s : QGuiApplication::screens()) {
        if (s->geometry() == wanted) {
            return s;
        }
    }
    return QGuiApplication::screenAt(wanted.center());
}

} // namespace

X11OverlayHost::X11OverlayHost(const X11DisplayPort& displays, OverlaySurfaces& surfaces)
    : displays_(displays), surfaces_(surfaces) {
    surfaces_.setOnWindowMapped([this](NativeWindow window) { otherWindowMapped(window); });
}

X11OverlayHost::~X11OverlayHost() {
    surfaces_.setOnWindowMapped({});
    discardPanels();
}

void X11OverlayHost::bind(OverlayPaint paint, OverlayInput* input) {
    client_ = {std::move(paint), input};
}

void X11OverlayHost::discardPanels() {
    if (!menu_.isNull()) {
        menu_->close();
    }
    floating_.clear();
    solids_.clear();
    for (auto& [id, panel] : panels_) {
        panel->hide();
        surfaces_.removeOwnWindow(panel->winId());
        // Later, not now: a rebuild may run inside one of this panel's own event handlers.
        panel->deleteLater();
    }
    panels_.clear();
}

void X11OverlayHost::rebuild(const std::vector<ScreenInfo>& screens) {
    discardPanels();
    screens_ = screens;
    for (const ScreenInfo& screen : screens) {
        if (panels_.count(screen.id) != 0) {
            continue; // one panel per display id
        }
        auto* panel = new OverlayPanel(surfaces_, client_, screen.id, qtScreen(screen.frame),
                                       logicalRect(screen.frame));
        // Registered before it is ever shown, so no capture sees it.
        surfaces_.addOwnWindow(panel->winId());
        panel->setInputEnabled(mode_ == OverlayInputMode::editing);
        panels_.emplace(screen.id, panel);
    }
    // The panel that had the keyboard is gone.
    refocus_ = mode_ == OverlayInputMode::editing;
}

double X11OverlayHost::scale(std::uint32_t displayId) const {
    const OverlayPanel* p = panel(displayId);
    return p != nullptr ? p->devicePixelRatioF() : 1;
}

bool X11OverlayHost::cutsToDrawing(std::uint32_t displayId) const {
    const OverlayPanel* p = panel(displayId);
    return p != nullptr && p->shapeMode();
}

void X11OverlayHost::update(std::uint32_t displayId, const OverlayUpdate& changes) {
    if (OverlayPanel* p = panel(displayId)) {
        p->apply(changes);
    }
}

void X11OverlayHost::setShown(bool shown) {
    for (auto& [id, panel] : panels_) {
        if (shown && !panel->isVisible()) {
            panel->showOnTop();
        } else if (!shown && panel->isVisible()) {
            panel->hide();
        }
    }
    for (auto& [id, solid] : solids_) {
        if (shown) {
            showSolid(id);
        } else if (solid.surface) {
            solid.surface->hide();
        }
    }
    for (auto& [id, floating] : floating_) {
        if (shown) {
            showFloating(id);
        } else if (floating.surface) {
            floating.surface->hide();
        }
    }
    if (shown && refocus_) {
        focusPointerPanel();
    }
}

void X11OverlayHost::setMode(OverlayInputMode mode) {
    const bool editing = mode == OverlayInputMode::editing;
    const bool wasEditing = mode_ == OverlayInputMode::editing;
    mode_ = mode;
    if (editing == wasEditing) {
        return;
    }
    if (editing) {
        focusBefore_ = surfaces_.inputFocus();
    }
    for (auto& [id, panel] : panels_) {
        panel->setInputEnabled(editing);
    }
    if (editing) {
        focusPointerPanel();
    } else {
        finishFocus();
    }
}

void X11OverlayHost::focusPointerPanel() {
    refocus_ = false;
    const auto screen = Desktop::screen(displays_.pointerLocation(), screens_);
    OverlayPanel* target = screen ? panel(screen->id) : nullptr;
    if (target == nullptr) {
        return;
    }
    target->takeFocus();
    if (target->shapeMode()) {
        // Shaped to what it draws, the panel would let clicks on empty space through to the
        // windows below; a pointer grab brings them to the editor.
        target->input()->grabMouse();
    }
}

void X11OverlayHost::finishFocus() {
    refocus_ = false;
    bool panelHasFocus = false;
    const NativeWindow focus = surfaces_.inputFocus();
    for (auto& [id, panel] : panels_) {
        if (QWidget::mouseGrabber() == panel->input()) {
            panel->input()->releaseMouse();
        }
        panel->input()->unsetCursor();
        panelHasFocus =
            panelHasFocus || QApplication::activeWindow() == panel || panel->winId() == focus;
    }
    if (panelHasFocus) {
        surfaces_.setInputFocus(focusBefore_);
    }
    focusBefore_ = 0;
}

void X11OverlayHost::setCursor(OverlayCursor cursor) {
    if (mode_ != OverlayInputMode::editing) {
        return; // the panels take no pointer: the windows below show theirs
    }
    for (auto& [id, panel] : panels_) {
        panel->input()->setCursor(cursorShape(cursor));
    }
}

void X11OverlayHost::showMenu(Point at, std::vector<std::string> titles,
                              std::function<void(std::size_t)> chosen) {
    if (!menu_.isNull()) {
        menu_->close();
    }
    const auto screen = Desktop::screen(at, screens_);
    OverlayPanel* owner = screen ? panel(screen->id) : nullptr;
    if (owner == nullptr) {
        return;
    }
    auto* menu = new QMenu(owner->input());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (std::size_t i = 0; i < titles.size(); ++i) {
        if (titles[i].empty()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromStdString(titles[i]));
        QObject::connect(action, &QAction::triggered, menu, [chosen, i] { chosen(i); });
    }
    menu_ = menu;
    menu->popup(QPointF(at.x, at.y).toPoint());
}

bool X11OverlayHost::floats(std::uint32_t displayId) const {
    const OverlayPanel* p = panel(displayId);
    return p != nullptr && !p->shapeMode() && !floatingFailed_;
}

void X11OverlayHost::bindFloating(const OverlayPaint& paint) {
    floatingPaint_ = paint;
}

void X11OverlayHost::placeFloating(std::uint32_t displayId, std::optional<DeviceRect> frame,
                                   std::span<const Rect> damage) {
    const OverlayPanel* base = panel(displayId);
    Floating& floating = floating_[displayId];
    floating.frame =
        base != nullptr && frame && frame->width > 0 && frame->height > 0 ? frame : std::nullopt;
    if (!floating.frame) {
        if (floating.surface) {
            floating.surface->hide();
        }
        return;
    }
    bool repaintAll = false;
    if (!floating.surface) {
        floating.surface = surfaces_.floatingSurface();
        if (!floating.surface) {
            floatingFailed_ = true; // the next frame has the loupe on the panel again
            return;
        }
        repaintAll = true;
    }
    if (repaintAll || !damage.empty()) {
        const SurfaceFrame memory = floating.surface->frame(frame->width, frame->height);
        if (floatingPaint_ && memory.bits != nullptr) {
            const OverlayCanvas canvas{
                memory.bits, memory.width, memory.height, memory.stride, base->devicePixelRatioF(),
                false};
            floatingPaint_(displayId, canvas,
                           repaintAll || memory.fresh ? std::span<const Rect>() : damage);
        }
        if (!floating.surface->present()) {
            floating.surface.reset();
            floatingFailed_ = true;
            return;
        }
    }
    if (base->isVisible()) {
        showFloating(displayId);
    }
}

void X11OverlayHost::showFloating(std::uint32_t displayId) {
    const Floating& floating = floating_[displayId];
    const OverlayPanel* base = panel(displayId);
    const std::optional<DeviceRect> display = deviceFrame(displayId);
    if (!floating.surface || !floating.frame || base == nullptr || !display) {
        return;
    }
    const auto solid = solids_.find(displayId);
    const NativeWindow below = solid != solids_.end() && solid->second.surface
                                   ? solid->second.surface->window()
                                   : base->winId();
    floating.surface->show(display->x + floating.frame->x, display->y + floating.frame->y, below);
}

bool X11OverlayHost::solids(std::uint32_t displayId) const {
    const OverlayPanel* p = panel(displayId);
    return p != nullptr && !p->shapeMode() && !solidFailed_;
}

void X11OverlayHost::placeSolid(std::uint32_t displayId, std::optional<DeviceRect> frame,
                                std::uint32_t argb) {
    const OverlayPanel* base = panel(displayId);
    Solid& solid = solids_[displayId];
    solid.frame =
        base != nullptr && frame && frame->width > 0 && frame->height > 0 ? frame : std::nullopt;
    solid.argb = argb;
    if (!solid.frame) {
        if (solid.surface) {
            solid.surface->hide();
        }
        return;
    }
    if (!solid.surface) {
        solid.surface = surfaces_.solidSurface();
        if (!solid.surface) {
            solidFailed_ = true; // the next frame has the line on the panel again
            return;
        }
    }
    showSolid(displayId);
}

void X11OverlayHost::showSolid(std::uint32_t displayId) {
    const Solid& solid = solids_[displayId];
    const OverlayPanel* base = panel(displayId);
    const std::optional<DeviceRect> display = deviceFrame(displayId);
    if (!solid.surface || !solid.frame || base == nullptr || !base->isVisible() || !display) {
        return;
    }
    DeviceRect at = *solid.frame;
    at.x += display->x;
    at.y += display->y;
    solid.surface->show(at, solid.argb, base->winId());
}

std::optional<DeviceRect> X11OverlayHost::deviceFrame(std::uint32_t displayId) const {
    for (const X11DisplayPort::Display& d : displays_.displays()) {
        if (d.info.id == displayId) {
            return DeviceRect{static_cast<int>(d.deviceFrame.x), static_cast<int>(d.deviceFrame.y),
                              static_cast<int>(d.deviceFrame.width),
                              static_cast<int>(d.deviceFrame.height)};
        }
    }
    return std::nullopt;
}

bool X11OverlayHost::ownPart(NativeWindow window) const {
    return std::any_of(floating_.begin(), floating_.end(),
                       [window](const auto& f) {
                           return f.second.surface && f.second.surface->window() == window;
                       }) ||
           std::any_of(solids_.begin(), solids_.end(), [window](const auto& s) {
               return s.second.surface && s.second.surface->window() == window;
           });
}

std::vector<OverlayPanel*> X11OverlayHost::panels() const {
    std::vector<OverlayPanel*> out;
    for (const auto& [id, panel] : panels_) {
        out.push_back(panel);
    }
    return out;
}

OverlayPanel* X11OverlayHost::panel(std::uint32_t displayId) const {
    const auto found = panels_.find(displayId);
    return found == panels_.end() ? nullptr : found->second;
}

void X11OverlayHost::otherWindowMapped(NativeWindow window) {
    // Our own windows (panels, the editor's menu) stay where they are; a menu must stay above.
    if (QApplication::activePopupWidget() != nullptr) {
        return;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->internalWinId() == window) {
            return;
        }
    }
    if (ownPart(window)) {
        return;
    }
    for (auto& [id, panel] : panels_) {
        if (panel->isVisible()) {
            panel->raise();
        }
    }
    // The panels' restacking first, then the solids and floating parts above them.
    surfaces_.flush();
    for (auto& [id, solid] : solids_) {
        showSolid(id);
    }
    for (auto& [id, floating] : floating_) {
        showFloating(id);
    }
    // Our other windows that keep their own place on top (the ruler, the sampler's loupe) go
    // back above the window and the panels.
    constexpr Qt::WindowFlags onTop = Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && (w->windowFlags() & onTop) == onTop &&
            qobject_cast<OverlayPanel*>(w) == nullptr) {
            w->raise();
        }
    }
    surfaces_.flush();
}

} // namespace spanlet
