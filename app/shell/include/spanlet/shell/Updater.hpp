#pragma once

#include <QObject>
#include <QPointer>

#include <spanlet/shell/UpdateCheck.hpp>
#include <spanlet/shell/UpdateFramework.hpp>

class QNetworkAccessManager;
class QNetworkReply;

namespace spanlet {

/// "Check for Updates…": first probes the feed with a HEAD request, so that "up to date" and
/// "couldn't check" get plain alerts of our own; only a reachable feed hands the check to the
/// update framework. One probe at a time: asking again while one runs does nothing.
class Updater final : public QObject {
    Q_OBJECT
public:
    /// The probe's time-out, for the whole request.
    static constexpr int timeoutMs = 15'000;

    Updater(UpdateFramework& framework, QNetworkAccessManager& network, UpdatePrompts& prompts);

    void checkForUpdates();

Q_SIGNALS:
    /// A probe ended with `outcome`, after it was acted on.
    void probed(spanlet::UpdateCheck::Outcome outcome);

private:
    void finish(UpdateCheck::Outcome outcome);

    UpdateFramework& framework_;
    QNetworkAccessManager& network_;
    UpdatePrompts& prompts_;
    bool checking_ = false;
};

} // namespace spanlet
