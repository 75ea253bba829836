#include <cerrno>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include <spanlet/shell/SingleInstanceClient.hpp>

namespace spanlet {

namespace {

using Clock = std::chrono::steady_clock;

/// A connected socket, closed when this goes.
class Connection {
public:
    explicit Connection(int fd) : fd_(fd) {}
    ~Connection() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    [[nodiscard]] int fd() const noexcept { return fd_; }

private:
    int fd_;
};

/// Connects to `socket`, trying again while nobody listens there yet (until `absentBy`, then -1
/// with `listening` false) or while its queue is full (until `fullBy`, then -1); -1 on any
/// other failure. The socket does not block, so a stopped listener's full queue cannot hold
/// this start.
int connectBy(const std::filesystem::path& socket, Clock::time_point absentBy,
              Clock::time_point fullBy, bool& listening) {
    listening = true;
    const auto address = socketAddress(socket);
    if (!address) {
        return -1;
    }
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            return -1;
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0) {
            return fd;
        }
        const int error = errno;
        ::close(fd);
        const bool absent = error == ENOENT || error == ECONNREFUSED;
        if (!absent && error != EAGAIN) {
            return -1;
        }
        if (Clock::now() >= (absent ? absentBy : fullBy)) {
            listening = !absent;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

/// Waits until `fd` has something to read or `deadline` passes.
bool readable(int fd, Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd entry{.fd = fd, .events = POLLIN, .revents = 0};
    return left > 0 && ::poll(&entry, 1, static_cast<int>(left)) == 1;
}

} // namespace

std::optional<sockaddr_un> socketAddress(const std::filesystem::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket.native().size() >= sizeof address.sun_path) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, socket.c_str(), socket.native().size());
    return address;
}

std::optional<uid_t> peerUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials) {
        return std::nullopt;
    }
    return credentials.uid;
}

SingleInstanceClient::Answer SingleInstanceClient::send(const std::filesystem::path& socket,
                                                        std::string_view line,
                                                        std::chrono::milliseconds connectWait,
                                                        Clock::time_point answerBy) {
    bool listening = true;
    const Connection connection(connectBy(socket, Clock::now() + connectWait, answerBy, listening));
    if (!listening) {
        return Answer::gone;
    }
    if (connection.fd() < 0 || peerUser(connection.fd()) != ::getuid()) {
        return Answer::noAnswer;
    }
    const ssize_t sent = ::send(connection.fd(), line.data(), line.size(), MSG_NOSIGNAL);
    if (sent != static_cast<ssize_t>(line.size())) {
        // Closed before the line went (a busy listener turns connections away): as good as gone.
        return sent < 0 && (errno == EPIPE || errno == ECONNRESET) ? Answer::gone
                                                                   : Answer::noAnswer;
    }
    std::string answer;
    char buffer[16];
    while (answer.size() < 3) {
        if (!readable(connection.fd(), answerBy)) {
            return Answer::noAnswer;
        }
        const ssize_t n = ::recv(connection.fd(), buffer, sizeof buffer, 0);
        if (n <= 0) {
            return Answer::gone;
        }
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    return answer.starts_with("ok\n") ? Answer::accepted : Answer::noAnswer;
}

} // namespace spanlet
