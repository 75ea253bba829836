#include "ViewStyle.hpp"

#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QWidget>

namespace spanlet::views {

QLabel* label(const QString& text, bool wrap) {
    auto* l = new QLabel(text);
    l->setWordWrap(wrap);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QColor withAlpha(QColor color, double opacity) {
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

void makeSecondary(QWidget* widget) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, withAlpha(p.color(QPalette::WindowText), 0.6));
    widget->setPalette(p);
}

void scaleFont(QWidget* widget, double factor, bool bold) {
    QFont f = widget->font();
    f.setPointSizeF(f.pointSizeF() * factor);
    f.setBold(bold);
    widget->setFont(f);
}

void makeCaption(QWidget* widget) {
    scaleFont(widget, 0.85, widget->font().bold());
}

QKeySequence keySequence(const Shortcut& shortcut) {
    using M = Shortcut::Modifiers;
    int keys = 0;
    if (shortcut.modifiers.contains(M::control)) {
        keys |= Qt::CTRL;
    }
    if (shortcut.modifiers.contains(M::shift)) {
        keys |= Qt::SHIFT;
    }
    if (shortcut.modifiers.contains(M::option)) {
        keys |= Qt::ALT;
    }
    if (shortcut.modifiers.contains(M::command)) {
        keys |= Qt::META;
    }
    if (shortcut.key.empty()) {
        return {};
    }
    // Qt's key codes of letters and digits are their upper-case ASCII codes.
    const QString key = qs(shortcut.key).left(1).toUpper();
    return QKeySequence(keys | static_cast<int>(key.at(0).unicode()));
}

bool pressDialogButton(int key, QPushButton* defaultButton, QPushButton* cancelButton) {
    QPushButton* target = nullptr;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        target = defaultButton;
    } else if (key == Qt::Key_Escape) {
        target = cancelButton;
    }
    if (target == nullptr || !target->isEnabled()) {
        return false;
    }
    target->click();
    return true;
}

void fitHeight(QWidget* view) {
    QLayout* layout = view->layout();
    if (layout == nullptr) {
        return;
    }
    // A widget added to the layout of a shown widget is shown only on the next turn of the
    // event loop, and counts for nothing until then; show it now so its room is included.
    const QList<QWidget*> children = view->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const QWidget* parent = child->parentWidget();
        if (!child->isWindow() && child->isHidden() &&
            !child->testAttribute(Qt::WA_WState_ExplicitShowHide) && parent != nullptr &&
            parent->isVisible()) {
            child->show();
        }
    }
    view->ensurePolished();
    // Nested widgets lay themselves out only on their next LayoutRequest; do it now, innermost
    // first, so the height below sees the content as it is.
    for (auto it = children.crbegin(); it != children.crend(); ++it) {
        if (QLayout* inner = (*it)->layout()) {
            inner->invalidate();
            inner->activate();
        }
    }
    layout->invalidate();
    layout->activate();
    const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(view->width())
                                                   : layout->totalSizeHint().height();
    view->setFixedHeight(height);
}

void grantAfterAsking(QWidget* parent, PermissionPort& permission, const QString& action) {
    const std::string question = permission.grantQuestion();
    if (!question.empty() &&
        QMessageBox::question(parent, action, qs(question), QMessageBox::Yes | QMessageBox::Cancel,
                              QMessageBox::Cancel) != QMessageBox::Yes) {
        return;
    }
    permission.grant();
}

} // namespace spanlet::views
