#pragma once

#include <QWidget>
#include <utility>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/views/HotkeyStatus.hpp>

class QLabel;

namespace spanlet::views {

/// Every command in declaration order with its title, its shortcut drawn as a key cap and, when
/// another application holds the shortcut, "In use by another app". Each row is one accessible
/// element "<title>, <spoken shortcut>".
class ShortcutList : public QWidget {
    Q_OBJECT
public:
    explicit ShortcutList(HotkeyStatus& hotkeys, QWidget* parent = nullptr);

private:
    void refresh();

    HotkeyStatus& hotkeys_;
    std::vector<std::pair<MensorCommand, QLabel*>> marks_;
    Subscription subscription_;
};

} // namespace spanlet::views
