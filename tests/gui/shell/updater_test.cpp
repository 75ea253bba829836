// Update checks against a small HTTP server on 127.0.0.1.
#include <QLabel>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

#include <spanlet/shell/Appcast.hpp>
#include <spanlet/shell/UpdateFramework.hpp>
#include <spanlet/shell/UpdatePrompts.hpp>
#include <spanlet/shell/Updater.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

const QByteArray appcast =
    R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel><title>Spanlet</title>
    <item><link>https://example.invalid/1.3</link><sparkle:version>1.3</sparkle:version></item>
    <item><link>https://example.invalid/1.10</link>
      <enclosure url="https://example.invalid/1.10.deb" sparkle:version="110"
                 sparkle:shortVersionString="1.10" type="application/octet-stream"/></item>
    <item><enclosure url="https://example.invalid/1.5.deb" sparkle:version="1.5"/></item>
  </channel></rss>)";

/// A feed server on 127.0.0.1 that takes no HEAD (405) and serves `feed` (whole, or one byte
/// every 20 ms when `drip`), an updater on it, and a record of the requests and of what the
/// user is shown, in order.
struct UpdateRig final : UpdatePrompts {
    QStringList seen; // "HEAD /feed.xml", "offer 1.10 at …", ...
    std::vector<UpdateCheck::Alert> alerts;
    QByteArray feed = appcast;
    bool drip = false;
    QTcpServer server;
    QNetworkAccessManager network;
    UpdateFramework framework{network, listen(), QStringLiteral("1.4"), *this};
    Updater updater{framework, network, *this};

    void alert(const UpdateCheck::Alert& a) override {
        alerts.push_back(a);
        seen << QStringLiteral("alert ") + QString::fromStdString(a.title);
    }
    void offer(const QString& version, const QUrl& page) override {
        seen << QStringLiteral("offer %1 at %2").arg(version, page.toString());
    }
    QUrl listen() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead,
                                 [this, socket] { answer(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        return QUrl(QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(server.serverPort()));
    }
    void answer(QTcpSocket* socket) {
        if (!socket->peek(4096).contains("\r\n\r\n")) {
            return; // the request has not arrived whole yet
        }
        const QByteArrayList words = socket->readAll().split('\r').value(0).split(' ');
        seen << QString::fromUtf8(words.value(0) + ' ' + words.value(1));
        const bool head = words.value(0) == "HEAD";
        const QByteArray body = head ? QByteArray() : feed;
        socket->write(QByteArray(head ? "HTTP/1.1 405 No\r\n" : "HTTP/1.1 200 OK\r\n") +
                      "Connection: close\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\n\r\n");
        if (!drip) {
            socket->write(body);
            socket->disconnectFromHost();
            return;
        }
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket,
                         [socket, body, sent = qsizetype(0)]() mutable {
                             if (sent < body.size()) {
                                 socket->write(body.mid(sent++, 1));
                             }
                         });
        timer->start(20);
    }
    /// A check the user asked for, run to its end; what it showed.
    QString userCheck() {
        bool finished = false;
        const auto connection =
            QObject::connect(&framework, &UpdateFramework::checkFinished, [&] { finished = true; });
        seen.clear();
        framework.checkForUpdates();
        waitUntil([&] { return finished; });
        QObject::disconnect(connection);
        return seen.filter(QStringLiteral("GET")).isEmpty() ? QStringLiteral("no request")
                                                            : seen.last();
    }
};

// The server takes no HEAD, so the feed is fetched; 1.10 is the newest (the order is numeric,
// not textual), and an enclosure's attributes give the version when the item has no element
// for it. A second request while one runs is ignored. Which statuses settle the probe is
// update_check_test's.
TEST(UpdaterTest, AManualCheckFetchesTheFeedAndOffersTheNewestVersionOnce) {
    bool finished = false;
    UpdateRig rig;
    QObject::connect(&rig.framework, &UpdateFramework::checkFinished, [&] { finished = true; });
    rig.updater.checkForUpdates();
    rig.updater.checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return finished; }));
    EXPECT_EQ(rig.seen.join(QLatin1Char('|')).toStdString(),
              "HEAD /feed.xml|GET /feed.xml|offer 1.10 at https://example.invalid/1.10");
    EXPECT_EQ(rig.framework.userChecks(), 1);
}

TEST(UpdaterTest, OnlyAFeedSchedulesChecksAndWithoutOneTheUserIsTold) {
    UpdateRig rig;
    UpdateFramework none(rig.network, QUrl(), QStringLiteral("1.4"), rig);
    Updater updater(none, rig.network, rig);
    updater.checkForUpdates();
    EXPECT_EQ(rig.alerts,
              (std::vector<UpdateCheck::Alert>{{"Updates aren’t set up",
                                                "This build of Spanlet has no update "
                                                "feed, so it cannot look for new versions."}}));
    none.startUpdater();
    EXPECT_FALSE(none.backgroundChecksScheduled());
    rig.framework.startUpdater();
    EXPECT_TRUE(rig.framework.backgroundChecksScheduled());
}

