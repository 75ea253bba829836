#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include <spanlet/model/FileDefaultsStore.hpp>

namespace spanlet {

namespace {

// Owns a file descriptor; closes it on scope exit unless it was closed (and checked) already.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    [[nodiscard]] int get() const noexcept { return fd_; }
    [[nodiscard]] bool valid() const noexcept { return fd_ >= 0; }
    /// Closes now and reports whether the close succeeded (it can report a failed write).
    bool close() noexcept {
        const int fd = std::exchange(fd_, -1);
        return fd >= 0 && ::close(fd) == 0;
    }

private:
    int fd_;
};

bool isDirectory(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates `dir` and any missing parents with mode 0700 (the config folder is private).
bool makeDirectories(const std::filesystem::path& dir) {
    if (dir.empty()) {
        return false;
    }
    if (::mkdir(dir.c_str(), 0700) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return isDirectory(dir);
    }
    if (errno != ENOENT) {
        return false;
    }
    const std::filesystem::path parent = dir.parent_path();
    if (parent.empty() || parent == dir || !makeDirectories(parent)) {
        return false;
    }
    return ::mkdir(dir.c_str(), 0700) == 0 || (errno == EEXIST && isDirectory(dir));
}

bool writeAll(int fd, std::string_view bytes) {
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        next += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

std::optional<std::string> readAll(int fd) {
    std::string bytes;
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (got == 0) {
            return bytes;
        }
        bytes.append(chunk.data(), static_cast<std::size_t>(got));
    }
}

// Makes a finished rename durable. Failing here does not undo the rename: the new contents
// are in place either way, only their survival of a power cut is less certain.
void syncDirectory(const std::filesystem::path& dir) {
    FileDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) {
        ::fsync(fd.get());
    }
}

bool isPlainFileName(std::string_view key) {
    return !key.empty() && key != "." && key != ".." &&
           key.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::filesystem::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    std::vector<char> buffer(16 * 1024);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

} // namespace

FileDefaultsStore::FileDefaultsStore(std::filesystem::path directory)
    : directory_(std::move(directory)) {
    // "a/b/" names the same folder as "a/b"; dropping the separator keeps parent_path() honest.
    while (!directory_.empty() && !directory_.has_filename() && directory_.has_relative_path()) {
        directory_ = directory_.parent_path();
    }
}

std::filesystem::path FileDefaultsStore::defaultDirectory() {
    // Relative values are invalid by the XDG base-directory rules and must be ignored.
    if (const char* config = std::getenv("XDG_CONFIG_HOME");
        config != nullptr && config[0] == '/') {
        return std::filesystem::path(config) / "spanlet";
    }
    const std::filesystem::path home = homeDirectory();
    if (home.empty()) {
        return {};
    }
    return home / ".config" / "spanlet";
}

std::filesystem::path FileDefaultsStore::fileFor(std::string_view key) const {
    if (directory_.empty() || !isPlainFileName(key)) {
        return {};
    }
    return directory_ / (std::string(key) + ".json");
}

std::optional<std::string> FileDefaultsStore::data(std::string_view key) const {
    const std::filesystem::path file = fileFor(key);
    if (file.empty()) {
        return std::nullopt;
    }
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return readAll(fd.get());
}

bool FileDefaultsStore::hasData(std::string_view key) const {
    const std::filesystem::path file = fileFor(key);
    struct stat st {};
    return !file.empty() && ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileDefaultsStore::setData(std::string_view key, std::string_view bytes) {
    const std::filesystem::path file = fileFor(key);
    if (file.empty() || !makeDirectories(directory_)) {
        return false;
    }
    // mkostemp opens with O_CREAT | O_EXCL and mode 0600 under a fresh unique name.
    // Built step by step: GCC 12 at -O3 reports a false -Wrestrict on the one-line form.
    std::string name = ".";
    name.append(key);
    name.append(".json.XXXXXX");
    std::string temporary = (directory_ / name).string();
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.valid()) {
        return false;
    }
    const bool written = writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    if (!fd.close() || !written || ::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncDirectory(directory_);
    return true;
}

} // namespace spanlet
