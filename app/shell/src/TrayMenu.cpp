#include <QActionGroup>
#include <QMenu>
#include <QTimer>

#include <spanlet/shell/TrayMenu.hpp>

namespace spanlet::TrayMenu {

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
        QAction* action =
            menu.addAction(entry.key ? title + QLatin1Char('\t') +
                                           QString::fromStdString(Menu::keyText(*entry.key))
                                     : title);
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
