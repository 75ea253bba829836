#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

#include <spanlet/shell/CommandLine.hpp>

class QFileSystemWatcher;
class QSocketNotifier;
class QTimer;

namespace spanlet {

class SingleInstanceLock;

/// The receiving side of the single-instance channel, run by the holder of the
/// SingleInstanceLock: it takes requests on the lock's socket and hands each one of this user
/// (checked with SO_PEERCRED) to `onRequest`, after answering "ok". A request of another
/// user, a malformed line, one longer than CommandLine::maxRequestBytes, one that does not
/// arrive within half a second and one whose sender has given up on it are dropped without an
/// answer. At most a few dozen connections are served at once; more are closed at once, and
/// when no descriptor is left a connection is closed too, but the socket stays open.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    using OnRequest = std::function<void(const CommandLine::Request&)>;

    /// What listening at a socket path came to.
    struct Listening {
        /// The listening socket, or -1.
        int fd = -1;
        /// When there is none: whether a live listener answers at the path already.
        bool taken = false;
        /// Otherwise, one line on why not, naming the path.
        std::string error;
    };
    /// Listens at `socket`, first removing a stale socket (or anything else nobody listens on)
    /// there, but never one a live listener answers on. Plain POSIX: a start runs it before it
    /// makes a Qt application, so one that cannot listen says so and ends.
    [[nodiscard]] static Listening listen(const std::filesystem::path& socket);

    /// Takes requests on `listener`, the socket that listen() made at `socket`. Whenever the
    /// kernel reports a change in their folder, it checks that the lock file of `lock` (held) and
    /// the socket are still in their places, and puts back whichever went or was replaced.
    SingleInstance(SingleInstanceLock& lock, std::filesystem::path socket, int listener);
    /// Stops listening and removes the socket while it is this one's.
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    void setOnRequest(OnRequest onRequest) { onRequest_ = std::move(onRequest); }

private:
    class Connection;

    void listenOn(int fd);
    void stopListening();
    void acceptSome();
    void turnAway();
    void serve(int fd);
    void finished(Connection* connection, const std::string& line);
    void watch();
    void watchFolder();

    SingleInstanceLock& lock_;
    std::filesystem::path socket_;
    int listener_ = -1;
    /// The socket file as made, to tell it from one put in its place.
    dev_t socketDevice_ = 0;
    ino_t socketInode_ = 0;
    std::unique_ptr<QSocketNotifier> accepting_;
    std::unique_ptr<QFileSystemWatcher> watching_;
    /// Takes up accepting again after a pause.
    std::unique_ptr<QTimer> resuming_;
    /// A descriptor held back for accepting (and closing) a connection when none is left.
    int spare_ = -1;
    int inFlight_ = 0;
    /// Whether an episode of too many connections, or of no descriptors, was logged.
    bool toldFull_ = false;
    bool toldStarved_ = false;
    /// Whether the lock could not be put back, logged once.
    bool toldLock_ = false;
    /// Whether the socket could not be made again, logged once.
    bool toldSocket_ = false;
    /// Whether it stopped listening for good (after a quit).
    bool stopped_ = false;
    OnRequest onRequest_;
};

} // namespace spanlet
