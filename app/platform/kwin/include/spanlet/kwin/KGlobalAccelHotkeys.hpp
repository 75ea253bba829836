#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <spanlet/platform/PlatformHotkeys.hpp>

namespace spanlet::kwin {

/// The global shortcuts on Plasma, bound through KDE's shortcut service (org.kde.kglobalaccel
/// on the session bus; KWin serves it itself on Wayland). Each command is an action of the
/// component "spanlet" with the user's combination set as its present one, so Spanlet's
/// settings decide the keys. A combination another application holds is refused, and that
/// command is unavailable(). A press arrives as the component's globalShortcutPressed.
/// Main thread only.
class KGlobalAccelHotkeys final : public QObject, public PlatformHotkeys {
    Q_OBJECT
public:
    /// The service's shortcuts on `bus`, or nothing where no one serves it there.
    static std::unique_ptr<KGlobalAccelHotkeys> make(const QDBusConnection& bus);

    explicit KGlobalAccelHotkeys(const QDBusConnection& bus);
    /// Unregisters every action.
    ~KGlobalAccelHotkeys() override;
    KGlobalAccelHotkeys(const KGlobalAccelHotkeys&) = delete;
    KGlobalAccelHotkeys& operator=(const KGlobalAccelHotkeys&) = delete;

    void setOnCommand(std::function<void(MensorCommand)> handler) override;
    /// Unregisters the actions registered before, then registers one per binding and sets its
    /// combination; the service answers each later.
    void registerCommands(std::span<const Binding> bindings) override;
    void unregisterAll() override;
    [[nodiscard]] std::vector<MensorCommand> unavailable() const override;
    void setOnStatusChanged(std::function<void()> handler) override;

    /// A combination as the service takes it, a Qt key code with Qt's modifier bits
    /// (Qt::CTRL | Qt::SHIFT | Qt::Key_R); nothing for a key that is not a letter or digit.
    [[nodiscard]] static std::optional<int> qtKey(const Shortcut& shortcut);

private:
    Q_SLOT void onPressed(const QString& componentName, const QString& action, qlonglong timestamp);
    /// The service's id of the command's action: component, action, and their display names.
    [[nodiscard]] static QStringList actionId(MensorCommand command);
    void call(const QString& method, const QVariantList& arguments,
              std::function<void(const QDBusMessage&)> answer = {});

    QDBusConnection bus_;
    std::function<void(MensorCommand)> onCommand_;
    std::function<void()> onStatusChanged_;
    std::vector<MensorCommand> registered_;
    std::vector<MensorCommand> refused_;
    /// Grows with every registration and unregistration, so answers to an older one are
    /// dropped.
    std::uint64_t generation_ = 0;
};

} // namespace spanlet::kwin
