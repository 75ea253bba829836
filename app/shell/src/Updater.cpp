#include <QCoreApplication>
#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <spanlet/shell/Updater.hpp>

namespace spanlet {

Updater::Updater(UpdateFramework& framework, QNetworkAccessManager& network, UpdatePrompts& prompts)
    : framework_(framework), network_(network), prompts_(prompts) {}

void Updater::checkForUpdates() {
    if (checking_) {
        return;
    }
    const QUrl feed = framework_.feedUrl();
    if (feed.isEmpty() || !UpdateFramework::feedAllowed(feed)) {
        // The framework tells the user, without touching the network.
        framework_.checkForUpdates();
        return;
    }
    checking_ = true;
    QNetworkRequest request(feed);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(timeoutMs);
    QNetworkReply* reply = network_.head(request);
    // A whole-request limit, not only one for silence: a server may drip its headers.
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
    deadline->start(timeoutMs);
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        // A transport failure (refused, time-out, no route) carries no status at all.
        const std::optional<int> code =
            status.isValid() ? std::optional<int>(status.toInt()) : std::nullopt;
        finish(UpdateCheck::outcome(code));
    });
}

void Updater::finish(UpdateCheck::Outcome outcome) {
    checking_ = false;
    const std::string app =
        UpdateCheck::applicationName(QGuiApplication::applicationDisplayName().toStdString(),
                                     QCoreApplication::applicationName().toStdString());
    switch (outcome) {
    case UpdateCheck::Outcome::proceed:
        framework_.checkForUpdates();
        break;
    case UpdateCheck::Outcome::upToDate:
        prompts_.alert(
            UpdateCheck::upToDate(app, QCoreApplication::applicationVersion().toStdString()));
        break;
    case UpdateCheck::Outcome::couldNotCheck:
        prompts_.alert(UpdateCheck::couldNotCheck(app));
        break;
    }
    Q_EMIT probed(outcome);
}

} // namespace spanlet
