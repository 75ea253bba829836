#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace spanlet {

/// Ends the event loop normally on SIGTERM, SIGINT or SIGHUP, so that quitting from outside
/// still releases the key grabs and removes the single-instance socket. The signal handler only
/// writes to a pipe; the quit happens on the main thread. A signal that comes before the event
/// loop runs, or that the loop does not act on within a few seconds (or a second one), ends
/// the process the default way.
class QuitOnSignal final : public QObject {
    Q_OBJECT
public:
    QuitOnSignal();
    ~QuitOnSignal() override;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace spanlet
