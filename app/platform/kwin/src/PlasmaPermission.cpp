#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QStandardPaths>
#include <QTimer>
#include <QVariantMap>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <poll.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

#include <spanlet/kwin/PlasmaPermission.hpp>

namespace spanlet::kwin {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr QLatin1String kService("org.kde.KWin.ScreenShot2");
constexpr QLatin1String kPath("/org/kde/KWin/ScreenShot2");
constexpr QLatin1String kRefused("org.kde.KWin.ScreenShot2.Error.NoAuthorized");
constexpr QLatin1String kNoReply("org.freedesktop.DBus.Error.NoReply");
constexpr const char* kKey = "X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2";
/// Marks an entry as ours, so that only ours is ever replaced.
constexpr const char* kOurs = "X-Spanlet-Screenshot-Entry=true";
/// How long an answer about one pixel, and the pixel, may take together: KWin gives one in about
/// 20 ms. The check runs on the UI's thread.
constexpr auto kAnswerWait = 300ms;
/// How long after writing the entry a refusal is asked again: KWin looks for new entries at most
/// every 1.5 s, then takes about 300 ms to read them.
constexpr auto kReadAgain = 3s;
constexpr auto kAskAgain = 100ms;
constexpr const char* kAbout =
    "Plasma lets an application take screenshots only when a desktop entry names its program "
    "and allows it.";

/// This process's executable as KWin sees it; nothing when it is gone or moved since it
/// started.
std::optional<std::string> ownExecutable() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error || !exe.is_absolute() || fs::canonical(exe, error) != exe || error) {
        return std::nullopt;
    }
    return exe.string();
}

std::string applicationsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation).toStdString();
}

/// FNV-1a: a short name of its own for each executable, the same in every run.
std::uint32_t fnv1a(const std::string& text) {
    std::uint32_t hash = 2166136261U;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619U;
    }
    return hash;
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// Reads what KWin writes into the pipe until it closes its end, or until `until`.
void drain(int fd, std::chrono::steady_clock::time_point until) {
    char buffer[64];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            return;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
            return;
        }
    }
}

} // namespace

PlasmaPermission::PlasmaPermission(QDBusConnection bus) : bus_(std::move(bus)) {}

QDBusMessage PlasmaPermission::onePixel(int* readEnd) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return {};
    }
    QDBusMessage message =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("CaptureArea"));
    const QVariantMap options{{QStringLiteral("native-resolution"), true},
                              {QStringLiteral("include-cursor"), false}};
    message << 0 << 0 << 1U << 1U << options
            << QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]));
    ::close(ends[1]);
    *readEnd = ends[0];
    return message;
}

PlasmaPermission::Answer PlasmaPermission::answer(const QDBusMessage& reply, int readEnd,
                                                  std::string* why) {
    if (reply.type() == QDBusMessage::ReplyMessage) {
        // KWin writes the pixel after it answers; our end stays open until it has.
        drain(readEnd, std::chrono::steady_clock::now() + kAnswerWait);
    }
    ::close(readEnd);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return Answer::served;
    }
    if (reply.errorName() == kRefused) {
        return Answer::refused;
    }
    *why = reply.errorName() == kNoReply ? "it didn’t answer in time. Try again in a moment."
                                         : reply.errorMessage().toStdString();
    return Answer::failed;
}

PlasmaPermission::Answer PlasmaPermission::ask(std::string* why) const {
    const auto until = std::chrono::steady_clock::now() + kAnswerWait;
    int readEnd = -1;
    const QDBusMessage message = onePixel(&readEnd);
    if (readEnd < 0) {
        *why = "Spanlet couldn’t make a pipe for KWin to write into.";
        return Answer::failed;
    }
    const QDBusMessage reply = bus_.call(
        message, QDBus::Block, static_cast<int>(std::chrono::milliseconds(kAnswerWait).count()));
    if (reply.type() == QDBusMessage::ReplyMessage) {
        // What is left of the wait is for the pixel.
        drain(readEnd, until);
        ::close(readEnd);
        return Answer::served;
    }
    return answer(reply, readEnd, why);
}

CaptureAccess PlasmaPermission::access() const {
    using State = CaptureAccess::State;
    std::string why;
    const Answer answer = ask(&why);
    if (answer == Answer::served) {
        return {};
    }
    if (answer == Answer::failed) {
        return {State::unavailable,
                {},
                "KWin doesn’t take screenshots for Spanlet here" +
                    (why.empty() ? std::string(".") : ": " + why)};
    }
    const std::optional<std::string> exe = ownExecutable();
    const std::optional<std::string> text = exe ? entryText(*exe) : std::nullopt;
    const std::string folder = applicationsFolder();
    if (!text || folder.empty()) {
        return {State::unavailable,
                {},
                std::string(kAbout) +
                    " Spanlet can’t name its own program in one: it was replaced or moved since "
                    "Spanlet started, or its path holds characters a desktop entry can’t. "
                    "Start Spanlet again."};
    }
    const std::string path = entryPath(folder, *exe);
    const std::optional<std::string> existing = readFile(path);
    std::error_code error;
    if ((existing && !writtenByUs(*existing)) || (!existing && fs::exists(path, error))) {
        return {State::grantable,
                {},
                std::string(kAbout) + " The file “" + path +
                    "” isn’t Spanlet’s, so Spanlet leaves it alone. Add the line “" + kKey +
                    "” to a desktop entry whose Exec= is “" + *exe + "”, then choose Check Again."};
    }
    return {State::grantable, "Add Desktop Entry…",
            std::string(kAbout) +
                " Spanlet can add such an entry for itself to your "
                "applications, in “" +
                folder + "”. Plasma reads it at once: no restart is needed."};
}

