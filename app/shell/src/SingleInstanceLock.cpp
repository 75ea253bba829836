#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <spanlet/shell/SingleInstanceLock.hpp>

namespace spanlet {

SingleInstanceLock::SingleInstanceLock(const std::filesystem::path& file) {
    // Close-on-exec: a browser started from the menu must not inherit the lock and hold it
    // after Spanlet ends.
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::getuid()) {
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        state_ = errno == EWOULDBLOCK ? State::busy : State::failed;
        return;
    }
    state_ = State::held;
    const std::string pid = std::to_string(::getpid()) + "\n";
    // The pid is only for other starts' messages; the lock holds without it.
    const bool written = ::ftruncate(fd_, 0) == 0 && ::pwrite(fd_, pid.data(), pid.size(), 0) ==
                                                         static_cast<ssize_t>(pid.size());
    static_cast<void>(written);
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

pid_t SingleInstanceLock::holder() const {
    char text[24] = {};
    const ssize_t n = fd_ < 0 ? -1 : ::pread(fd_, text, sizeof text - 1, 0);
    pid_t pid = 0;
    if (n <= 0 || std::from_chars(text, text + n, pid).ec != std::errc() || pid < 0) {
        return 0;
    }
    return pid;
}

} // namespace spanlet
