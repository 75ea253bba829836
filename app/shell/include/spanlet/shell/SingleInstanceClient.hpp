#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>
#include <sys/types.h>
#include <sys/un.h>

namespace spanlet {

/// The user id of the process at the other end of the connected Unix socket `fd`, as the
/// kernel recorded it (SO_PEERCRED); nothing when it cannot be read.
[[nodiscard]] std::optional<uid_t> peerUser(int fd);

/// The Unix socket address of `socket`; nothing when the path does not fit in one.
[[nodiscard]] std::optional<sockaddr_un> socketAddress(const std::filesystem::path& socket);

/// The sending side of the single-instance channel. Plain POSIX, so a second start can hand
/// over before it makes a Qt application or talks to the X server.
namespace SingleInstanceClient {

enum class Answer {
    accepted,
    /// Connected, but no "ok" came in time, or the listener is another user's (it is told
    /// nothing).
    noAnswer,
    /// Nobody listens at the socket, or the listener closed without an answer: an instance
    /// starting, ending or too busy to take one more connection.
    gone,
};

/// Sends the request line `line` to the Spanlet listening at `socket` and waits until
/// `answerBy` for its "ok". While the socket is missing or refuses, tries again until
/// `connectWait` has passed.
[[nodiscard]] Answer send(const std::filesystem::path& socket, std::string_view line,
                          std::chrono::milliseconds connectWait,
                          std::chrono::steady_clock::time_point answerBy);

} // namespace SingleInstanceClient

} // namespace spanlet
