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
#include <limits>
#include <poll.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <spanlet/shell/SingleInstanceClient.hpp>
#include <spanlet/shell/SingleInstanceLock.hpp>
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

/// `request` as a request line its sender waits for as long as it takes.
std::string waitedFor(const std::string& request) {
    return request + " until " + std::to_string(std::numeric_limits<std::int64_t>::max()) + "\n";
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
// goes on taking this user's requests. Stopped, it keeps its place: a second start says so and
// ends, leaves the first one's socket alone, and its request is not carried out once the first
// one goes on.
TEST(SingleInstanceTest, DroppedRequestsAndAHungInstanceLeaveTheInstanceInPlace) {
    Spanlet spanlet;
    Background first;
    ASSERT_TRUE(spanlet.start(first));
    const fs::path socket = spanlet.socket();
    if (const auto other = otherUser()) {
        const std::string request = waitedFor("show settings");
        EXPECT_EQ(asUser(*other, [&] { return exchange(socket, request).empty() ? 0 : 1; }), 0)
            << "another user's request is refused";
    }
    for (const std::string& request :
         {waitedFor("show settingz"), waitedFor("show settings" + std::string(200, ' ')),
          std::string(4096, 'x')}) {
        EXPECT_EQ(exchange(socket, request), "") << request.substr(0, 20);
    }
    EXPECT_EQ(run(spanlet.ending({"--show", "colors"})), 0);
    EXPECT_TRUE(waitUntil([] { return windowNamed("^Colors$"); }));
    EXPECT_FALSE(windowNamed("Spanlet Settings")) << "no dropped request was carried out";

    const fs::path prefs = spanlet.config.path() / "spanlet" / "preferences.json";
    const auto stored = [&] { return output({"cat", prefs.string()}).value_or(""); };
    const std::string before = stored();
    kill(first.pid(), SIGSTOP);
    const Finished second = finish(spanlet.ending({"--command", "toggleUnit"}), true);
    kill(first.pid(), SIGCONT);
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.text, "spanlet: Spanlet is already running (pid " +
                               std::to_string(first.pid()) + ") but did not answer\n");
    EXPECT_TRUE(fs::exists(socket));
    // Requests are taken in the order they came, so the given-up one was read before this one.
    EXPECT_EQ(run(spanlet.ending({"--show", "measurements"})), 0) << "the first one answers again";
    EXPECT_TRUE(waitUntil([] { return windowNamed("^Measurements$"); }));
    EXPECT_EQ(stored(), before) << "the unit was not toggled";
    EXPECT_EQ(run(spanlet.ending({"--command", "toggleUnit"})), 0);
    EXPECT_TRUE(waitUntil([&] { return stored() != before; })) << "a toggle shows in the file";
}

// A flood of idle connections, more than the instance may have descriptors, is turned away,
// and the instance goes on taking requests right after.
TEST(SingleInstanceTest, IdleConnectionsBeyondTheDescriptorLimitLeaveTheSocketOpen) {
    constexpr int kIdle = 1100;
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = std::max<rlim_t>(limit.rlim_cur, kIdle + 100);
    limit.rlim_max = std::max(limit.rlim_max, limit.rlim_cur);
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
        GTEST_SKIP() << "cannot open enough descriptors here";
    }
    Spanlet spanlet;
    Background first;
    ASSERT_TRUE(spanlet.start(first, {}, {"prlimit", "--nofile=1024", "--"}));
    const auto address = [&] {
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, spanlet.socket().c_str(), sizeof a.sun_path - 1);
        return a;
    }();
    std::vector<int> idle;
    for (int i = 0; i < kIdle; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const timeval wait{.tv_sec = 2, .tv_usec = 0};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            idle.push_back(fd);
        } else {
            ::close(fd);
        }
    }
    EXPECT_EQ(idle.size(), kIdle) << "all were taken off the queue";
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(run(spanlet.ending({"--command", "toggleRuler"})), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(2));
    EXPECT_TRUE(waitUntil([] { return windowNamed("^Ruler$"); }));
    for (const int fd : idle) {
        ::close(fd);
    }
}

