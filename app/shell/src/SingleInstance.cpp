#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <unistd.h>

#include <spanlet/shell/SingleInstance.hpp>
#include <spanlet/shell/SingleInstanceClient.hpp>

namespace spanlet {

namespace {

/// How long a connection may take to send its request.
constexpr int kRequestMs = 5000;

} // namespace

SingleInstance::SingleInstance(const std::filesystem::path& socket)
    : server_(std::make_unique<QLocalServer>()) {
    // The folder is private to the user, so the socket needs no access options of its own;
    // without them Qt binds the path itself instead of renaming a file over it.
    ::unlink(socket.c_str());
    server_->listen(QString::fromStdString(socket.native()));
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            accept(client);
        }
    });
}

SingleInstance::~SingleInstance() {
    server_->close(); // removes the socket file
}

bool SingleInstance::listening() const {
    return server_->isListening();
}

void SingleInstance::accept(QLocalSocket* client) {
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    if (peerUser(static_cast<int>(client->socketDescriptor())) != ::getuid()) {
        client->abort();
        client->deleteLater();
        return;
    }
    auto* deadline = new QTimer(client);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, client, &QLocalSocket::abort);
    deadline->start(kRequestMs);
    connect(client, &QLocalSocket::readyRead, this, [this, client] { read(client); });
}

void SingleInstance::read(QLocalSocket* client) {
    if (!client->canReadLine()) {
        if (client->bytesAvailable() >= static_cast<qint64>(CommandLine::maxRequestBytes)) {
            client->abort();
        }
        return;
    }
    const QByteArray line = client->readLine(CommandLine::maxRequestBytes + 1);
    const auto request =
        line.endsWith('\n') && line.size() <= static_cast<qsizetype>(CommandLine::maxRequestBytes)
            ? CommandLine::Request::decode(line.toStdString())
            : std::nullopt;
    if (!request) {
        client->abort();
        return;
    }
    client->write("ok\n");
    client->flush();
    client->disconnectFromServer();
    if (request->kind == CommandLine::Request::Kind::quit) {
        // Starts from now on wait for the lock instead of queueing behind an ending instance.
        server_->close();
    }
    if (onRequest_) {
        onRequest_(*request);
    }
}

} // namespace spanlet