// What a feed must be for its releases to count: whole, well formed and of sane size. A fault
// anywhere fails the check, and a failed check does not block the next one.
TEST(UpdaterTest, OnlyAWholeWellFormedFeedCounts) {
    const struct {
        const char* name;
        QByteArray feed;
        bool drip;
        const char* shown;
    } rows[] = {
        {"newer release", appcast, false, "offer 1.10 at https://example.invalid/1.10"},
        {"broken after an item",
         R"(<rss><channel><item><link>https://example.invalid/9</link><version>9</version></item>
            <item><version>10</version></chanel></rss>)",
         false, "alert Couldn’t check for updates"},
        {"an HTML page", "<html><body>1.10</body></html>", false,
         "alert Couldn’t check for updates"},
        {"over 1 MB", appcast + QByteArray(UpdateFramework::maxFeedBytes, ' '), false,
         "alert Couldn’t check for updates"},
        {"drip-fed", appcast, true, "alert Couldn’t check for updates"},
        {"after a drip-fed one", "<rss><channel/></rss>", false, "alert You’re up to date"},
    };
    UpdateRig rig;
    rig.framework.setLimits(std::chrono::milliseconds(500), UpdateFramework::maxFeedBytes);
    for (const auto& row : rows) {
        rig.feed = row.feed;
        rig.drip = row.drip;
        EXPECT_EQ(rig.userCheck().toStdString(), row.shown) << row.name;
    }
}

TEST(UpdaterTest, FeedsAreHttpsOrLocalHttp) {
    const std::pair<const char*, bool> rows[] = {
        {"https://example.org/appcast.xml", true}, {"http://127.0.0.1:8000/feed.xml", true},
        {"http://[::1]/feed.xml", true},           {"http://example.org/appcast.xml", false},
        {"http://localhost.example.org/f", false}, {"ftp://127.0.0.1/feed.xml", false},
        {"file:///etc/spanlet/feed.xml", false},   {"https:///no-host", false},
    };
    for (const auto& [address, allowed] : rows) {
        EXPECT_EQ(UpdateFramework::feedAllowed(QUrl(QString::fromUtf8(address))), allowed)
            << address;
    }
    UpdateRig rig;
    UpdateFramework plain(rig.network, QUrl(QStringLiteral("http://example.invalid/feed.xml")),
                          QStringLiteral("1.4"), rig);
    plain.checkForUpdates();
    EXPECT_EQ(rig.seen.join(QLatin1Char('|')).toStdString(), "alert Couldn’t check for updates")
        << "no request leaves for a plain-http feed";
}

// Versions come from the feed: shown as text, never as markup, and short; pages are https.
TEST(UpdaterTest, FeedTextIsPlainAndShortAndPagesAreHttps) {
    const QString longVersion = QStringLiteral("2.") + QString(100, QLatin1Char('9'));
    const QByteArray feed = R"(<rss><channel>
      <item><link>http://example.invalid/plain</link>
        <enclosure url="https://example.invalid/2.0.deb"/>
        <version><![CDATA[<img src="file:///etc/hostname">2.0]]></version></item>
      <item><link>javascript:alert(1)</link><version>3.0</version></item>
      <item><link>https://example.invalid/long</link><version>)" +
                            longVersion.toUtf8() + R"(</version></item>
    </channel></rss>)";
    const auto releases = Appcast::releases(feed);
    ASSERT_TRUE(releases);
    ASSERT_EQ(releases->size(), 2U) << "the javascript: page is dropped";
    EXPECT_EQ((*releases)[0].version.toStdString(), "<img src=\"file:///etc/hostname\">2.0");
    EXPECT_EQ((*releases)[0].page.toString().toStdString(), "https://example.invalid/2.0.deb");
    EXPECT_EQ((*releases)[1].version.size(), Appcast::maxLabelLength);
    EXPECT_TRUE((*releases)[1].version.endsWith(QChar(0x2026)));
    EXPECT_EQ(Appcast::plainLabel(QStringLiteral(" 1.0\n\t<b>x</b>\u202e ")).toStdString(),
              "1.0 <b>x</b>");

    const auto box = DesktopUpdatePrompts::offerBox((*releases)[0].version);
    bool shown = false;
    for (const QLabel* label : box->findChildren<QLabel*>()) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        shown = shown || label->text().contains(QStringLiteral("<img src="));
    }
    EXPECT_TRUE(shown) << "the version appears as it was written";
}

} // namespace
} // namespace spanlet::test