// Whatever became of the lock file (deleted, a folder or a link in its place), a second start
// hands over to the running instance, which puts a lock file of its own back.
TEST(SingleInstanceTest, ALostOrReplacedLockFileLeavesOneInstance) {
    Spanlet spanlet;
    Background first;
    ASSERT_TRUE(spanlet.start(first));
    std::string name = socketName();
    const fs::path lock = spanlet.runtime.path() / name.replace(name.find(".socket"), 7, ".lock");
    TempDir elsewhere;
    const fs::path target = elsewhere.path() / "target";
    std::ofstream(target) << "";
    const struct {
        const char* name;
        std::function<bool(std::error_code&)> plant;
        std::string window;
        std::string title;
    } rows[] = {
        {"deleted", [](std::error_code&) { return true; }, "settings", "Spanlet Settings"},
        {"a folder", [&](std::error_code& e) { return fs::create_directory(lock, e); },
         "measurements", "^Measurements$"},
        {"a link",
         [&](std::error_code& e) {
             fs::create_symlink(target, lock, e);
             return !e;
         },
         "colors", "^Colors$"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // The instance may put its lock back between the two steps: then plant again.
        std::error_code error;
        ASSERT_TRUE(waitUntil([&] { return fs::remove(lock, error) && row.plant(error); }));
        const Finished second = finish(spanlet.ending({"--show", row.window}), true);
        EXPECT_EQ(second.status, 0) << second.text;
        EXPECT_TRUE(waitUntil([&] { return windowNamed(row.title); }));
        EXPECT_EQ(kill(first.pid(), 0), 0) << "the first one runs on";
        EXPECT_TRUE(waitUntil([&] {
            return fs::is_regular_file(fs::symlink_status(lock)) &&
                   SingleInstanceLock::holder(lock) == first.pid();
        })) << "the lock is back";
    }
    EXPECT_TRUE(fs::is_empty(target)) << "the link was not followed";
}

// A start that cannot listen, in a runtime folder it cannot write (where a stale socket is in
// the way) or with no private folder at all, says so in one line and ends. Run as another user:
// root writes anywhere.
TEST(SingleInstanceTest, AStartThatCannotListenSaysSoAndEnds) {
    const auto other = otherUser();
    if (!other) {
        GTEST_SKIP() << "needs root to run as another user";
    }
    const auto asOther = [&](const std::vector<std::string>& settings) {
        std::vector<std::string> argv{"setpriv",
                                      "--reuid=" + std::to_string(*other),
                                      "--regid=" + std::to_string(*other),
                                      "--clear-groups",
                                      "env",
                                      "XDG_CONFIG_HOME=/nonexistent"};
        argv.insert(argv.end(), settings.begin(), settings.end());
        argv.emplace_back(SPANLET_BINARY);
        return finish(argv, true);
    };
    TempDir folder;
    const fs::path socket = folder.path() / socketName();
    {
        const auto address = [&] {
            sockaddr_un a{};
            a.sun_family = AF_UNIX;
            std::strncpy(a.sun_path, socket.c_str(), sizeof a.sun_path - 1);
            return a;
        }();
        const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(::bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(stale);
    }
    std::string name = socketName();
    const fs::path lock = folder.path() / name.replace(name.find(".socket"), 7, ".lock");
    std::ofstream(lock) << "";
    for (const fs::path& path : {folder.path(), socket, lock}) {
        ASSERT_EQ(::lchown(path.c_str(), *other, *other), 0);
    }
    ::chmod(folder.path().c_str(), 0500);

    const Finished readOnly = asOther({"XDG_RUNTIME_DIR=" + folder.path().string()});
    EXPECT_EQ(readOnly.status, 1);
    EXPECT_EQ(readOnly.text, "spanlet: cannot remove the stale socket " + socket.string() +
                                 ": Permission denied\n");
    const Finished nowhere = asOther({"XDG_RUNTIME_DIR=", "TMPDIR=" + folder.path().string()});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.text, "spanlet: no private folder for the single-instance socket: "
                            "XDG_RUNTIME_DIR is not one of this user's, and none can be made in " +
                                folder.path().string() + "\n");
    ::chmod(folder.path().c_str(), 0700);
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
        return SingleInstanceClient::send(path, waitedFor("quit"), std::chrono::seconds(5),
                                          std::chrono::steady_clock::now() +
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
