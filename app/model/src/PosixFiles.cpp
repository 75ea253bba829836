#include "PosixFiles.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace spanlet::posix {

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool FileDescriptor::close() noexcept {
    const int fd = std::exchange(fd_, -1);
    return fd >= 0 && ::close(fd) == 0;
}

namespace {

bool isDirectory(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

bool makeDirectories(const std::filesystem::path& dir) {
    if (dir.empty()) {
        errno = ENOENT;
        return false;
    }
    if (::mkdir(dir.c_str(), 0700) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        if (isDirectory(dir)) {
            return true;
        }
        errno = ENOTDIR;
        return false;
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

std::optional<std::string> readAtMost(int fd, std::size_t limit) {
    std::string bytes;
    std::vector<char> chunk(std::size_t{64} * 1024);
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
        if (bytes.size() > limit) {
            return std::nullopt; // grew past the limit since it was measured
        }
    }
}

void syncDirectory(const std::filesystem::path& dir) {
    FileDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) {
        ::fsync(fd.get());
    }
}

std::filesystem::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    std::vector<char> buffer(std::size_t{16} * 1024);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

bool isTemporaryName(std::string_view name) {
    constexpr std::string_view middle = ".json.";
    constexpr std::size_t suffix = 6; // mkostemp's XXXXXX
    if (name.size() < 1 + 1 + middle.size() + suffix || name.front() != '.') {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - suffix);
    return name.substr(name.size() - suffix - middle.size(), middle.size()) == middle &&
           std::all_of(tail.begin(), tail.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
           });
}

} // namespace spanlet::posix
