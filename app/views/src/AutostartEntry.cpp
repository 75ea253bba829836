#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

#include <spanlet/model/XdgFolders.hpp>
#include <spanlet/views/AutostartEntry.hpp>

namespace spanlet {

namespace {

namespace fs = std::filesystem;

/// Characters that make an Exec argument need double quotes (desktop-entry format, "Exec key").
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
/// Characters escaped with a backslash inside a quoted Exec argument.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

/// The entry in the configuration folder `config`; empty when that is unknown.
fs::path entryIn(const fs::path& config) {
    return config.empty() ? config : config / "autostart" / "spanlet.desktop";
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::optional<std::string> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

/// Writes `bytes` to `path` through a temporary file in the same folder and a rename, so a
/// crash leaves the old file or the new one, never a torn one.
bool writeAtomically(const fs::path& path, std::string_view bytes) {
    std::string temp = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    const bool written = ::fchmod(fd, 0644) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace

AutostartEntry::AutostartEntry(std::filesystem::path file, std::string executable)
    : file_(std::move(file)), executable_(std::move(executable)) {}

std::filesystem::path AutostartEntry::standardFile(const char* xdgConfigHome, const char* home) {
    return entryIn(XdgFolders::folder(XdgFolders::Base::config, xdgConfigHome,
                                      home != nullptr ? fs::path(home) : fs::path()));
}

std::filesystem::path AutostartEntry::standardFile() {
    return entryIn(XdgFolders::folder(XdgFolders::Base::config));
}

bool AutostartEntry::isEnabled() const {
    std::error_code error;
    if (file_.empty() || !fs::is_regular_file(file_, error)) {
        return false;
    }
    const std::optional<std::string> text = readFile(file_);
    return text && !isHidden(*text);
}

bool AutostartEntry::setEnabled(bool enabled) {
    if (file_.empty()) {
        return false;
    }
    std::error_code error;
    if (!enabled) {
        fs::remove(file_, error);
        return !error && !isEnabled();
    }
    fs::create_directories(file_.parent_path(), error);
    if (error) {
        return false;
    }
    return writeAtomically(file_, entryText(executable_)) && isEnabled();
}

std::string AutostartEntry::entryText(std::string_view executable) {
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Spanlet\n"
                       "Comment=Measure anything on your screen\n"
                       "Exec=";
    text += execValue(executable);
    text += "\n"
            "Icon=spanlet\n"
            "Terminal=false\n"
            "X-GNOME-Autostart-enabled=true\n";
    return text;
}

std::string AutostartEntry::execValue(std::string_view executable) {
    // First the Exec quoting rule, then "%" doubling (field codes), then the escapes of a
    // string value; a reader undoes them in the opposite order.
    std::string argument;
    if (executable.find_first_of(kReserved) == std::string_view::npos) {
        argument = executable;
    } else {
        argument = "\"";
        for (char c : executable) {
            if (kEscapedInQuotes.find(c) != std::string_view::npos) {
                argument += '\\';
            }
            argument += c;
        }
        argument += '"';
    }
    std::string value;
    for (char c : argument) {
        switch (c) {
        case '%':
            value += "%%";
            break;
        case '\\':
            value += "\\\\";
            break;
        case '\n':
            value += "\\n";
            break;
        case '\t':
            value += "\\t";
            break;
        case '\r':
            value += "\\r";
            break;
        default:
            value += c;
        }
    }
    return value;
}

bool AutostartEntry::isHidden(std::string_view text) {
    bool inEntryGroup = false;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        const std::string_view l = trimmed(line);
        if (l.empty() || l.front() == '#') {
            continue;
        }
        if (l.front() == '[') {
            inEntryGroup = l == "[Desktop Entry]";
            continue;
        }
        const auto equals = l.find('=');
        if (inEntryGroup && equals != std::string_view::npos &&
            trimmed(l.substr(0, equals)) == "Hidden" && trimmed(l.substr(equals + 1)) == "true") {
            return true;
        }
    }
    return false;
}

} // namespace spanlet
