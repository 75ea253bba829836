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
        /// The lock file cannot be opened or locked.
        failed,
    };

    explicit SingleInstanceLock(const std::filesystem::path& file);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    [[nodiscard]] State state() const noexcept { return state_; }
    /// The pid the holder wrote into the file, or 0 when there is none (yet).
    [[nodiscard]] pid_t holder() const;

private:
    int fd_ = -1;
    State state_ = State::failed;
};

} // namespace spanlet
