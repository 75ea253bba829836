// The built spanlet as the one instance of its user and display: hand-over, the command line,
// requests it must drop, a hung first instance, and places planted by another user.
#include <QLocalServer>
#include <QLocalSocket>
#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/fsuid.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <spanlet/shell/SingleInstanceClient.hpp>
#include <spanlet/shell/SingleInstancePlace.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

namespace fs = std::filesystem;

/// The uid of an unprivileged user made for these tests; nothing unless this runs as root.
std::optional<uid_t> otherUser() {
    if (::getuid() != 0) {
        return std::nullopt;
    }
    if (!output({"id", "-u", "spanlet-peer"})) {
        run({"useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin",
             "spanlet-peer"});
    }
    const auto uid = output({"id", "-u", "spanlet-peer"});
    return uid ? std::optional<uid_t>(std::stoul(*uid)) : std::nullopt;
}

/// Runs `task` in a child whose effective (and so SO_PEERCRED) user is `uid`, but which keeps
/// root's file-system access so it can reach a socket in root's private folder; its result.
int asUser(uid_t uid, const std::function<int()>& task) {
    const pid_t child = fork();
    if (child == 0) {
        if (::setresuid(uid, uid, 0) != 0) {
            _exit(100);
        }
        ::setfsuid(0);
        _exit(task());
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)
               ? WEXITSTATUS(status)
               : -1;
}

/// Sends `bytes` to the socket at `path` and returns all it answers before closing (at most 5 s).
std::string exchange(const fs::path& path, const std::string& bytes) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    std::string answer;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) >= 0) {
        pollfd entry{.fd = fd, .events = POLLIN, .revents = 0};
        char buffer[64];
        ssize_t n = 0;
        while (::poll(&entry, 1, 5000) == 1 && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
            answer.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return answer;
}

TEST(SingleInstanceTest, SecondLaunchHandsOverAndQuitLeavesNothing) {
    // With a tray host the first instance opens no window of its own (without one it would open
    // the welcome window as its fallback), so the welcome window below comes from the hand-over.
    TrayHost tray;
    ASSERT_TRUE(tray.ok());
    Spanlet spanlet;
    Background first;
    ASSERT_TRUE(spanlet.start(first));
    EXPECT_FALSE(windowNamed("Welcome to Spanlet"));
    xdotool({"key", "--clearmodifiers", "ctrl+shift+r"});
    EXPECT_TRUE(waitUntil([] { return windowNamed("^Ruler$"); })) << "its global shortcut works";

    EXPECT_EQ(run(spanlet.ending()), 0);
    EXPECT_TRUE(waitUntil([] { return windowNamed("Welcome to Spanlet"); }));
    EXPECT_EQ(kill(first.pid(), 0), 0) << "the first one still runs";

    first.stop(); // SIGTERM: an orderly quit
    EXPECT_FALSE(fs::exists(spanlet.socket())) << "no socket left";
}

// A bad name changes nothing; a request with none running starts Spanlet, which carries it out;
// later requests go to it, and --quit ends it.
TEST(SingleInstanceTest, CommandLineDrivesTheInstance) {
    Spanlet spanlet;
    const Finished bad = finish(spanlet.ending({"--command", "toggleSnaping"}), true);
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.text.starts_with("spanlet: --command takes one of toggleRuler, ")) << bad.text;
    EXPECT_EQ(std::count(bad.text.begin(), bad.text.end(), '\n'), 1) << bad.text;
    EXPECT_TRUE(fs::is_empty(spanlet.runtime.path())) << "nothing started";

    Background first;
    ASSERT_TRUE(spanlet.start(first, {"--show", "settings"}));
    EXPECT_TRUE(waitUntil([] { return windowNamed("Spanlet Settings"); }));
    EXPECT_EQ(run(spanlet.ending({"--command", "toggleRuler"})), 0);
    EXPECT_TRUE(waitUntil([] { return windowNamed("^Ruler$"); }));

    // A start right after --quit waits for the ending instance and takes its place.
    EXPECT_EQ(run(spanlet.ending({"--quit"})), 0);
    Background next(spanlet.command({"--show", "colors"}));
    EXPECT_TRUE(waitUntil([&] { return waitpid(first.pid(), nullptr, WNOHANG) == first.pid(); }));
    EXPECT_TRUE(waitUntil([] { return windowNamed("^Colors$"); }));
    EXPECT_EQ(kill(next.pid(), 0), 0);
}

// Another user's request, a malformed one and oversized ones get no answer, and the instance
// goes on taking this user's requests. Stopped, it keeps its lock: a second start says so and
// ends, and leaves the first one's socket alone.
TEST(SingleInstanceTest, DroppedRequestsAndAHungInstanceLeaveTheInstanceInPlace) {
    Spanlet spanlet;
    Background first;
    ASSERT_TRUE(spanlet.start(first));
    const fs::path socket = spanlet.socket();
    if (const auto other = otherUser()) {
        EXPECT_EQ(
            asUser(*other, [&] { return exchange(socket, "show settings\n").empty() ? 0 : 1; }), 0)
            << "another user's request is refused";
    }
    for (const std::string& request :
         {std::string("show settingz\n"), "show settings" + std::string(200, ' ') + "\n",
          std::string(4096, 'x')}) {
        EXPECT_EQ(exchange(socket, request), "") << request.substr(0, 20);
    }
    EXPECT_EQ(run(spanlet.ending({"--show", "colors"})), 0);
    EXPECT_TRUE(waitUntil([] { return windowNamed("^Colors$"); }));
    EXPECT_FALSE(windowNamed("Spanlet Settings")) << "no dropped request was carried out";

    kill(first.pid(), SIGSTOP);
    const Finished second = finish(spanlet.ending(), true);
    kill(first.pid(), SIGCONT);
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.text, "spanlet: Spanlet is already running (pid " +
                               std::to_string(first.pid()) + ") but did not answer\n");
    EXPECT_TRUE(fs::exists(socket));
    EXPECT_EQ(run(spanlet.ending({"--show", "measurements"})), 0) << "the first one answers again";
}

