#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/OverlayPainter.hpp>
#include <spanlet/overlay/SceneBuilder.hpp>
#include <spanlet/overlay/qt/GuideEditorView.hpp>
#include <spanlet/overlay/qt/OverlayPanel.hpp>
#include <spanlet/overlay/qt/QtOverlayController.hpp>
#include <spanlet/screen/Desktop.hpp>

namespace spanlet {

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

QtOverlayController::QtOverlayController(const DisplayPort& displays, OverlaySurfaces& surfaces)
    : displays_(displays), surfaces_(surfaces) {
    surfaces_.setOnWindowMapped([this](NativeWindow window) { otherWindowMapped(window); });
}

QtOverlayController::~QtOverlayController() {
    surfaces_.setOnWindowMapped({});
    subscriptions_.clear();
    discardPanels();
}

void QtOverlayController::attach(Mensor& model) {
    model_ = &model;
    subscriptions_.clear();
    subscriptions_ = observeSceneInputs(model, [this] { scheduleRepaint(); });
    subscriptions_.push_back(
        model.overlayMode().subscribe([this](const OverlayMode& mode) { apply(mode); }));
}

void QtOverlayController::discardPanels() {
    for (auto& [id, panel] : panels_) {
        panel->hide();
        surfaces_.removeOwnWindow(panel->winId());
        // Later, not now: rebuild() may run inside one of this panel's own event handlers.
        panel->deleteLater();
    }
    panels_.clear();
}

void QtOverlayController::rebuild() {
    if (!model_) {
        return;
    }
    discardPanels();
    for (const ScreenInfo& screen : *model_->screens()) {
        if (panels_.count(screen.id) != 0) {
            continue; // one panel per display id
        }
        auto* panel = new OverlayPanel(surfaces_, screen.id, qtScreen(screen.frame),
                                       logicalRect(screen.frame));
        panel->setEditorView(new GuideEditorView(*model_, displays_, screen.id));
        // Registered before it is ever shown, so no capture sees it.
        surfaces_.addOwnWindow(panel->winId());
        panels_.emplace(screen.id, panel);
    }
    // The panel that had the keyboard is gone: applying the mode hands it to the new panel of the
    // pointer's display as if editing had just started, still returning it afterwards to the
    // window that had it before editing.
    regainFocus_ = wasEditing_;
    wasEditing_ = false;
    apply(*model_->overlayMode());
}

void QtOverlayController::apply(const OverlayMode& mode) {
    const bool needed = mode.shown;
    const bool editing = mode.editingGuides;
    const bool starting = editing && !wasEditing_;
    std::optional<std::uint32_t> target;
    if (starting) {
        target = *model_->tracking().pointerScreen();
        if (!target) {
            if (const auto s = Desktop::screen(*model_->tracking().pointer(), *model_->screens())) {
                target = s->id;
            }
        }
        if (!regainFocus_) {
            focusBefore_ = surfaces_.inputFocus();
        }
    }
    regainFocus_ = false;
    repaintNow(); // shown panels appear with their content
    for (auto& [id, panel] : panels_) {
        panel->setInputEnabled(editing);
        if (needed && !panel->isVisible()) {
            panel->showOnTop();
        } else if (!needed && panel->isVisible()) {
            panel->hide();
        }
        if (starting && target == id) {
            panel->takeFocus();
            if (panel->shapeMode()) {
                // Shaped to what it draws, the panel would let clicks on empty space through to
                // the windows below; a pointer grab brings them to the editor.
                panel->editorView()->grabMouse();
            }
        }
    }
    if (wasEditing_ && !editing) {
        finishFocus();
    }
    wasEditing_ = editing;
}

void QtOverlayController::finishFocus() {
    bool panelHasFocus = false;
    const NativeWindow focus = surfaces_.inputFocus();
    for (auto& [id, panel] : panels_) {
        if (QWidget::mouseGrabber() == panel->editorView()) {
            panel->editorView()->releaseMouse();
        }
        panel->editorView()->unsetCursor();
        panelHasFocus =
            panelHasFocus || QApplication::activeWindow() == panel || panel->winId() == focus;
    }
    if (panelHasFocus) {
        surfaces_.setInputFocus(focusBefore_);
    }
    focusBefore_ = 0;
}

void QtOverlayController::scheduleRepaint() {
    if (repaintPending_) {
        return;
    }
    repaintPending_ = true;
    // A posted call, not a zero-length timer: that would make and destroy a timer object on
    // every pointer move.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (repaintPending_) {
                repaintNow();
            }
        },
        Qt::QueuedConnection);
}

void QtOverlayController::repaintNow() {
    repaintPending_ = false;
    if (!model_) {
        return;
    }
    const SceneInput input = sceneInput(*model_);
    for (auto& [id, panel] : panels_) {
        draw::DrawList list;
        for (const ScreenInfo& screen : *model_->screens()) {
            if (screen.id == id) {
                list = layoutOverlay(buildScene(screen, input), measurer_);
                break;
            }
        }
        panel->setDrawList(std::move(list));
    }
}

std::vector<OverlayPanel*> QtOverlayController::panels() const {
    std::vector<OverlayPanel*> out;
    for (const auto& [id, panel] : panels_) {
        out.push_back(panel);
    }
    return out;
}

OverlayPanel* QtOverlayController::panel(std::uint32_t screenId) const {
    const auto found = panels_.find(screenId);
    return found == panels_.end() ? nullptr : found->second;
}

void QtOverlayController::otherWindowMapped(NativeWindow window) {
    // Our own windows (panels, the editor's menu) stay where they are; a menu must stay above.
    if (QApplication::activePopupWidget()) {
        return;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->internalWinId() == window) {
            return;
        }
    }
    for (auto& [id, panel] : panels_) {
        if (panel->isVisible()) {
            panel->raise();
        }
    }
    // Our other windows that keep their own place on top (the ruler, the sampler's loupe) go
    // back above the window and the panels.
    constexpr Qt::WindowFlags onTop = Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && (w->windowFlags() & onTop) == onTop &&
            dynamic_cast<OverlayPanel*>(w) == nullptr) {
            w->raise();
        }
    }
    surfaces_.flush();
}

} // namespace spanlet
