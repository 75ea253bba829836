#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <spanlet/platform/PlatformHotkeys.hpp>
#include <spanlet/portal/PortalShortcut.hpp>

namespace spanlet::portal {

/// The global shortcuts bound through the desktop's XDG GlobalShortcuts portal
/// (org.freedesktop.portal.GlobalShortcuts on the session bus). Each registration opens a
/// session of its own and binds every command there, with the user's shortcut as the preferred
/// trigger; the desktop decides what is really bound (it may ask the user, or keep what the user
/// chose before) and says so in its answer and in ShortcutsChanged, which triggers() reports.
/// Activated runs the command. When the portal's service restarts, the shortcuts are bound
/// again there. Main thread only.
class PortalHotkeys final : public QObject, public PlatformHotkeys {
    Q_OBJECT
public:
    /// The portal's shortcuts on `bus`, or nothing where the session offers no GlobalShortcuts
    /// portal of version 1 or later. Waits at most `wait` for the bus to answer. `appId` (the
    /// desktop file's name) tells the portal which application this is.
    static std::unique_ptr<PortalHotkeys>
    make(const QDBusConnection& bus, std::chrono::milliseconds wait, const QString& appId = {});

    PortalHotkeys(const QDBusConnection& bus, std::uint32_t version);
    /// Closes the session.
    ~PortalHotkeys() override;
    PortalHotkeys(const PortalHotkeys&) = delete;
    PortalHotkeys& operator=(const PortalHotkeys&) = delete;

    void setOnCommand(std::function<void(MensorCommand)> handler) override;
    /// Closes the session bound before, then opens one and binds `bindings` there.
    void registerCommands(std::span<const Binding> bindings) override;
    /// Closes the session: no shortcut reaches Spanlet until the next registration.
    void unregisterAll() override;
    /// The portal binds every shortcut or none; nothing is held by another application.
    [[nodiscard]] std::vector<MensorCommand> unavailable() const override { return {}; }
    void setOnStatusChanged(std::function<void()> handler) override;
    [[nodiscard]] HotkeyRoute route() const override { return HotkeyRoute::desktop; }
    [[nodiscard]] std::vector<DesktopTrigger> triggers() const override { return triggers_; }
    /// Version 2 of the portal has a dialog of its own (ConfigureShortcuts).
    [[nodiscard]] bool triggersChangeable() const override;
    void changeTriggers() override;

    [[nodiscard]] std::uint32_t version() const noexcept { return version_; }

private:
    // Slots: QtDBus connects bus signals by slot signature.
    Q_SLOT void onResponse(const QDBusMessage& message);
    Q_SLOT void onActivated(const QDBusMessage& message);
    Q_SLOT void onShortcutsChanged(const QDBusMessage& message);
    using Answer = std::function<void(std::uint32_t response, const QVariantMap& results)>;

    /// Calls `method` of the portal with `arguments` and then `options` (given a handle
    /// token), and hands the Response of its Request to `answer`; a call that fails answers
    /// response 2.
    void request(const QString& method, QVariantList arguments, QVariantMap options, Answer answer);
    /// Where the portal puts the Request for `token`.
    [[nodiscard]] QString requestPath(const QString& token) const;
    void listen(const QString& requestPath, Answer answer);
    void forget(const QString& requestPath);
    void bind(const PortalShortcuts& shortcuts);
    void closeSession();
    /// The portal's service has a new owner (empty: it went away); the session went with the
    /// old one.
    void portalOwnerChanged(const QString& owner);
    void close(const QString& session);
    /// Takes the triggers of `shortcuts` for the commands they name; others stay as they were
    /// unless `whole` (the list is everything the desktop bound).
    void takeTriggers(const PortalShortcuts& shortcuts, bool whole);
    [[nodiscard]] QString nextToken();

    QDBusConnection bus_;
    std::uint32_t version_;
    std::function<void(MensorCommand)> onCommand_;
    std::function<void()> onStatusChanged_;
    /// What the last registration bound, to bind again when the portal restarts.
    std::vector<Binding> bindings_;
    std::vector<MensorCommand> commands_;
    std::vector<DesktopTrigger> triggers_;
    /// The open session's object path; empty while none is open.
    QString session_;
    /// The Requests waiting for their Response, by object path.
    std::map<QString, Answer> pending_;
    /// Grows with every registration and unregistration, so answers to an older one are
    /// dropped.
    std::uint64_t generation_ = 0;
    std::uint64_t tokens_ = 0;
};

} // namespace spanlet::portal
