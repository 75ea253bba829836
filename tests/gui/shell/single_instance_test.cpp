// The built spanlet started twice: the second hands over to the first and ends; quitting the
// first leaves no process, key grab or socket behind.
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <spanlet/model/FileDefaultsStore.hpp>

#include "ShellSupport.hpp"

extern char** environ;

namespace spanlet::test {
namespace {

/// Starts the spanlet binary with its own config and runtime folders.
pid_t launch(const std::filesystem::path& config, const std::filesystem::path& runtime) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string_view entry(*e);
        if (!entry.starts_with("XDG_CONFIG_HOME=") && !entry.starts_with("XDG_RUNTIME_DIR=")) {
            env.emplace_back(entry);
        }
    }
    env.push_back("XDG_CONFIG_HOME=" + config.string());
    env.push_back("XDG_RUNTIME_DIR=" + runtime.string());
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    std::string binary = SPANLET_BINARY;
    char* argv[] = {binary.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int result = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}

/// Waits for `pid` to end (bounded); its exit status, or -1.
int exitStatus(pid_t pid) {
    int status = 0;
    if (!waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool windowNamed(const std::string& name) {
    const auto found = output({"xdotool", "search", "--name", name});
    return found && !found->empty();
}

/// Whether this test can grab Ctrl+Shift+R itself, i.e. nobody else holds it.
bool ctrlShiftRIsFree() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto mods = static_cast<std::uint16_t>(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT);
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_grab_key_checked(c, 1, root, mods, 27, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    const bool free = error == nullptr;
    std::free(error);
    xcb_disconnect(c);
    return free;
}

TEST(SingleInstanceTest, SecondLaunchHandsOverAndQuitLeavesNothing) {
    // With a tray host the first instance opens no window of its own (without one it would open
    // the welcome window as its fallback), so the welcome window below comes from the hand-over.
    TrayHost tray;
    ASSERT_TRUE(tray.ok());
    TempDir config;
    TempDir runtime;
    storePrefs(config.path() / "spanlet", welcomedPrefs());
    const pid_t first = launch(config.path(), runtime.path());
    ASSERT_GT(first, 0);
    const auto socketFile = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(runtime.path())) {
            if (entry.path().extension() == ".socket") {
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(waitUntil(socketFile));
    // Probing a grab takes the key for a moment, and a grab Spanlet makes during that moment
    // fails for good; so probe only once start-up is past its grabs (the overlay panels are made
    // after them).
    ASSERT_TRUE(waitUntil([] { return windowNamed("Spanlet Overlay"); }, std::chrono::seconds(30)));
    EXPECT_FALSE(ctrlShiftRIsFree()) << "the first one grabs its keys";
    EXPECT_FALSE(windowNamed("Welcome to Spanlet"));

    const pid_t second = launch(config.path(), runtime.path());
    ASSERT_GT(second, 0);
    EXPECT_EQ(exitStatus(second), 0);
    EXPECT_TRUE(waitUntil([] { return windowNamed("Welcome to Spanlet"); }));
    EXPECT_EQ(kill(first, 0), 0) << "the first one still runs";

    kill(first, SIGTERM);
    EXPECT_EQ(exitStatus(first), 0);
    EXPECT_FALSE(socketFile());
    EXPECT_TRUE(ctrlShiftRIsFree());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(runtime.path()),
                            std::filesystem::directory_iterator()),
              0);
}

} // namespace
} // namespace spanlet::test
