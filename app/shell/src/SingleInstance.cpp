#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

#include <spanlet/shell/SingleInstance.hpp>

namespace spanlet {

namespace {

constexpr int kWaitMs = 5000;
const QByteArray kRequest = QByteArrayLiteral("welcome\n");

/// The display name with everything but letters and digits made into '_': ":0.0" → "_0_0".
QString displayPart() {
    QString display = qEnvironmentVariable("DISPLAY");
    for (QChar& c : display) {
        if (!c.isLetterOrNumber()) {
            c = QLatin1Char('_');
        }
    }
    return display.isEmpty() ? QStringLiteral("none") : display;
}

} // namespace

QString SingleInstance::socketName() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString file =
        QStringLiteral("spanlet-%1-%2.socket").arg(QString::number(::getuid()), displayPart());
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QDir(runtime).exists()) {
        return QDir(runtime).filePath(file);
    }
    return QDir(QDir::tempPath()).filePath(file);
}

SingleInstance::SingleInstance(QString name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() {
    if (server_) {
        server_->close(); // removes the socket file
    }
}

bool SingleInstance::handOver() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kWaitMs)) {
        return false;
    }
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(kWaitMs)) {
        return false;
    }
    // The running instance answers once it has taken the request.
    return socket.waitForReadyRead(kWaitMs) && socket.readAll().startsWith("ok");
}

bool SingleInstance::listen(std::function<void()> onRequest) {
    onRequest_ = std::move(onRequest);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // The socket is there but handOver() got no answer. If something still accepts
        // connections on it, another instance is alive (just slow): leave it alone.
        QLocalSocket probe;
        probe.connectToServer(name_);
        if (probe.waitForConnected(kWaitMs)) {
            server_.reset();
            otherRunning_ = true;
            return false;
        }
        // Nobody listens: the file was left by an instance that died.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_)) {
            server_.reset();
            return false;
        }
    }
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (!client->canReadLine()) {
                    return;
                }
                const QByteArray line = client->readLine();
                if (line == kRequest) {
                    client->write("ok\n");
                    client->flush();
                    if (onRequest_) {
                        onRequest_();
                    }
                }
                client->disconnectFromServer();
            });
        }
    });
    return true;
}

} // namespace spanlet
