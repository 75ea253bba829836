#pragma once

#include <QString>
#include <QWidget>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/platform/Clipboard.hpp>

class QPlainTextEdit;

namespace spanlet::views {

/// Where nothing binds global shortcuts for Spanlet: the lines that bind the user's shortcuts
/// to `spanlet --command NAME` in sway's and in Hyprland's configuration, each set with a
/// "Copy" button, kept in step with the preferences.
class CompositorBindingsPanel : public QWidget {
    Q_OBJECT
public:
    CompositorBindingsPanel(Mensor& model, Clipboard& clipboard, QWidget* parent = nullptr);

    /// How the lines start Spanlet: "spanlet" when that is this program on the PATH, else the
    /// program's own path.
    [[nodiscard]] static QString program();

private:
    void refresh(const Preferences& prefs);

    Clipboard& clipboard_;
    QPlainTextEdit* sway_ = nullptr;
    QPlainTextEdit* hyprland_ = nullptr;
    Subscription prefsSubscription_;
};

} // namespace spanlet::views
