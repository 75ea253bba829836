#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <spanlet/shell/SingleInstance.hpp>
#include <spanlet/shell/SingleInstanceClient.hpp>
#include <spanlet/shell/SingleInstanceLock.hpp>

namespace spanlet {

namespace {

/// How long a connection may take to send its request; a start sends it right away.
constexpr std::chrono::milliseconds kRequestWait{500};
/// How many connections are served at once; more are closed as they come.
constexpr int kMaxInFlight = 32;
/// How many connections are taken per turn of the event loop, so a flood cannot stall it.
constexpr int kAcceptBatch = 64;
/// How long accepting pauses when not even the spare descriptor helps.
constexpr std::chrono::milliseconds kAcceptPause{100};

void log(const std::string& line) {
    std::fputs((line + "\n").c_str(), stderr);
}

std::string reason(int error) {
    return std::strerror(error); // NOLINT(concurrency-mt-unsafe): one thread uses it
}

/// Whether a listener takes connections at `address` (a full queue counts: it is there).
bool answers(const sockaddr_un& address) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const bool connected = fd >= 0 && (::connect(fd, reinterpret_cast<const sockaddr*>(&address),
                                                 sizeof address) == 0 ||
                                       errno == EAGAIN);
    if (fd >= 0) {
        ::close(fd);
    }
    return connected;
}

} // namespace

/// One accepted connection, until its request line is read or it is dropped.
class SingleInstance::Connection final : public QObject {
public:
    Connection(int fd, SingleInstance* server)
        : QObject(server), fd_(fd), server_(server), notifier_(fd, QSocketNotifier::Read) {
        connect(&notifier_, &QSocketNotifier::activated, this, [this] { read(); });
        // A last read at the deadline, in case the event loop was held up meanwhile.
        deadline_.setSingleShot(true);
        connect(&deadline_, &QTimer::timeout, this, [this] {
            read();
            end(std::string());
        });
        deadline_.start(kRequestWait);
    }
    ~Connection() override { close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    [[nodiscard]] int fd() const noexcept { return fd_; }

    /// Reads what has come; hands over a whole line, or nothing on an end, an error or too much.
    void read() {
        char buffer[CommandLine::maxRequestBytes + 1];
        while (fd_ >= 0) {
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && errno == EAGAIN) {
                return;
            }
            if (n <= 0) {
                end(std::string());
                return;
            }
            line_.append(buffer, static_cast<std::size_t>(n));
            const std::size_t newline = line_.find('\n');
            // A whole line within the limit (npos, no newline yet, is past it).
            if (newline < CommandLine::maxRequestBytes) {
                end(line_.substr(0, newline + 1));
            } else if (line_.size() >= CommandLine::maxRequestBytes) {
                end(std::string());
            }
        }
    }

    void close() {
        if (fd_ >= 0) {
            notifier_.setEnabled(false);
            ::close(fd_);
            fd_ = -1;
        }
    }

private:
    void end(const std::string& line) {
        if (fd_ >= 0) {
            server_->finished(this, line);
        }
    }

    int fd_;
    SingleInstance* server_;
    QSocketNotifier notifier_;
    QTimer deadline_;
    std::string line_;
};

SingleInstance::Listening SingleInstance::listen(const std::filesystem::path& socket) {
    const auto address = socketAddress(socket);
    if (!address) {
        return {.error = "spanlet: the socket path " + socket.string() + " is too long"};
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return {.error = "spanlet: cannot make a socket: " + reason(errno)};
    }
    const auto bind = [&] {
        return ::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
    };
    std::string error;
    bool bound = bind();
    if (!bound && errno == EADDRINUSE) {
        // Left by an instance that ended, unless one answers there: that one keeps it.
        if (answers(*address)) {
            ::close(fd);
            return {.taken = true, .error = {}};
        }
        if (::unlink(socket.c_str()) != 0) {
            error =
                "spanlet: cannot remove the stale socket " + socket.string() + ": " + reason(errno);
        } else {
            bound = bind();
        }
    }
    if (error.empty() && (!bound || ::listen(fd, SOMAXCONN) != 0)) {
        error = "spanlet: cannot listen at " + socket.string() + ": " + reason(errno);
    }
    if (!error.empty()) {
        ::close(fd);
        return {.error = error};
    }
    return {.fd = fd, .taken = false, .error = {}};
}

SingleInstance::SingleInstance(SingleInstanceLock& lock, std::filesystem::path socket, int listener)
    : lock_(lock), socket_(std::move(socket)), watching_(std::make_unique<QFileSystemWatcher>()),
      resuming_(std::make_unique<QTimer>()), spare_(::open("/dev/null", O_RDONLY | O_CLOEXEC)) {
    listenOn(listener);
    resuming_->setSingleShot(true);
    connect(resuming_.get(), &QTimer::timeout, this, [this] {
        if (accepting_) {
            accepting_->setEnabled(true);
        }
    });
    // Told by the kernel (inotify) whenever a name in the folder of the lock and the socket
    // comes, goes or is replaced, so an idle instance never wakes up to look. The folder, not
    // the two files: a file's watch ends with it, and one put back could be gone again before
    // it is watched.
    connect(watching_.get(), &QFileSystemWatcher::directoryChanged, this, [this] {
        watch();
        watchFolder();
    });
    watchFolder();
}

