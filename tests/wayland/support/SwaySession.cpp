#include "SwaySession.hpp"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/Processes.hpp"

namespace spanlet::test {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUser = "spanlet-test";

// The user sway runs as: ourselves, or under root the test user, made when missing.
bool swayUser(uid_t& uid, gid_t& gid) {
    uid = getuid();
    gid = getgid();
    if (uid != 0) {
        return true;
    }
    // Tests run in parallel: another one may be adding the user right now, and useradd then
    // fails on the lock or on the name; the user shows up a moment later all the same.
    const passwd* user = getpwnam(kUser);
    for (int attempt = 0; user == nullptr && attempt < 50; ++attempt) {
        run({"useradd", "--system", "--no-create-home", "--home-dir", "/nonexistent", "--shell",
             "/usr/sbin/nologin", kUser});
        user = getpwnam(kUser);
        if (user == nullptr) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            user = getpwnam(kUser);
        }
    }
    if (user == nullptr) {
        std::fputs("could not make the user spanlet-test for sway\n", stderr);
        return false;
    }
    uid = user->pw_uid;
    gid = user->pw_gid;
    return true;
}

// Starts sway as uid:gid with only the environment it needs, headless or, given `host` (a
// Wayland socket's path), nested in that compositor; its output goes to sway.log.
pid_t startSway(const std::string& folder, uid_t uid, gid_t gid, const std::string& host) {
    const std::string config = folder + "/config";
    const std::string runtime = "XDG_RUNTIME_DIR=" + folder;
    const std::string home = "HOME=" + folder;
    const std::string display = "WAYLAND_DISPLAY=" + host;
    const char* argv[] = {"sway", "-c", config.c_str(), nullptr};
    const char* env[] = {"PATH=/usr/local/bin:/usr/bin:/bin",
                         runtime.c_str(),
                         home.c_str(),
                         host.empty() ? "WLR_BACKENDS=headless" : "WLR_BACKENDS=wayland",
                         "WLR_LIBINPUT_NO_DEVICES=1",
                         "WLR_RENDERER=pixman",
                         host.empty() ? nullptr : display.c_str(),
                         nullptr};
    const int log = open((folder + "/sway.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) {
        close(log);
        return pid;
    }
    // Child: only async-signal-safe calls until exec. The death signal is set after the
    // change of user, which would clear it.
    if ((getuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) ||
        chdir(folder.c_str()) != 0) {
        _exit(126);
    }
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
        _exit(127);
    }
    dup2(log, 1);
    dup2(log, 2);
    for (int fd = 3; fd < 1024; ++fd) {
        close(fd);
    }
    execve("/usr/bin/sway", const_cast<char* const*>(argv), const_cast<char* const*>(env));
    _exit(127);
}

// The first file in `folder` whose name starts with `prefix` and does not end in `.lock`.
std::string findFile(const std::string& folder, const std::string& prefix) {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix) && !name.ends_with(".lock")) {
            return name;
        }
    }
    return {};
}

} // namespace

SwaySession::SwaySession(const std::string& config, const SwaySession* host) {
    char folderTemplate[] = "/tmp/spanlet-sway-XXXXXX";
    if (!swayUser(uid_, gid_) || mkdtemp(folderTemplate) == nullptr) {
        return;
    }
    folder_ = folderTemplate;
    if (FILE* f = std::fopen((folder_ + "/config").c_str(), "w")) {
        std::fprintf(f, "xwayland disable\noutput * bg #202020 solid_color\n%s\n", config.c_str());
        std::fclose(f);
    }
    if (chown(folder_.c_str(), uid_, gid_) != 0 || chmod(folder_.c_str(), 0700) != 0) {
        return;
    }
    const pid_t pid = startSway(folder_, uid_, gid_, host != nullptr ? host->display_ : "");
    if (pid < 0) {
        return;
    }
    pid_ = pid;
    // Ready once both sockets exist and sway answers on its IPC socket.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string display;
    while (std::chrono::steady_clock::now() < deadline) {
        display = findFile(folder_, "wayland-");
        const std::string ipc = findFile(folder_, "sway-ipc.");
        if (!display.empty() && !ipc.empty()) {
            ipcSocket_ = folder_ + "/" + ipc;
            if (swaymsg({"-t", "get_outputs"})) {
                break;
            }
        }
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (pid_ < 0 || ipcSocket_.empty()) {
        std::fprintf(stderr, "sway did not start; its log is %s/sway.log\n", folder_.c_str());
        folder_.clear(); // kept for a look
        pid_ = -1;
        return;
    }
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    display_ = folder_ + "/" + display;
    setenv("WAYLAND_DISPLAY", display.c_str(), 1);
    setenv("SWAYSOCK", ipcSocket_.c_str(), 1);
    unsetenv("DISPLAY");
}

SwaySession::~SwaySession() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
}

std::optional<std::string> SwaySession::swaymsg(const std::vector<std::string>& args) const {
    std::vector<std::string> argv{"swaymsg", "-s", ipcSocket_};
    argv.insert(argv.end(), args.begin(), args.end());
    const Finished done = finish(argv);
    return done.status == 0 ? std::optional(done.text) : std::nullopt;
}

} // namespace spanlet::test
