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

const QByteArray appcast =
    R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel><title>Spanlet</title>
    <item><link>https://example.invalid/1.3</link><sparkle:version>1.3</sparkle:version></item>
    <item><link>https://example.invalid/1.10</link>
      <enclosure url="https://example.invalid/1.10.deb" sparkle:version="110"
                 sparkle:shortVersionString="1.10" type="application/octet-stream"/></item>
    <item><enclosure url="https://example.invalid/1.5.deb" sparkle:version="1.5"/></item>
  </channel></rss>)";

/// A feed server on 127.0.0.1 that takes no HEAD (405) and serves `appcast`, an updater on it,
/// and a record of the requests and of what the user is shown, in order.
struct UpdateRig final : UpdatePrompts {
    QStringList seen; // "HEAD /feed.xml", "offer 1.10 at …", ...
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
        const QByteArray body = head ? QByteArray() : appcast;
        socket->write(QByteArray(head ? "HTTP/1.1 405 No\r\n" : "HTTP/1.1 200 OK\r\n") +
                      "Connection: close\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\n\r\n" + body);
        socket->disconnectFromHost();
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

} // namespace
} // namespace spanlet::test
