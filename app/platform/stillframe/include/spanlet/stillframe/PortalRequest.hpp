#pragma once

#include <QDBusConnection>
#include <QLatin1String>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <cstdint>
#include <functional>

namespace spanlet::stillframe {

/// The portal's answer to one request.
struct PortalAnswer {
    /// Response's code: 0 done, 1 the user said no, 2 anything else (also when the call
    /// failed or the portal left before answering; then `error` says why).
    std::uint32_t code = 2;
    QVariantMap results;
    /// The D-Bus error of a failed call, or the portal leaving; empty when the portal answered.
    QString error;
};

/// One call of an XDG desktop portal method that answers through a Request object and its
/// Response signal. The request listens on the handle it expects before calling (so an answer
/// that comes at once is not missed) and follows the handle the portal returns if it differs.
class PortalRequest final : public QObject {
    Q_OBJECT

public:
    static constexpr QLatin1String service{"org.freedesktop.portal.Desktop"};
    static constexpr QLatin1String path{"/org/freedesktop/portal/desktop"};

    /// Calls `method` of `interface` with `arguments` and then `options`, to which a fresh
    /// handle_token is added. `done` runs once, later, on the main thread, unless `owner` is
    /// gone by then; the request is a child of `owner` and deletes itself after answering.
    static void call(const QDBusConnection& bus, const QString& interface, const QString& method,
                     const QVariantList& arguments, QVariantMap options, QObject* owner,
                     std::function<void(PortalAnswer)> done);

    /// A token for handle_token or session_handle_token, unique in this process.
    static QString freshToken();

private Q_SLOTS:
    void onResponse(uint code, const QVariantMap& results);

private: // NOLINT(readability-redundant-access-specifiers): the slot above is moc's
    PortalRequest(const QDBusConnection& bus, QObject* owner,
                  std::function<void(PortalAnswer)> done);
    void listenOn(const QString& handle);
    void finish(PortalAnswer answer);

    QDBusConnection bus_;
    QString handle_;
    std::function<void(PortalAnswer)> done_;
};

} // namespace spanlet::stillframe