SingleInstance::~SingleInstance() {
    stopListening();
    if (spare_ >= 0) {
        ::close(spare_);
    }
}

void SingleInstance::listenOn(int fd) {
    accepting_.reset();
    if (listener_ >= 0) {
        ::close(listener_);
    }
    listener_ = fd;
    struct stat info {};
    if (::lstat(socket_.c_str(), &info) == 0) {
        socketDevice_ = info.st_dev;
        socketInode_ = info.st_ino;
    }
    accepting_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(accepting_.get(), &QSocketNotifier::activated, this, &SingleInstance::acceptSome);
}

void SingleInstance::stopListening() {
    if (listener_ < 0) {
        return;
    }
    accepting_.reset();
    ::close(listener_);
    listener_ = -1;
    struct stat info {};
    if (::lstat(socket_.c_str(), &info) == 0 && info.st_dev == socketDevice_ &&
        info.st_ino == socketInode_) {
        ::unlink(socket_.c_str());
    }
}

void SingleInstance::acceptSome() {
    for (int n = 0; n < kAcceptBatch && listener_ >= 0; ++n) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            serve(fd);
        } else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            turnAway();
            return;
        } else if (errno != EINTR && errno != ECONNABORTED) {
            return; // EAGAIN: all taken
        }
    }
}

void SingleInstance::turnAway() {
    if (!toldStarved_) {
        toldStarved_ = true;
        log("spanlet: out of file descriptors (" + reason(errno) +
            "); turning requests away until some are free");
    }
    // Qt's own local server closes itself here; this one frees its spare descriptor to take
    // the waiting connection off the queue and close it, so the socket stays open.
    if (spare_ >= 0) {
        ::close(spare_);
        spare_ = -1;
    }
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    const bool cleared = fd >= 0 || errno == EAGAIN;
    if (fd >= 0) {
        ::close(fd);
    }
    spare_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (!cleared && accepting_) {
        accepting_->setEnabled(false);
        resuming_->start(kAcceptPause);
    }
}

void SingleInstance::serve(int fd) {
    if (peerUser(fd) != ::getuid()) {
        ::close(fd);
        return;
    }
    if (inFlight_ >= kMaxInFlight) {
        if (!toldFull_) {
            toldFull_ = true;
            log("spanlet: more than " + std::to_string(kMaxInFlight) +
                " connections to the single-instance socket at once; turning the rest away");
        }
        ::close(fd);
        return;
    }
    ++inFlight_;
    // Read at once: a start sends its line as it connects, and so requests are carried out in
    // the order they came.
    (new Connection(fd, this))->read();
}

void SingleInstance::finished(Connection* connection, const std::string& line) {
    const auto sent = line.empty() ? std::nullopt : CommandLine::Sent::decode(line);
    const bool late = sent && std::chrono::steady_clock::now().time_since_epoch() >= sent->deadline;
    if (sent && !late) {
        static_cast<void>(::send(connection->fd(), "ok\n", 3, MSG_NOSIGNAL | MSG_DONTWAIT));
    }
    connection->close();
    connection->deleteLater();
    if (--inFlight_ == 0) {
        toldFull_ = false;
        toldStarved_ = false;
    }
    if (late) {
        log("spanlet: dropped the request \"" + sent->request.text() +
            "\": it came after its sender had given up on it");
    }
    if (!sent || late) {
        return;
    }
    if (sent->request.kind == CommandLine::Request::Kind::quit) {
        // Starts from now on wait for the lock instead of queueing behind an ending instance.
        stopped_ = true;
        watching_.reset();
        stopListening();
    }
    if (onRequest_) {
        onRequest_(sent->request);
    }
}

void SingleInstance::watch() {
    switch (lock_.keep()) {
    case SingleInstanceLock::Kept::unchanged:
        break;
    case SingleInstanceLock::Kept::putBack:
        toldLock_ = false;
        log("spanlet: the single-instance lock had gone or been replaced; put it back");
        break;
    case SingleInstanceLock::Kept::failed:
        if (!toldLock_) {
            toldLock_ = true;
            log("spanlet: the single-instance lock had gone or been replaced and cannot be put "
                "back: " +
                reason(lock_.error()));
        }
        break;
    }
    struct stat info {};
    if (stopped_ || (::lstat(socket_.c_str(), &info) == 0 && info.st_dev == socketDevice_ &&
                     info.st_ino == socketInode_)) {
        return;
    }
    // Gone (a temp cleaner, a person): listen there again, unless another listener took it.
    const Listening again = listen(socket_);
    if (again.fd >= 0) {
        listenOn(again.fd);
        log("spanlet: the single-instance socket " + socket_.string() +
            " had gone; listening there again");
    } else if (!toldSocket_) {
        toldSocket_ = true;
        log(again.taken ? "spanlet: another process listens at " + socket_.string() : again.error);
    }
}

void SingleInstance::watchFolder() {
    if (!watching_) {
        return; // ending
    }
    // A watch ends with the folder it watched: one made again is watched anew.
    const QString folder = QString::fromStdString(socket_.parent_path().native());
    if (!watching_->directories().contains(folder)) {
        watching_->addPath(folder);
    }
}

} // namespace spanlet
