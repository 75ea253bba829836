#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

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
    if (!running_.isNull()) {
        return;
    }
    if (!feedAllowed(feed_)) {
        report(std::nullopt, userInitiated);
        return;
    }
    QNetworkRequest request(feed_);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(kTimeoutMs);
    QNetworkReply* reply = network_.get(request);
    running_ = reply;
    // The transfer time-out only catches a silent server; one that drips data is cut off here,
    // and so is a feed larger than any real one.
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
    deadline->start(limit_);
    connect(reply, &QNetworkReply::downloadProgress, reply,
            [this, reply](qint64 received, qint64 total) {
                if (received > maxBytes_ || total > maxBytes_) {
                    reply->abort();
                }
            });
    connect(reply, &QNetworkReply::finished, this, [this, reply, userInitiated] {
        reply->deleteLater();
        running_ = nullptr;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        // Data may have arrived whole before the progress signal could stop it.
        const bool fetched =
            reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
        const QByteArray body = fetched ? reply->read(maxBytes_ + 1) : QByteArray();
        const bool ok = fetched && body.size() <= maxBytes_;
        report(ok ? Appcast::releases(body) : std::nullopt, userInitiated);
    });
}

void UpdateFramework::report(const std::optional<std::vector<Appcast::Release>>& releases,
                             bool userInitiated) {
    const auto newer = releases ? Appcast::newer(*releases, current_) : std::nullopt;
    const std::string app =
        UpdateCheck::applicationName(QCoreApplication::applicationName().toStdString(), {});
    if (newer) {
        prompts_.offer(newer->version, newer->page);
    } else if (userInitiated && releases) {
        prompts_.alert(UpdateCheck::upToDate(app, current_.toStdString()));
    } else if (userInitiated) {
        prompts_.alert(UpdateCheck::couldNotCheck(app));
    }
    Q_EMIT checkFinished();
}

bool UpdateFramework::feedAllowed(const QUrl& feed) {
    if (!feed.isValid() || feed.host().isEmpty()) {
        return false;
    }
    if (feed.scheme() == QStringLiteral("https")) {
        return true;
    }
    return feed.scheme() == QStringLiteral("http") && QHostAddress(feed.host()).isLoopback();
}

} // namespace spanlet
