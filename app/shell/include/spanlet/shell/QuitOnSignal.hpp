#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace spanlet {

/// Ends the event loop normally on SIGTERM, SIGINT or SIGHUP, so that quitting from outside
/// still releases the key grabs and removes the single-instance socket. The signal handler only
/// writes to a pipe; the quit happens on the main thread.
class QuitOnSignal final : public QObject {
    Q_OBJECT
public:
    QuitOnSignal();
    ~QuitOnSignal() override;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace spanlet
