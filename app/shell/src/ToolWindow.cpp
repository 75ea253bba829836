#include <QKeyEvent>
#include <QVBoxLayout>

#include <spanlet/shell/ToolWindow.hpp>

namespace spanlet {

ToolWindow::ToolWindow(QWidget* content)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    layout->setSizeConstraint(QLayout::SetFixedSize); // the content decides; no resizing
}

void ToolWindow::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool closeKey = event->key() == Qt::Key_W && mods == Qt::ControlModifier;
    const bool escape = event->key() == Qt::Key_Escape && mods == Qt::NoModifier;
    if (closeKey || escape) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ToolWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (hidden_) {
        hidden_(frameGeometry().topLeft());
    }
}

} // namespace spanlet
