// Settings where nothing binds global shortcuts for Spanlet: no key fields, but the lines for
// the compositor's configuration, following the user's shortcuts, with copy buttons.
#include <QCoreApplication>
#include <QPlainTextEdit>

#include <spanlet/views/CompositorBindings.hpp>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

class CompositorBindingsViewTest : public ViewTest {};

TEST_F(CompositorBindingsViewTest, SettingsShowsTheLinesToPasteAndCopiesThem) {
    HotkeyState configured;
    configured.route = HotkeyRoute::configuration;
    hotkeys.setState(configured);
    Preferences prefs;
    prefs.shortcuts.set(MensorCommand::pickColor, std::nullopt);
    prefs.shortcuts.set(
        MensorCommand::toggleRuler,
        userShortcut("9", {Shortcut::Modifiers::control, Shortcut::Modifiers::option}));
    started(prefs);
    auto view = show(Kind::settings);
    EXPECT_EQ(view->findChild<QWidget*>(QStringLiteral("record")), nullptr);
    EXPECT_FALSE(child(view.get(), "hotkeysEnabled")->isVisibleTo(view.get()));

    const std::string program =
        CompositorBindings::shellWord(QCoreApplication::applicationFilePath().toStdString());
    const auto lines = [&](const char* name) {
        std::vector<std::string> out;
        for (const QString& line : child<QPlainTextEdit>(view.get(), name)
                                       ->toPlainText()
                                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            out.push_back(utf8(line));
        }
        return out;
    };
    const std::vector<std::string> sway = lines("lines.sway");
    const std::vector<std::string> hyprland = lines("lines.hyprland");
    // Every command but the cleared pickColor, in command order.
    ASSERT_EQ(sway.size(), allCases<MensorCommand>.size() - 1);
    ASSERT_EQ(hyprland.size(), sway.size());
    EXPECT_EQ(sway[0], "bindsym Ctrl+Mod1+9 exec " + program + " --command toggleRuler");
    EXPECT_EQ(sway[5], "bindsym Ctrl+Shift+s exec " + program + " --command toggleSnapping");
    EXPECT_EQ(hyprland[0], "bind = CTRL ALT, 9, exec, " + program + " --command toggleRuler");
    EXPECT_EQ(hyprland[5], "bind = CTRL SHIFT, S, exec, " + program + " --command toggleSnapping");

    click(view.get(), "copy.sway");
    EXPECT_EQ(clipboard(), utf8(child<QPlainTextEdit>(view.get(), "lines.sway")->toPlainText()));
    click(view.get(), "copy.hyprland");
    EXPECT_EQ(clipboard(),
              utf8(child<QPlainTextEdit>(view.get(), "lines.hyprland")->toPlainText()));
}

} // namespace
} // namespace spanlet::testing
