// Update checks against a small HTTP server on 127.0.0.1.
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <spanlet/shell/UpdateFramework.hpp>
#include <spanlet/shell/Updater.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

using UpdateCheck::Outcome;

/// Answers every request with a fixed status per method, optionally holding the answers back.
class TinyHttpServer : public QObject {
public:
    struct Answer {
        int status = 404;
        QByteArray body;
    };
    Answer head;
    Answer get;
    bool hold = false;
    std::vector<QByteArray> requests; // "HEAD /feed.xml", ...

    TinyHttpServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, &TinyHttpServer::accept);
    }

    [[nodiscard]] QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(server_.serverPort()));
    }
    /// Sends the answers held back so far.
    void release() {
        hold = false;
        for (auto& [socket, method] : waiting_) {
            if (socket) {
                respond(socket, method);
            }
        }
        waiting_.clear();
    }

private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }
    void read(QTcpSocket* socket) {
        buffers_[socket] += socket->readAll();
        QByteArray& buffer = buffers_[socket];
        if (!buffer.contains("\r\n\r\n")) {
            return;
        }
        const QByteArray line = buffer.left(buffer.indexOf("\r\n"));
        buffer.clear();
        const QList<QByteArray> words = line.split(' ');
        requests.push_back(words.value(0) + ' ' + words.value(1));
        if (hold) {
            waiting_.emplace_back(socket, words.value(0));
        } else {
            respond(socket, words.value(0));
        }
    }
    void respond(QTcpSocket* socket, const QByteArray& method) {
        const Answer& a = method == "HEAD" ? head : get;
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(a.status) + " Status\r\n" +
                           "Content-Type: application/rss+xml\r\nConnection: close\r\n" +
                           "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n\r\n";
        if (method != "HEAD") {
            reply += a.body;
        }
        socket->write(reply);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    std::map<QTcpSocket*, QByteArray> buffers_;
    std::vector<std::pair<QPointer<QTcpSocket>, QByteArray>> waiting_;
};

const QByteArray appcast = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel>
    <title>Spanlet</title>
    <link>https://example.invalid/spanlet</link>
    <item>
      <title>Spanlet 1.3</title>
      <link>https://example.invalid/spanlet/1.3</link>
      <sparkle:version>1.3</sparkle:version>
    </item>
    <item>
      <title>Spanlet 1.10</title>
      <link>https://example.invalid/spanlet/1.10</link>
      <enclosure url="https://example.invalid/spanlet-1.10.deb" sparkle:version="110"
                 sparkle:shortVersionString="1.10" length="1" type="application/octet-stream"/>
    </item>
    <item>
      <title>Spanlet 1.5</title>
      <enclosure url="https://example.invalid/spanlet-1.5.deb" sparkle:version="1.5"/>
    </item>
  </channel>
</rss>
)";

class UpdaterTest : public ::testing::Test {
protected:
    /// Runs one manual check to its end.
    Outcome probe() {
        std::optional<Outcome> outcome;
        auto connection =
            QObject::connect(&updater, &Updater::probed, [&](Outcome o) { outcome = o; });
        updater.checkForUpdates();
        EXPECT_TRUE(waitUntil([&] { return outcome.has_value(); }));
        QObject::disconnect(connection);
        return outcome.value_or(Outcome::proceed);
    }

    TinyHttpServer server;
    QNetworkAccessManager network;
    RecordingPrompts prompts;
    UpdateFramework framework{network, server.url(), QStringLiteral("1.4"), prompts};
    Updater updater{framework, network, prompts};
};

TEST_F(UpdaterTest, NotFoundIsUpToDate) {
    server.head.status = 404;
    EXPECT_EQ(probe(), Outcome::upToDate);
    ASSERT_EQ(prompts.alerts.size(), 1U);
    EXPECT_EQ(prompts.alerts[0].title, "You’re up to date"); // texts: update_check_test
    EXPECT_EQ(framework.userChecks(), 0);
    EXPECT_EQ(server.requests, std::vector<QByteArray>{"HEAD /feed.xml"});
}

