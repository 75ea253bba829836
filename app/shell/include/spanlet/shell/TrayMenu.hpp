#pragma once

#include <QKeySequence>
#include <functional>
#include <vector>

#include <spanlet/shell/MenuModel.hpp>

class QMenu;

namespace spanlet::TrayMenu {

/// The key sequence shown for a key equivalent: Command and Control both become Ctrl (Linux
/// has no Command key), Shift stays, Option becomes Alt.
[[nodiscard]] QKeySequence keySequence(const Menu::KeyEquivalent& key);

/// Replaces the menu's contents with `entries`; choosing an entry calls `act` with its action
/// after the menu has closed.
void fill(QMenu& menu, const std::vector<Menu::Entry>& entries,
          std::function<void(Menu::Action)> act);

} // namespace spanlet::TrayMenu
