// Global shortcuts through the GlobalShortcuts portal, against a fake portal on the test's own
// session bus: the portal is found only where it is, the user's keys are its preferred
// triggers, Activated runs the command, Settings shows what the desktop bound, and a portal
// that restarts gets the shortcuts again.
#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <memory>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/portal/PortalHotkeys.hpp>
#include <spanlet/shell/SessionHotkeys.hpp>
#include <spanlet/views/AutostartEntry.hpp>
#include <spanlet/views/HotkeyStatus.hpp>
#include <spanlet/views/ToolViews.hpp>

#include "fakes/FakePlatform.hpp"
#include "support/Processes.hpp"

namespace spanlet::testing {
namespace {

using namespace std::chrono_literals;
using portal::PortalHotkeys;
using portal::PortalShortcuts;

const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");

/// A back end's hot keys that bind keys themselves or leave them to the compositor.
class BackendHotkeys final : public PlatformHotkeys {
public:
    explicit BackendHotkeys(HotkeyRoute route) : route_(route) {}
    void setOnCommand(std::function<void(MensorCommand)> /*handler*/) override {}
    void registerCommands(std::span<const Binding> /*bindings*/) override {}
    void unregisterAll() override {}
    [[nodiscard]] std::vector<MensorCommand> unavailable() const override { return {}; }
    void setOnStatusChanged(std::function<void()> /*handler*/) override {}
    [[nodiscard]] HotkeyRoute route() const override { return route_; }

private:
    HotkeyRoute route_;
};

/// Calls `method` of the fake portal's control interface and returns its reply.
QDBusMessage control(const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.portal.Desktop"), kPath,
                                       QStringLiteral("org.spanlet.FakePortal"), method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call);
}

/// The text of the key cap in the shortcut row of `command`.
QString keysShown(const QWidget* view, MensorCommand command) {
    const auto* row = view->findChild<QWidget*>(QStringLiteral("shortcut.") +
                                                QString::fromLatin1(rawValue(command).data()));
    const auto* keys = row != nullptr ? row->findChild<QLabel*>(QStringLiteral("keys")) : nullptr;
    return keys != nullptr ? keys->text() : QString();
}

TEST(PortalHotkeysTest, BindsTheUsersKeysRunsActivatedCommandsAndSettingsShowsTheBinding) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected());
    EXPECT_EQ(PortalHotkeys::make(bus, 2s), nullptr) << "no portal on this bus yet";

    test::Background fake({FAKE_PORTAL, "2"});
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return bus.interface()
            ->isServiceRegistered(QStringLiteral("org.freedesktop.portal.Desktop"))
            .value();
    }));
    std::unique_ptr<PortalHotkeys> hotkeys =
        PortalHotkeys::make(bus, 2s, QStringLiteral("io.github.spanlet.Spanlet"));
    ASSERT_NE(hotkeys, nullptr);
    EXPECT_EQ(hotkeys->version(), 2U);
    // The shell takes the portal only where the back end binds no keys itself.
    BackendHotkeys grabbing(HotkeyRoute::grabbed);
    BackendHotkeys configured(HotkeyRoute::configuration);
    EXPECT_EQ(&SessionHotkeys(grabbing).get(), &grabbing);
    EXPECT_EQ(SessionHotkeys(configured).get().route(), HotkeyRoute::desktop);

    fakes::FakePlatform platform;
    Preferences prefs;
    prefs.welcomed = true;
    prefs.shortcuts.set(
        MensorCommand::toggleRuler,
        userShortcut("9", {Shortcut::Modifiers::control, Shortcut::Modifiers::option}));
    Mensor model(MensorPorts{platform.clock, platform.displays, platform.capture,
                             platform.permission, platform.clipboard, platform.announcer,
                             platform.preferences, platform.windows, *hotkeys, platform.overlays,
                             platform.sampler},
                 prefs);
    HotkeyStatusValue status;
    status.follow(*hotkeys);
    QTemporaryDir config;
    AutostartEntry loginItem((config.path() + QStringLiteral("/spanlet.desktop")).toStdString(),
                             "/usr/bin/spanlet");
    ViewContext context{model, platform.permission, status, platform.clipboard, loginItem, {}, {}};
    model.start();
    std::unique_ptr<QWidget> settings(makeToolView(Windows::Kind::settings, context, nullptr));
    settings->show();

    // Bound with the user's keys (and the defaults elsewhere) as the preferred triggers; the
    // desktop's answer is what Settings shows.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return keysShown(settings.get(), MensorCommand::toggleSnapping) ==
               QStringLiteral("CTRL+SHIFT+s");
    }));
    std::map<QString, QString> preferred;
    for (const auto& s :
         qdbus_cast<PortalShortcuts>(control(QStringLiteral("Bound")).arguments().value(0))) {
        preferred[s.id] = s.details.value(QStringLiteral("preferred_trigger")).toString();
    }
    EXPECT_EQ(preferred.size(), allCases<MensorCommand>.size());
    EXPECT_EQ(preferred[QStringLiteral("toggleRuler")], QStringLiteral("CTRL+ALT+9"));
    EXPECT_EQ(preferred[QStringLiteral("toggleSnapping")], QStringLiteral("CTRL+SHIFT+s"));
    EXPECT_EQ(settings->findChild<QWidget*>(QStringLiteral("record")), nullptr)
        << "the desktop's keys are not edited here";

    const MeasureUnit unit = model.prefs()->unit;
    control(QStringLiteral("Activate"), {QStringLiteral("toggleUnit")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.prefs()->unit != unit; }));

    control(QStringLiteral("Change"), {QStringLiteral("toggleSnapping"), QStringLiteral("Alt+S")});
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return keysShown(settings.get(), MensorCommand::toggleSnapping) == QStringLiteral("Alt+S");
    }));
    EXPECT_EQ(keysShown(settings.get(), MensorCommand::toggleRuler), QStringLiteral("CTRL+ALT+9"));

    // A portal that restarts lost the session: the keys are bound there again.
    fake.stop();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return keysShown(settings.get(), MensorCommand::toggleSnapping) == QStringLiteral("None");
    }));
    test::Background restarted({FAKE_PORTAL, "2"});
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return keysShown(settings.get(), MensorCommand::toggleSnapping) ==
               QStringLiteral("CTRL+SHIFT+s");
    }));

    // Version 2 has the desktop's own dialog for the keys.
    auto* change = settings->findChild<QAbstractButton*>(QStringLiteral("changeTriggers"));
    ASSERT_NE(change, nullptr);
    ASSERT_TRUE(change->isVisibleTo(settings.get()));
    change->click();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return control(QStringLiteral("Counts")).arguments().value(0).toUInt() == 1; }));

    // Turning the shortcuts off closes the session.
    model.updatePrefs([](Preferences& p) { p.hotkeysEnabled = false; });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return control(QStringLiteral("Counts")).arguments().value(1).toUInt() == 0; }));
}

} // namespace
} // namespace spanlet::testing
