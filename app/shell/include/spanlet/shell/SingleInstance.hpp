#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <memory>

#include <spanlet/shell/CommandLine.hpp>

class QLocalServer;
class QLocalSocket;

namespace spanlet {

/// The receiving side of the single-instance channel, run by the holder of the
/// SingleInstanceLock: it listens on the lock's socket and hands each request of this user
/// (checked with SO_PEERCRED) to `onRequest`, after answering "ok". A request of another
/// user, a malformed line, one longer than CommandLine::maxRequestBytes or one that does not
/// arrive within a few seconds is dropped without an answer.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    using OnRequest = std::function<void(const CommandLine::Request&)>;

    /// Listens at `socket`, first removing whatever an earlier holder of the lock left there.
    /// Only the lock's holder may do this: the socket is the holder's.
    explicit SingleInstance(const std::filesystem::path& socket);
    /// Removes the socket.
    ~SingleInstance() override;

    [[nodiscard]] bool listening() const;
    void setOnRequest(OnRequest onRequest) { onRequest_ = std::move(onRequest); }

private:
    void accept(QLocalSocket* client);
    void read(QLocalSocket* client);

    std::unique_ptr<QLocalServer> server_;
    OnRequest onRequest_;
};

} // namespace spanlet