TEST_F(UpdaterTest, NoHeadHandsOverAndTheFrameworkOffersTheNewestRelease) {
    server.head.status = 405;
    server.get = {200, appcast};
    std::optional<bool> finished;
    QObject::connect(&framework, &UpdateFramework::checkFinished, [&] { finished = true; });
    EXPECT_EQ(probe(), Outcome::proceed);
    EXPECT_EQ(framework.userChecks(), 1);
    ASSERT_TRUE(waitUntil([&] { return finished.has_value(); }));
    ASSERT_EQ(prompts.offers.size(), 1U);
    EXPECT_EQ(prompts.offers[0].first, QStringLiteral("1.10"));
    EXPECT_EQ(prompts.offers[0].second,
              QUrl(QStringLiteral("https://example.invalid/spanlet/1.10")));
    EXPECT_TRUE(prompts.alerts.empty());
    EXPECT_EQ(server.requests, (std::vector<QByteArray>{"HEAD /feed.xml", "GET /feed.xml"}));
}

TEST_F(UpdaterTest, FrameworkWithNothingNewerSaysUpToDate) {
    server.head.status = 200;
    server.get = {
        200, QByteArrayLiteral("<rss version=\"2.0\"><channel><item><link>https://example.invalid/"
                               "1.3</link><version>1.3</version></item></channel></rss>")};
    std::optional<bool> finished;
    QObject::connect(&framework, &UpdateFramework::checkFinished, [&] { finished = true; });
    EXPECT_EQ(probe(), Outcome::proceed);
    ASSERT_TRUE(waitUntil([&] { return finished.has_value(); }));
    EXPECT_TRUE(prompts.offers.empty());
    ASSERT_EQ(prompts.alerts.size(), 1U);
    EXPECT_EQ(prompts.alerts[0].title, "You’re up to date");
}

TEST(UpdaterRefusedTest, RefusedConnectionCouldNotCheck) {
    // A port that was just free: nothing listens there.
    QTcpServer probeServer;
    ASSERT_TRUE(probeServer.listen(QHostAddress::LocalHost, 0));
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(probeServer.serverPort()));
    probeServer.close();
    QNetworkAccessManager network;
    RecordingPrompts prompts;
    UpdateFramework framework(network, url, QStringLiteral("1.4"), prompts);
    Updater updater(framework, network, prompts);
    std::optional<Outcome> outcome;
    QObject::connect(&updater, &Updater::probed, [&](Outcome o) { outcome = o; });
    updater.checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }));
    EXPECT_EQ(*outcome, Outcome::couldNotCheck);
    ASSERT_EQ(prompts.alerts.size(), 1U);
    EXPECT_EQ(prompts.alerts[0].title, "Couldn’t check for updates");
}

TEST_F(UpdaterTest, SecondRequestWhileProbingIsIgnored) {
    server.head.status = 404;
    server.hold = true;
    std::optional<Outcome> outcome;
    QObject::connect(&updater, &Updater::probed, [&](Outcome o) { outcome = o; });
    updater.checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return server.requests.size() == 1; }));
    EXPECT_TRUE(updater.checking());
    updater.checkForUpdates();
    updater.checkForUpdates();
    server.release();
    ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }));
    EXPECT_FALSE(updater.checking());
    EXPECT_EQ(server.requests.size(), 1U);
    EXPECT_EQ(prompts.alerts.size(), 1U);
}

TEST(UpdaterNoFeedTest, WithoutAFeedTheFrameworkChecksAtOnce) {
    QNetworkAccessManager network;
    RecordingPrompts prompts;
    UpdateFramework framework(network, QUrl(), QStringLiteral("1.4"), prompts);
    Updater updater(framework, network, prompts);
    updater.checkForUpdates();
    EXPECT_EQ(framework.userChecks(), 1);
    EXPECT_FALSE(updater.checking());
    framework.startUpdater();
    EXPECT_FALSE(framework.backgroundChecksScheduled());
}

TEST(UpdaterBackgroundTest, AFeedSchedulesTheDailyCheck) {
    QNetworkAccessManager network;
    RecordingPrompts prompts;
    UpdateFramework framework(network, QUrl(QStringLiteral("http://127.0.0.1:9/feed.xml")),
                              QStringLiteral("1.4"), prompts);
    framework.startUpdater();
    EXPECT_TRUE(framework.backgroundChecksScheduled());
}

} // namespace
} // namespace spanlet::test
