#include "ShellSupport.hpp"

#include <QSystemTrayIcon>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>

#include <spanlet/model/FileDefaultsStore.hpp>

extern char** environ;

namespace spanlet::test {

TempDir::TempDir() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string pattern = std::string(runtime ? runtime : "/tmp") + "/dir-XXXXXX";
    if (mkdtemp(pattern.data())) {
        path_ = pattern;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void storePrefs(const std::filesystem::path& directory, const Preferences& prefs) {
    FileDefaultsStore store(directory);
    prefs.save(store);
}

Preferences welcomedPrefs() {
    Preferences p;
    p.welcomed = true;
    return p;
}

AppSession::AppSession(std::optional<Preferences> prefs, QUrl feed, std::filesystem::path dir)
    : directory(dir.empty() ? config.path() : std::move(dir)) {
    if (prefs) {
        storePrefs(directory, *prefs);
    }
    SpanletApp::Options options;
    options.configDirectory = directory;
    options.autostartFile = config.path() / "autostart" / "spanlet.desktop";
    options.updateFeed = std::move(feed);
    options.prompts = &prompts;
    app = std::make_unique<SpanletApp>(std::move(options));
}

AppSession::~AppSession() {
    app.reset();
    settle();
}

TrayHost::TrayHost()
    : trayer_({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height",
               "24", "--SetDockType", "true", "--expand", "true"}) {
    ok_ = waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); });
}

TrayHost::~TrayHost() {
    trayer_.stop();
    waitUntil([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, std::chrono::seconds(5));
}

int xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return run(argv);
}

void clickAt(QPoint global, int button) {
    xdotool({"mousemove", "--sync", std::to_string(global.x()), std::to_string(global.y())});
    xdotool({"click", std::to_string(button)});
}

std::optional<std::string> output(const std::vector<std::string>& argv) {
    // The program may need answers from this process (a clipboard read asks the selection's
    // owner, which is us), so Qt's event loop keeps running while it works.
    TempDir dir;
    const std::string file = (dir.path() / "out").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return std::nullopt;
    }
    int status = 0;
    const bool ended = waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::optional<std::string> clipboardText() {
    return output({"xclip", "-o", "-selection", "clipboard"});
}

} // namespace spanlet::test
