#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <spanlet/shell/SingleInstanceLock.hpp>
#include <spanlet/shell/SingleInstancePlace.hpp>

namespace spanlet {

namespace {

// Close-on-exec: a browser started from the menu must not inherit the lock and hold it after
// Spanlet ends. No-follow: a link in the lock's place leads nowhere.
constexpr int kOpenFlags = O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;

} // namespace

SingleInstanceLock::SingleInstanceLock(std::filesystem::path file) : file_(std::move(file)) {
    fd_ = ::open(file_.c_str(), kOpenFlags | O_CREAT, 0600);
    struct stat info {};
    const bool lockable =
        fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid();
    if (!lockable) {
        // A link (ELOOP), a folder (EISDIR) or a file of another kind or user: the folder is
        // this user's, so whatever stands there may be replaced.
        const bool replaceable = fd_ >= 0 || errno == ELOOP || errno == EISDIR;
        error_ = fd_ >= 0 ? EEXIST : errno;
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        // Two starts replacing it at once both hold a file, but only one of them is named.
        if (replaceable && replace() && named()) {
            state_ = State::held;
            error_ = 0;
        }
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        error_ = errno;
        state_ = errno == EWOULDBLOCK ? State::busy : State::failed;
        return;
    }
    state_ = State::held;
    writePid();
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

SingleInstanceLock::Kept SingleInstanceLock::keep() {
    if (state_ != State::held || named()) {
        return Kept::unchanged;
    }
    return replace() ? Kept::putBack : Kept::failed;
}

pid_t SingleInstanceLock::holder(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    char text[24] = {};
    const ssize_t n = fd < 0 ? -1 : ::pread(fd, text, sizeof text - 1, 0);
    if (fd >= 0) {
        ::close(fd);
    }
    pid_t pid = 0;
    if (n <= 0 || std::from_chars(text, text + n, pid).ec != std::errc() || pid < 0) {
        return 0;
    }
    return pid;
}

bool SingleInstanceLock::named() const {
    struct stat path {};
    struct stat held {};
    return fd_ >= 0 && ::lstat(file_.c_str(), &path) == 0 && ::fstat(fd_, &held) == 0 &&
           path.st_dev == held.st_dev && path.st_ino == held.st_ino;
}

bool SingleInstanceLock::replace() {
    const std::filesystem::path folder = file_.parent_path();
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 && errno == ENOENT) {
        // A temp cleaner took the whole folder: make it again, private as before.
        ::mkdir(folder.c_str(), 0700);
    }
    if (!isPrivateFolder(folder, ::getuid())) {
        error_ = EPERM;
        return false;
    }
    // Only an empty folder goes; rename cannot replace one, and a full one may matter.
    if (::lstat(file_.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
        ::rmdir(file_.c_str()) != 0) {
        error_ = errno;
        return false;
    }
    const std::filesystem::path fresh = file_.native() + "." + std::to_string(::getpid());
    ::unlink(fresh.c_str());
    const int fd = ::open(fresh.c_str(), kOpenFlags | O_CREAT | O_EXCL, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::rename(fresh.c_str(), file_.c_str()) != 0) {
        error_ = errno;
        if (fd >= 0) {
            ::unlink(fresh.c_str());
            ::close(fd);
        }
        return false;
    }
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = fd;
    writePid();
    return true;
}

void SingleInstanceLock::writePid() {
    const std::string pid = std::to_string(::getpid()) + "\n";
    // The pid is only for other starts' messages; the lock holds without it.
    const bool written = ::ftruncate(fd_, 0) == 0 && ::pwrite(fd_, pid.data(), pid.size(), 0) ==
                                                         static_cast<ssize_t>(pid.size());
    static_cast<void>(written);
}

} // namespace spanlet
