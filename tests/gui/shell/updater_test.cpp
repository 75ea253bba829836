// Update checks against a small HTTP server on 127.0.0.1.
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <spanlet/shell/UpdateFramework.hpp>
#include <spanlet/shell/UpdatePrompts.hpp>
#include <spanlet/shell/Updater.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

/// A feed server answering HEAD and GET with fixed statuses, an updater on it, and a record of
/// the requests and of what the user is shown, in order.
struct UpdateRig final : UpdatePrompts {
    int headStatus = 404;
    int getStatus = 404;
    QByteArray feed;
    QStringList seen; // "HEAD /feed.xml", "alert You’re up to date", ...
    std::vector<UpdateCheck::Alert> alerts;
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
    /// Starts the server; the feed's address.
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
        socket->write("HTTP/1.1 " + QByteArray::number(head ? headStatus : getStatus) +
                      " Status\r\nConnection: close\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
    /// Runs a manual check to its end; what was seen, "|"-separated.
    std::string check() {
        bool probed = false;
        bool finished = false;
        QObject scope; // ends the connections below with this call
        QObject::connect(&updater, &Updater::probed, &scope, [&](UpdateCheck::Outcome o) {
            probed = true;
            finished = o != UpdateCheck::Outcome::proceed;
        });
        QObject::connect(&framework, &UpdateFramework::checkFinished, &scope,
                         [&] { finished = true; });
        updater.checkForUpdates();
        EXPECT_TRUE(waitUntil([&] { return probed && finished; }));
        return seen.join(QLatin1Char('|')).toStdString();
    }
};

// 1.10 is the newest (the order is numeric, not textual); an enclosure's attributes give the
// version when the item has no element for it.
const QByteArray appcast =
    R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel><title>Spanlet</title>
    <item><link>https://example.invalid/1.3</link><sparkle:version>1.3</sparkle:version></item>
    <item><link>https://example.invalid/1.10</link>
      <enclosure url="https://example.invalid/1.10.deb" sparkle:version="110"
                 sparkle:shortVersionString="1.10" type="application/octet-stream"/></item>
    <item><enclosure url="https://example.invalid/1.5.deb" sparkle:version="1.5"/></item>
  </channel></rss>)";

TEST(UpdaterTest, AManualCheckShowsOneAnswer) {
    const struct {
        int headStatus; // 0: nothing listens
        int getStatus;  // 0: the probe settles it
        QByteArray feed;
        const char* seen;
    } rows[] = {
        {404, 0, {}, "HEAD /feed.xml|alert You’re up to date"},
        {0, 0, {}, "alert Couldn’t check for updates"},
        {405, 200, appcast,
         "HEAD /feed.xml|GET /feed.xml|offer 1.10 at https://example.invalid/1.10"},
        {200, 200,
         "<rss><channel><item><link>https://example.invalid/1.3</link><version>1.3"
         "</version></item></channel></rss>",
         "HEAD /feed.xml|GET /feed.xml|alert You’re up to date"},
        {200, 500, {}, "HEAD /feed.xml|GET /feed.xml|alert Couldn’t check for updates"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.seen);
        UpdateRig rig;
        rig.headStatus = row.headStatus;
        rig.getStatus = row.getStatus;
        rig.feed = row.feed;
        if (row.headStatus == 0) {
            rig.server.close(); // connections are refused from now on
        }
        EXPECT_EQ(rig.check(), row.seen);
        EXPECT_EQ(rig.framework.userChecks(), row.getStatus != 0 ? 1 : 0);
    }
}

TEST(UpdaterTest, RequestsWhileProbingAreIgnored) {
    UpdateRig rig;
    rig.updater.checkForUpdates();
    EXPECT_TRUE(rig.updater.checking());
    rig.updater.checkForUpdates();
    EXPECT_EQ(rig.check(), "HEAD /feed.xml|alert You’re up to date");
    EXPECT_FALSE(rig.updater.checking());
}

TEST(UpdaterTest, OnlyAFeedSchedulesChecksAndWithoutOneTheUserIsTold) {
    UpdateRig rig;
    UpdateFramework none(rig.network, QUrl(), QStringLiteral("1.4"), rig);
    Updater updater(none, rig.network, rig);
    updater.checkForUpdates();
    EXPECT_EQ(none.userChecks(), 1);
    EXPECT_EQ(rig.alerts,
              (std::vector<UpdateCheck::Alert>{{"Updates aren’t set up",
                                                "This build of Spanlet has no update "
                                                "feed, so it cannot look for new versions."}}));
    none.startUpdater();
    EXPECT_FALSE(none.backgroundChecksScheduled());
    rig.framework.startUpdater();
    EXPECT_TRUE(rig.framework.backgroundChecksScheduled());
}

} // namespace
} // namespace spanlet::test
