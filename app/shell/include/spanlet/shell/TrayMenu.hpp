#pragma once

#include <functional>
#include <vector>

#include <spanlet/shell/MenuModel.hpp>

class QMenu;

namespace spanlet::TrayMenu {

/// Replaces the menu's contents with `entries`; choosing an entry calls `act` with its action
/// after the menu has closed. A key equivalent is shown after a tab, as Qt menus show
/// shortcuts, written by Menu::keyText; it binds no key (the global shortcuts arrive through
/// the key grabs).
void fill(QMenu& menu, const std::vector<Menu::Entry>& entries,
          std::function<void(Menu::Action)> act);

} // namespace spanlet::TrayMenu
