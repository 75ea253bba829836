// Settings where the desktop's keyboard settings can run Spanlet's commands: the keys stay
// editable, and a button adds them there only once the user says yes, then shows what the
// desktop holds.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <spanlet/platform/ConfiguredHotkeys.hpp>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

/// Keeps what it is given, as a desktop's settings would.
class FakeDesktopShortcuts final : public DesktopShortcuts {
public:
    std::vector<DesktopTrigger> held;
    int adds = 0;

    [[nodiscard]] std::string action() const override { return "Add to Desktop Shortcuts…"; }
    [[nodiscard]] std::string question(std::span<const Binding> bindings) const override {
        return "Adds " + std::to_string(bindings.size()) + " shortcuts.";
    }
    std::string add(std::span<const Binding> bindings) override {
        ++adds;
        held.clear();
        for (const Binding& b : bindings) {
            held.push_back({b.command, b.shortcut.display()});
        }
        return {};
    }
    [[nodiscard]] std::vector<DesktopTrigger> read() const override { return held; }
};

/// Answers the next message box with `button` once it shows, and keeps its text in `asked`.
void answerNextQuestion(QMessageBox::StandardButton button, QString& asked) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, button, &asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        asked = box->text();
        poll->deleteLater();
        box->button(button)->click();
    });
    poll->start(10);
}

class DesktopShortcutsViewTest : public ViewTest {
protected:
    std::unique_ptr<FakeDesktopShortcuts> made = std::make_unique<FakeDesktopShortcuts>();
    FakeDesktopShortcuts& desktop = *made;
    ConfiguredHotkeys platformHotkeys{std::move(made)};
};

TEST_F(DesktopShortcutsViewTest, AddsTheShortcutsOnlyWhenAllowedAndShowsWhatTheDesktopHolds) {
    hotkeys.follow(platformHotkeys);
    Preferences prefs;
    prefs.shortcuts.set(MensorCommand::pickColor, std::nullopt);
    started(prefs);
    auto view = show(Kind::settings);
    EXPECT_EQ(view->findChild<QWidget*>(QStringLiteral("lines.sway")), nullptr);
    EXPECT_NE(view->findChild<QWidget*>(QStringLiteral("record")), nullptr);
    EXPECT_EQ(text(view.get(), "addDesktopShortcuts"), "Add to Desktop Shortcuts…");
    EXPECT_EQ(text(view.get(), "desktopShortcutsBound"), "No shortcuts of Spanlet’s yet.");

    QString asked;
    answerNextQuestion(QMessageBox::Cancel, asked);
    click(view.get(), "addDesktopShortcuts");
    EXPECT_EQ(utf8(asked), "Adds 9 shortcuts.");
    EXPECT_EQ(desktop.adds, 0);

    answerNextQuestion(QMessageBox::Yes, asked);
    click(view.get(), "addDesktopShortcuts");
    ASSERT_EQ(desktop.adds, 1);
    const std::string bound = text(view.get(), "desktopShortcutsBound");
    EXPECT_TRUE(
        bound.starts_with(std::string(title(MensorCommand::toggleRuler)) + ": Ctrl+Shift+R\n"))
        << bound;
    EXPECT_EQ(bound.find(std::string(title(MensorCommand::pickColor))), std::string::npos);
}

} // namespace
} // namespace spanlet::testing
