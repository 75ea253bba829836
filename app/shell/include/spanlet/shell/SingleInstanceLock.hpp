#pragma once

#include <filesystem>
#include <sys/types.h>

namespace spanlet {

/// The lock that makes one process the Spanlet of its user and display: an exclusive flock on
/// a lock file, held until this object goes or the process ends (the kernel drops it even when
/// the process is killed). The holder writes its pid into the file for the others' messages.
class SingleInstanceLock {
public:
    enum class State {
        /// This process holds it.
        held,
        /// Another process holds it.
        busy,
        /// The lock file cannot be opened, made or locked.
        failed,
    };

    /// Takes the lock at `file`. Something else in its place (a link, an empty folder of this
    /// user's, a file that is not this user's) is replaced by a fresh lock file.
    explicit SingleInstanceLock(std::filesystem::path file);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    [[nodiscard]] State state() const noexcept { return state_; }
    /// Why the lock failed (an errno value), or 0.
    [[nodiscard]] int error() const noexcept { return error_; }

    enum class Kept {
        /// The lock file is the held one.
        unchanged,
        /// It had gone or was replaced, and a fresh one, held, is back in its place.
        putBack,
        /// It had gone or was replaced, and none could be put back (see error()).
        failed,
    };
    /// Checks, while held, that the lock file is still the one held (temp cleaners and people
    /// delete it), and puts a fresh held one back when not, so a later start finds it taken.
    [[nodiscard]] Kept keep();

    /// The pid the holder of the lock file `file` wrote into it, or 0 when there is none.
    [[nodiscard]] static pid_t holder(const std::filesystem::path& file);

private:
    /// Whether the lock file's name still leads to the held file.
    [[nodiscard]] bool named() const;
    /// Makes a fresh lock file, locks it and renames it into place; whether it is held now.
    bool replace();
    void writePid();

    std::filesystem::path file_;
    int fd_ = -1;
    State state_ = State::failed;
    int error_ = 0;
};

} // namespace spanlet
