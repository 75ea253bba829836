#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <spanlet/shell/Appcast.hpp>
#include <spanlet/shell/UpdateFramework.hpp>

namespace spanlet {

namespace {

constexpr int kTimeoutMs = 15'000;

} // namespace

UpdateFramework::UpdateFramework(QNetworkAccessManager& network, QUrl feed, QString currentVersion,
                                 UpdatePrompts& prompts)
    : network_(network), feed_(std::move(feed)), current_(std::move(currentVersion)),
      prompts_(prompts) {
    timer_.setTimerType(Qt::VeryCoarseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        timer_.setInterval(interval);
        check(false);
    });
}

void UpdateFramework::startUpdater() {
    if (feed_.isEmpty() || timer_.isActive()) {
        return;
    }
    timer_.start(firstCheck);
}

void UpdateFramework::checkForUpdates() {
    ++userChecks_;
    if (feed_.isEmpty()) {
        prompts_.alert(UpdateCheck::Alert{
            "Updates aren’t set up",
            "This build of " + QCoreApplication::applicationName().toStdString() +
                " has no update feed, so it cannot look for new versions."});
        Q_EMIT checkFinished();
        return;
    }
    check(true);
}

void UpdateFramework::check(bool userInitiated) {
    if (running_) {
        return;
    }
    QNetworkRequest request(feed_);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(kTimeoutMs);
    QNetworkReply* reply = network_.get(request);
    running_ = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply, userInitiated] {
        reply->deleteLater();
        running_ = nullptr;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool ok = reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
        const auto newer =
            ok ? Appcast::newer(Appcast::releases(reply->readAll()), current_) : std::nullopt;
        const std::string app =
            UpdateCheck::applicationName(QCoreApplication::applicationName().toStdString(), {});
        if (newer) {
            prompts_.offer(newer->version, newer->page);
        } else if (userInitiated && ok) {
            prompts_.alert(UpdateCheck::upToDate(app, current_.toStdString()));
        } else if (userInitiated) {
            prompts_.alert(UpdateCheck::couldNotCheck(app));
        }
        Q_EMIT checkFinished();
    });
}

} // namespace spanlet
