#include <QActionGroup>
#include <QMenu>
#include <QTimer>
#include <cctype>

#include <spanlet/shell/TrayMenu.hpp>

namespace spanlet::TrayMenu {

QKeySequence keySequence(const Menu::KeyEquivalent& key) {
    using M = Shortcut::Modifiers;
    Qt::KeyboardModifiers mods;
    if (key.modifiers.contains(M::command) || key.modifiers.contains(M::control)) {
        mods |= Qt::ControlModifier;
    }
    if (key.modifiers.contains(M::shift)) {
        mods |= Qt::ShiftModifier;
    }
    if (key.modifiers.contains(M::option)) {
        mods |= Qt::AltModifier;
    }
    // Qt's letter keys are the upper-case code points; punctuation keys are their own.
    const auto c = static_cast<unsigned char>(key.key);
    const auto code = static_cast<Qt::Key>(std::toupper(c));
    return QKeySequence(QKeyCombination(mods, code));
}

void fill(QMenu& menu, const std::vector<Menu::Entry>& entries,
          std::function<void(Menu::Action)> act) {
    menu.clear();
    for (QActionGroup* old : menu.findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly)) {
        delete old;
    }
    QActionGroup* choices = nullptr;
    for (const Menu::Entry& entry : entries) {
        const QString title = QString::fromStdString(entry.title);
        if (entry.kind == Menu::EntryKind::separator) {
            menu.addSeparator();
            choices = nullptr;
            continue;
        }
        if (entry.kind == Menu::EntryKind::header) {
            menu.addSection(title);
            choices = nullptr;
            continue;
        }
        QAction* action = menu.addAction(title);
        action->setEnabled(entry.enabled);
        if (entry.kind == Menu::EntryKind::toggle || entry.kind == Menu::EntryKind::choice) {
            action->setCheckable(true);
            action->setChecked(entry.checked);
        }
        if (entry.kind == Menu::EntryKind::choice) {
            if (!choices) {
                choices = new QActionGroup(&menu);
                choices->setExclusive(true);
            }
            choices->addAction(action);
        } else {
            choices = nullptr;
        }
        if (entry.key) {
            action->setShortcut(keySequence(*entry.key));
            // Shown as a hint only: the global shortcuts arrive through the key grabs, the
            // others only matter while the menu is open.
            action->setShortcutContext(Qt::WidgetShortcut);
        }
        if (entry.action) {
            const Menu::Action what = *entry.action;
            QObject::connect(action, &QAction::triggered, &menu, [act, what, &menu] {
                // Run after the menu has closed and finished its own handling of the click.
                QTimer::singleShot(0, &menu, [act, what] { act(what); });
            });
        }
    }
}

} // namespace spanlet::TrayMenu
