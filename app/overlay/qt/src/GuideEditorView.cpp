#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <spanlet/overlay/qt/GuideEditorView.hpp>

namespace spanlet {

const QString GuideEditorView::accessibleNameText = QStringLiteral("Guides editor");
const QString GuideEditorView::helpText = QStringLiteral(
    "Tab selects a guide, arrow keys move it, Delete removes it, V or H adds a guide at the "
    "pointer, Escape finishes.");

namespace {

// The editor is a group to assistive technology, not a plain client area.
QAccessibleInterface* editorAccessible(const QString& /*className*/, QObject* object) {
    if (auto* view = qobject_cast<GuideEditorView*>(object)) {
        return new QAccessibleWidget(view, QAccessible::Grouping);
    }
    return nullptr;
}

Qt::CursorShape cursorShape(EditorCursor cursor) {
    switch (cursor) {
    case EditorCursor::crosshair:
        return Qt::CrossCursor;
    case EditorCursor::resizeLeftRight:
        return Qt::SizeHorCursor;
    case EditorCursor::resizeUpDown:
        return Qt::SizeVerCursor;
    case EditorCursor::arrow:
        break;
    }
    return Qt::ArrowCursor;
}

} // namespace

EditorKeyPress editorKeyPress(const QKeyEvent& event) {
    EditorKeyPress press;
    press.shift = event.modifiers().testFlag(Qt::ShiftModifier);
    switch (event.key()) {
    case Qt::Key_Return:
        press.key = EditorKey::returnKey;
        break;
    case Qt::Key_Enter:
        press.key = EditorKey::enter;
        break;
    case Qt::Key_Escape:
        press.key = EditorKey::escape;
        break;
    case Qt::Key_Tab:
        press.key = EditorKey::tab;
        break;
    case Qt::Key_Backtab:
        press.key = EditorKey::backtab;
        break;
    case Qt::Key_Backspace:
        press.key = EditorKey::deleteKey;
        break;
    case Qt::Key_Delete:
        press.key = EditorKey::forwardDelete;
        break;
    case Qt::Key_Left:
        press.key = EditorKey::left;
        break;
    case Qt::Key_Right:
        press.key = EditorKey::right;
        break;
    case Qt::Key_Up:
        press.key = EditorKey::up;
        break;
    case Qt::Key_Down:
        press.key = EditorKey::down;
        break;
    default:
        // Letters by key, not by text: Control or Alt would turn the text into something else.
        if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) {
            press.text = std::string(1, static_cast<char>('a' + (event.key() - Qt::Key_A)));
        }
        break;
    }
    return press;
}

GuideEditorView::GuideEditorView(Mensor& model, const DisplayPort& displays, std::uint32_t screenId,
                                 QWidget* parent)
    : QWidget(parent), editor_(model, displays, screenId) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(editorAccessible);
        return true;
    }();
    (void)factoryInstalled;
    setAccessibleName(accessibleNameText);
    setAccessibleDescription(helpText);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
}

void GuideEditorView::updateCursor() {
    setCursor(cursorShape(editor_.mouseMoved()));
}

void GuideEditorView::mouseMoveEvent(QMouseEvent* event) {
    if (!editor_.claimsInput()) {
        event->ignore();
        return;
    }
    if (event->buttons().testFlag(Qt::LeftButton)) {
        editor_.mouseDragged();
    } else {
        updateCursor();
    }
}

void GuideEditorView::mousePressEvent(QMouseEvent* event) {
    if (!editor_.claimsInput()) {
        event->ignore();
        return;
    }
    if (event->button() == Qt::RightButton) {
        showContextMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() == Qt::LeftButton) {
        editor_.mouseDown();
    }
}

void GuideEditorView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        editor_.mouseUp();
        if (editor_.claimsInput()) {
            updateCursor();
        }
    }
}

void GuideEditorView::keyPressEvent(QKeyEvent* event) {
    if (!editor_.claimsInput() || !editor_.keyDown(editorKeyPress(*event))) {
        QWidget::keyPressEvent(event);
    }
}

bool GuideEditorView::focusNextPrevChild(bool /*next*/) {
    return false; // Tab belongs to the editor
}

void GuideEditorView::showContextMenu(const QPoint& globalPos) {
    if (menu_) {
        menu_->close();
    }
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const EditorMenuEntry& entry : editor_.contextMenu()) {
        if (entry.action == EditorMenuEntry::Action::separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromUtf8(entry.title.c_str()));
        connect(action, &QAction::triggered, this, [this, entry] { editor_.perform(entry); });
    }
    menu_ = menu;
    menu->popup(globalPos);
}

} // namespace spanlet
