#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

namespace spanlet {

/// One Spanlet per user and X display. The first one listens on a local socket; a later one
/// finds it there, asks it to come forward (it opens its welcome window) and ends, so two
/// never fight over the key grabs or the settings.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    /// The socket: in $XDG_RUNTIME_DIR when set (private to the user), else in the temporary
    /// folder with the user id in its name; one per display.
    [[nodiscard]] static QString socketName();

    explicit SingleInstance(QString name = socketName());
    ~SingleInstance() override;

    /// Asks a running instance to come forward. True when one took the request: this process
    /// should then end.
    bool handOver();
    /// Starts listening for later instances; `onRequest` runs on the main thread for each.
    /// False when the socket cannot be made: then either another instance holds it
    /// (otherRunning(): this process should end) or this one runs without the guard.
    bool listen(std::function<void()> onRequest);
    /// Whether listen() found another live instance that did not answer handOver() in time.
    [[nodiscard]] bool otherRunning() const noexcept { return otherRunning_; }

    [[nodiscard]] const QString& name() const noexcept { return name_; }

private:
    QString name_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onRequest_;
    bool otherRunning_ = false;
};

} // namespace spanlet
