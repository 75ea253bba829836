#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <spanlet/wayland/WaylandClipboard.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

#include "support/Processes.hpp"
#include "support/SwaySession.hpp"

namespace spanlet::test {
namespace {

using wayland::WaylandClipboard;
using wayland::WaylandConnection;
using WaylandClipboardTest = SwayTest;

// What wl-paste reads from the clipboard, while our connection serves it.
std::optional<std::string> paste(WaylandConnection& c) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    const pid_t pid = spawn({"wl-paste", "--no-newline"}, fds[1]);
    close(fds[1]);
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    std::string text;
    bool open = true;
    // Our connection wakes for the compositor only, so the pipe is looked at every few ms.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (open && std::chrono::steady_clock::now() < deadline) {
        c.dispatchUntil([] { return false; }, std::chrono::milliseconds(5));
        char chunk[256];
        ssize_t n = 0;
        while ((n = read(fds[0], chunk, sizeof chunk)) > 0) {
            text.append(chunk, static_cast<std::size_t>(n));
        }
        open = n != 0;
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (open || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return text;
}

// Text copied without focus or input serial reaches other clients whole, and the last copy wins.
TEST_F(WaylandClipboardTest, givesOtherClientsTheTextCopiedLast) {
    auto c = WaylandConnection::connect();
    ASSERT_TRUE(c);
    WaylandClipboard clipboard(*c);
    ASSERT_TRUE(clipboard.available());
    const std::string texts[] = {"120 × 48 pt", "width: 240px;\nheight: 96px;", ""};
    for (const std::string& text : texts) {
        clipboard.setText(text);
        c->roundtrip();
        EXPECT_EQ(paste(*c), text);
    }
}

} // namespace
} // namespace spanlet::test
