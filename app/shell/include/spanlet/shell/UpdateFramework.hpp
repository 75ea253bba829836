#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <optional>
#include <vector>

#include <spanlet/shell/Appcast.hpp>
#include <spanlet/shell/UpdatePrompts.hpp>

class QNetworkAccessManager;
class QNetworkReply;

namespace spanlet {

/// Finds new releases in an RSS appcast at the feed address the build was configured with.
/// Once started it checks in the background about once a day and speaks up only when there is
/// something newer; a check the user asks for always answers.
class UpdateFramework final : public QObject {
    Q_OBJECT
public:
    /// Delay of the first background check after start-up, and the time between checks.
    static constexpr std::chrono::minutes firstCheck{1};
    static constexpr std::chrono::hours interval{24};

    /// The most of a feed that is read; a longer one fails the check.
    static constexpr qint64 maxFeedBytes = qint64{1024} * 1024;
    /// The longest a check may take from request to parsed feed, however slowly data arrives.
    static constexpr std::chrono::seconds checkLimit{30};

    /// Whether `feed` may be fetched: https, or http to a loopback address (local tests).
    [[nodiscard]] static bool feedAllowed(const QUrl& feed);

    /// `feed` may be empty: then no background check runs and a user check says so.
    UpdateFramework(QNetworkAccessManager& network, QUrl feed, QString currentVersion,
                    UpdatePrompts& prompts);

    [[nodiscard]] const QUrl& feedUrl() const noexcept { return feed_; }
    /// Starts the background checks (nothing without a feed).
    void startUpdater();
    /// A check the user asked for, with its own windows. Ignored while one runs.
    void checkForUpdates();

    /// Lowers checkLimit and maxFeedBytes (tests).
    void setLimits(std::chrono::milliseconds limit, qint64 maxBytes) {
        limit_ = limit;
        maxBytes_ = maxBytes;
    }
    /// How many user checks were started (tests).
    [[nodiscard]] int userChecks() const noexcept { return userChecks_; }
    [[nodiscard]] bool backgroundChecksScheduled() const { return timer_.isActive(); }

Q_SIGNALS:
    /// A check ended, after its window (if any) was dealt with.
    void checkFinished();

private:
    void check(bool userInitiated);
    /// Tells the user what a check found: `releases` is nothing when the feed could not be
    /// fetched or read.
    void report(const std::optional<std::vector<Appcast::Release>>& releases, bool userInitiated);

    QNetworkAccessManager& network_;
    QUrl feed_;
    QString current_;
    UpdatePrompts& prompts_;
    QTimer timer_;
    QPointer<QNetworkReply> running_;
    int userChecks_ = 0;
    std::chrono::milliseconds limit_ = checkLimit;
    qint64 maxBytes_ = maxFeedBytes;
};

} // namespace spanlet