// Without a runtime folder the place is a private folder in the temporary folder. One planted
// there by another user, with a listener that answers everything, or a plain file in its stead,
// is passed over.
TEST(SingleInstanceTest, PlacesPlantedByAnotherUserArePassedOver) {
    const auto other = otherUser();
    if (!other) {
        GTEST_SKIP() << "needs root to plant files as another user";
    }
    for (const bool plantFolder : {true, false}) {
        SCOPED_TRACE(plantFolder ? "planted folder" : "planted file");
        TempDir temp;
        TempDir config;
        storePrefs(config.path() / "spanlet", welcomedPrefs());
        const fs::path planted = temp.path() / ("spanlet-" + std::to_string(::getuid()));
        QLocalServer listener;
        int answered = 0;
        if (plantFolder) {
            fs::create_directory(planted);
            ::chmod(planted.c_str(), 0777);
            ASSERT_EQ(::chown(planted.c_str(), *other, *other), 0);
            ASSERT_TRUE(listener.listen(QString::fromStdString((planted / socketName()).string())));
            QObject::connect(&listener, &QLocalServer::newConnection, [&] {
                ++answered;
                listener.nextPendingConnection()->write("ok\n");
            });
        } else {
            std::ofstream(planted) << "";
        }
        Background spanlet({"env", "-u", "XDG_RUNTIME_DIR", "TMPDIR=" + temp.path().string(),
                            "XDG_CONFIG_HOME=" + config.path().string(), SPANLET_BINARY});
        const fs::path own = planted.string() + ".1";
        EXPECT_TRUE(waitUntil([&] { return fs::exists(own / socketName()); }));
        EXPECT_TRUE(waitUntil([] { return windowNamed("Spanlet Overlay"); }));
        EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_all);
        EXPECT_EQ(answered, 0);
        EXPECT_EQ(kill(spanlet.pid(), 0), 0) << "it runs as the instance";
        spanlet.stop();
        EXPECT_TRUE(waitUntil([] { return !windowNamed("Spanlet Overlay"); }));
    }
}

// The sending side trusts no listener of another user: it sends nothing to it.
TEST(SingleInstanceTest, AHandOverIgnoresAnotherUsersListener) {
    const auto other = otherUser();
    if (!other) {
        GTEST_SKIP() << "needs root to listen as another user";
    }
    TempDir folder;
    const fs::path path = folder.path() / "planted.socket";
    auto handOver = std::async(std::launch::async, [&] {
        return SingleInstanceClient::send(path, "quit\n", std::chrono::seconds(5),
                                          std::chrono::seconds(5));
    });
    const int received = asUser(*other, [&] {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(server, 1) != 0) {
            return 100;
        }
        const int client = ::accept(server, nullptr, nullptr);
        static_cast<void>(::send(client, "ok\n", 3, MSG_NOSIGNAL));
        char buffer[64];
        return ::recv(client, buffer, sizeof buffer, 0) > 0 ? 1 : 0;
    });
    EXPECT_EQ(handOver.get(), SingleInstanceClient::Answer::noAnswer);
    EXPECT_EQ(received, 0) << "it was sent nothing";
}

// The runtime folder is used only when it is this user's and closed to others; else the
// private folder in the temporary folder stands in.
TEST(SingleInstanceTest, OnlyAPrivateRuntimeFolderIsUsed) {
    TempDir temp;
    const fs::path fallback = temp.path() / ("spanlet-" + std::to_string(::getuid()));
    const auto other = otherUser();
    const struct {
        const char* name;
        mode_t mode;
        bool foreign;
        bool used;
    } rows[] = {
        {"private", 0700, false, true},
        {"readable by all", 0755, false, false},
        {"another user's", 0700, true, false},
    };
    for (const auto& row : rows) {
        if (row.foreign && !other) {
            continue;
        }
        TempDir runtime;
        ::chmod(runtime.path().c_str(), row.mode);
        if (row.foreign) {
            ASSERT_EQ(::chown(runtime.path().c_str(), *other, *other), 0);
        }
        const auto place =
            SingleInstancePlace::find(runtime.path().c_str(), temp.path().c_str(), ":7");
        ASSERT_TRUE(place) << row.name;
        EXPECT_EQ(place->socketFile, (row.used ? runtime.path() : fallback) / "spanlet-_7.socket")
            << row.name;
    }
    const auto relative = SingleInstancePlace::find("run/user", temp.path().c_str(), ":7");
    ASSERT_TRUE(relative);
    EXPECT_EQ(relative->lockFile, fallback / "spanlet-_7.lock");
}

} // namespace
} // namespace spanlet::test