// Qt frees the timer's and the watcher's slot objects, which the analyzer cannot follow.
// NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
void PlasmaPermission::checkAgain(const std::function<void(bool allowed)>& done) {
    int readEnd = -1;
    const QDBusMessage message = onePixel(&readEnd);
    if (readEnd < 0) {
        done(false);
        return;
    }
    // Nothing waits here, so KWin may take its time: reading the entries again takes it about
    // 300 ms.
    auto* watcher = new QDBusPendingCallWatcher(
        bus_.asyncCall(message, static_cast<int>(std::chrono::milliseconds(kReadAgain).count())),
        &context_);
    auto pipe = std::shared_ptr<int>(new int(readEnd), [](const int* fd) {
        if (*fd >= 0) {
            ::close(*fd);
        }
        delete fd;
    });
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, &context_, [this, watcher, pipe, done] {
            watcher->deleteLater();
            std::string why;
            const Answer given = answer(watcher->reply(), std::exchange(*pipe, -1), &why);
            // Until KWin has read the entry grant() wrote, it refuses or is busy reading.
            if (given != Answer::served && written_ &&
                std::chrono::steady_clock::now() < *written_ + kReadAgain) {
                QTimer::singleShot(kAskAgain, &context_, [this, done] { checkAgain(done); });
                return;
            }
            done(given == Answer::served);
        });
}
// NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)

std::string PlasmaPermission::grantQuestion() const {
    const std::optional<std::string> exe = ownExecutable();
    const std::string folder = applicationsFolder();
    if (!exe || !entryText(*exe) || folder.empty()) {
        return {};
    }
    return "Spanlet will write the desktop entry “" + entryPath(folder, *exe) + "”. It names “" +
           *exe + "” and lets it take screenshots through KWin (" + kKey +
           "). It stays out of the application menu; deleting the file takes the permission "
           "back. Write it?";
}

void PlasmaPermission::grant() {
    const std::optional<std::string> exe = ownExecutable();
    const std::optional<std::string> text = exe ? entryText(*exe) : std::nullopt;
    const std::string folder = applicationsFolder();
    if (!text || folder.empty()) {
        return;
    }
    if (writeEntry(entryPath(folder, *exe), *text)) {
        written_ = std::chrono::steady_clock::now();
    }
}

std::optional<std::string> PlasmaPermission::entryText(const std::string& executable) {
    // KWin compares the canonical path of Exec='s first word, split as a shell would; quotes
    // keep spaces, and characters Exec= would read otherwise are refused.
    bool plain = true;
    for (const char c : executable) {
        if (c == '"' || c == '\\' || c == '`' || c == '$' || c == '%' || c == '\'' ||
            static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return std::nullopt;
        }
        plain = plain && c != ' ';
    }
    if (executable.empty() || executable.front() != '/') {
        return std::nullopt;
    }
    const std::string exec = plain ? executable : '"' + executable + '"';
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Spanlet\n"
           "Comment=Lets this Spanlet take screenshots in Plasma\n"
           "Exec=" +
           exec +
           "\n"
           "Icon=io.github.spanlet.Spanlet\n"
           "NoDisplay=true\n" +
           kKey + "\n" + kOurs + "\n";
}

std::string PlasmaPermission::entryPath(const std::string& applications,
                                        const std::string& executable) {
    char name[64];
    std::snprintf(name, sizeof name, "io.github.spanlet.Spanlet-%08x.desktop", fnv1a(executable));
    return (fs::path(applications) / name).string();
}

bool PlasmaPermission::writtenByUs(const std::string& text) {
    return text.find(std::string("\n") + kOurs + "\n") != std::string::npos;
}

bool PlasmaPermission::writeEntry(const std::string& path, const std::string& text) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    const bool exists = fs::exists(status);
    if (exists) {
        const std::optional<std::string> existing = readFile(path);
        if (!fs::is_regular_file(status) || !existing || !writtenByUs(*existing)) {
            return false;
        }
    }
    fs::create_directories(fs::path(path).parent_path(), error);
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    bool written = ::fchmod(fd, 0644) == 0;
    for (std::size_t done = 0; written && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        written = n > 0 || (n < 0 && errno == EINTR);
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    written = ::fsync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    // Ours is replaced in one step; where there was none, link() refuses a file that appeared
    // meanwhile.
    if (written) {
        written = exists ? ::rename(temporary.c_str(), path.c_str()) == 0
                         : ::link(temporary.c_str(), path.c_str()) == 0;
    }
    ::unlink(temporary.c_str());
    return written;
}

} // namespace spanlet::kwin
