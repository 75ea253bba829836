#pragma once

#include <QWidget>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/model/Mensor.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/views/HotkeyStatus.hpp>

class QLabel;
class QToolButton;

namespace spanlet::views {

class ShortcutRecorder;

/// Every command in declaration order with its title, the user's shortcut drawn as a key cap
/// and, when the shortcut does not reach the command, why: "In use by another app", or the
/// other command bound to the same keys. Each row is one accessible element "<title>, <spoken
/// shortcut>". Where the desktop binds the keys, each key cap shows what it bound, in its own
/// words, and nothing is editable. Where the compositor's configuration binds them, a line
/// above the rows says so. Editable, the key cap records a new combination when clicked and a
/// "Clear" button removes it; both change the preferences.
class ShortcutList : public QWidget {
    Q_OBJECT
public:
    ShortcutList(Mensor& model, HotkeyStatus& hotkeys, bool editable, QWidget* parent = nullptr);

private:
    struct Row {
        MensorCommand command = MensorCommand::toggleRuler;
        QWidget* row = nullptr;
        QLabel* cap = nullptr;
        ShortcutRecorder* recorder = nullptr;
        QToolButton* clear = nullptr;
        QLabel* mark = nullptr;
    };

    void refresh();
    void bind(MensorCommand command, std::optional<Shortcut> keys);

    Mensor& model_;
    HotkeyStatus& hotkeys_;
    std::vector<Row> rows_;
    Subscription hotkeysSubscription_;
    Subscription prefsSubscription_;
};

} // namespace spanlet::views
