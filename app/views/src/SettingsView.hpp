#pragma once

#include <QWidget>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/platform/Clipboard.hpp>
#include <spanlet/platform/PermissionPort.hpp>
#include <spanlet/views/HotkeyStatus.hpp>
#include <spanlet/views/LoginItem.hpp>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace spanlet::views {

/// The settings window (520 × 640, scrolling when taller): units, guides, edge snapping,
/// copying, the global shortcuts, and starting at login, each bound to its preference. The
/// shortcuts show as the session binds them: an editor where Spanlet grabs them, what the
/// desktop bound where it binds them, and where nothing binds them for Spanlet, the editor and
/// a button that adds them to the desktop's keyboard settings where it has those, else the
/// lines for the compositor's configuration. Every control shows the model's current value, so
/// changes made elsewhere show at once.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    /// Slider steps per unit of tolerance (steps of 0.0001). Dividing a step count by it gives
    /// the nearest double, so step 700 is exactly the threshold 0.07.
    static constexpr double toleranceTicks = 10000;

    SettingsView(Mensor& model, PermissionPort& permission, HotkeyStatus& hotkeys,
                 LoginItem& loginItem, Clipboard& clipboard, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* unitsSection();
    QWidget* guidesSection();
    QWidget* snappingSection();
    QWidget* copyingSection();
    QWidget* shortcutsSection(HotkeyStatus& hotkeys, Clipboard& clipboard);
    QWidget* generalSection();

    /// Shows `prefs` in every bound control without writing anything back.
    void display(const Preferences& prefs);
    /// Reads the screen-recording permission again and shows where it stands.
    void refreshAllowed();
    /// Turns starting at login on or off; when that fails the toggle shows the real state.
    void changeLoginItem(bool on);

    Mensor& model_;
    PermissionPort& permission_;
    LoginItem& loginItem_;
    bool loginItemOn_ = false;

    QButtonGroup* unit_ = nullptr;
    QCheckBox* showGuides_ = nullptr;
    QCheckBox* showGapLabels_ = nullptr;
    QSlider* tolerance_ = nullptr;
    QLabel* toleranceState_ = nullptr;
    QCheckBox* showLoupe_ = nullptr;
    QLabel* allowedText_ = nullptr;
    QComboBox* copyStyle_ = nullptr;
    QComboBox* colorStyle_ = nullptr;
    /// The desktop's action that allows capture, where it has one.
    QPushButton* grant_ = nullptr;
    /// Why capture is allowed, or not, and what the action does.
    QLabel* accessNote_ = nullptr;
    QCheckBox* hotkeysEnabled_ = nullptr;
    /// Who binds the shortcuts, as the session said when the view was made.
    HotkeyRoute route_ = HotkeyRoute::grabbed;
    /// What shows while the shortcuts are on: the list with its controls and notes.
    QWidget* shortcutList_ = nullptr;
    /// Null where the desktop binds the keys.
    QPushButton* restoreDefaults_ = nullptr;
    /// The desktop's dialog for its bound keys (route desktop).
    QPushButton* changeTriggers_ = nullptr;
    Subscription hotkeysSubscription_;
    QCheckBox* openAtLogin_ = nullptr;
    Subscription prefsSubscription_;
};

} // namespace spanlet::views
