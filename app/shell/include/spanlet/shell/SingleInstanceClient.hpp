#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>
#include <sys/types.h>

namespace spanlet {

/// The user id of the process at the other end of the connected Unix socket `fd`, as the
/// kernel recorded it (SO_PEERCRED); nothing when it cannot be read.
[[nodiscard]] std::optional<uid_t> peerUser(int fd);

/// The sending side of the single-instance channel. Plain POSIX, so a second start can hand
/// over before it makes a Qt application or talks to the X server.
namespace SingleInstanceClient {

/// Sends the request line `line` to the Spanlet listening at `socket` and waits for its "ok".
/// While the socket is missing or refuses, tries again until `wait` has passed (the lock's
/// holder may not listen yet). Whether it was accepted; a listener of another user is never
/// told anything and counts as no answer.
[[nodiscard]] bool send(const std::filesystem::path& socket, std::string_view line,
                        std::chrono::milliseconds wait);

} // namespace SingleInstanceClient

} // namespace spanlet
