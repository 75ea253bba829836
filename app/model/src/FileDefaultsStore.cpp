#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include <spanlet/model/FileDefaultsStore.hpp>
#include <spanlet/model/XdgFolders.hpp>

#include "PosixFiles.hpp"

namespace spanlet {

namespace {

using posix::FileDescriptor;
constexpr std::string_view kSuffix = ".json";

bool isPlainFileName(std::string_view key) {
    return !key.empty() && key != "." && key != ".." &&
           key.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

StoreResult failed(int error) {
    return {FileDefaultsStore::failureFor(error)};
}

/// Where a write of `file` goes: the file itself, or, when it is a link (or a chain of links)
/// to a regular file of this user, that file, so the link stays. A link to anything else is
/// replaced by a plain file, as before.
struct WriteTarget {
    std::filesystem::path file;
    /// The permission bits to keep; absent for the store's own files (0600).
    std::optional<mode_t> mode;
};

WriteTarget writeTarget(const std::filesystem::path& file) {
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return {file, std::nullopt};
    }
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(file.c_str(), nullptr),
                                                               &std::free);
    struct stat target {};
    if (resolved == nullptr || ::lstat(resolved.get(), &target) != 0 || !S_ISREG(target.st_mode) ||
        target.st_uid != ::geteuid()) {
        return {file, std::nullopt};
    }
    return {resolved.get(), target.st_mode & 07777};
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
    const std::filesystem::path config = XdgFolders::folder(XdgFolders::Base::config);
    return config.empty() ? config : config / "spanlet";
}

StoreFailure FileDefaultsStore::failureFor(int error) noexcept {
    switch (error) {
    case EROFS:
        return StoreFailure::readOnly;
    case ENOSPC:
    case EDQUOT:
        return StoreFailure::diskFull;
    case EACCES:
    case EPERM:
        return StoreFailure::denied;
    default:
        return StoreFailure::other;
    }
}

std::filesystem::path FileDefaultsStore::fileFor(std::string_view key) const {
    if (directory_.empty() || !isPlainFileName(key)) {
        return {};
    }
    return directory_ / (std::string(key) + std::string(kSuffix));
}

StoredValue FileDefaultsStore::read(std::string_view key) const {
    using State = StoredValue::State;
    const std::filesystem::path file = fileFor(key);
    if (file.empty()) {
        return {};
    }
    // O_NONBLOCK: opening a FIFO without a writer, or a device, must not hang start-up; links
    // are followed, as dotfile managers link settings into a repository.
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) {
        struct stat st {};
        // A dangling link is there, only unreadable; ENOTDIR: the folder is not a folder.
        const bool absent =
            (errno == ENOENT || errno == ENOTDIR) && ::lstat(file.c_str(), &st) != 0;
        return {absent ? State::missing : State::unreadable, {}};
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::size_t>(st.st_size) > maxBytes) {
        return {State::unreadable, {}};
    }
    std::optional<std::string> bytes = posix::readAtMost(fd.get(), maxBytes);
    if (!bytes) {
        return {State::unreadable, {}};
    }
    return {State::readable, std::move(*bytes)};
}

bool FileDefaultsStore::hasData(std::string_view key) const {
    const std::filesystem::path file = fileFor(key);
    struct stat st {};
    return !file.empty() && ::lstat(file.c_str(), &st) == 0;
}

StoreResult FileDefaultsStore::setData(std::string_view key, std::string_view bytes) {
    const std::filesystem::path file = fileFor(key);
    if (file.empty()) {
        return {StoreFailure::other};
    }
    if (!posix::makeDirectories(directory_)) {
        return failed(errno);
    }
    const WriteTarget target = writeTarget(file);
    const std::filesystem::path folder = target.file.parent_path();
    // mkostemp opens with O_CREAT | O_EXCL and mode 0600 under a fresh unique name.
    // Built step by step: GCC 12 at -O3 reports a false -Wrestrict on the one-line form.
    std::string name = ".";
    name.append(target.file.filename().string());
    name.append(".XXXXXX");
    std::string temporary = (folder / name).string();
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.valid()) {
        return failed(errno);
    }
    // Held until the file is renamed or removed: removeStaleTemporaries() leaves it alone.
    ::flock(fd.get(), LOCK_EX);
    int error = 0;
    if ((target.mode && ::fchmod(fd.get(), *target.mode) != 0) ||
        !posix::writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), target.file.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return failed(error);
    }
    // The data is synced and renamed; a failing close cannot lose it any more.
    fd.close();
    posix::syncDirectory(folder);
    return {};
}

StoreResult FileDefaultsStore::moveData(std::string_view from, std::string_view to) {
    const std::filesystem::path source = fileFor(from);
    const std::filesystem::path destination = fileFor(to);
    if (source.empty() || destination.empty()) {
        return {StoreFailure::other};
    }
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) !=
        0) {
        if (errno != EINVAL) {
            return failed(errno);
        }
        // A file system without RENAME_NOREPLACE: check, then rename.
        if (hasData(to)) {
            return {StoreFailure::other};
        }
        if (::rename(source.c_str(), destination.c_str()) != 0) {
            return failed(errno);
        }
    }
    posix::syncDirectory(directory_);
    return {};
}

bool FileDefaultsStore::removeData(std::string_view key) {
    const std::filesystem::path file = fileFor(key);
    return !file.empty() && ::unlink(file.c_str()) == 0;
}

std::vector<std::string> FileDefaultsStore::keys(std::string_view prefix) const {
    std::vector<std::string> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory_, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > kSuffix.size() && name.starts_with(prefix) && name.ends_with(kSuffix) &&
            name.front() != '.') {
            found.push_back(name.substr(0, name.size() - kSuffix.size()));
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string FileDefaultsStore::location(std::string_view key) const {
    std::string file = fileFor(key).string();
    const std::string home = posix::homeDirectory().string();
    if (!home.empty() && home != "/" && file.starts_with(home + "/")) {
        return "~" + file.substr(home.size());
    }
    return file;
}

std::size_t FileDefaultsStore::removeStaleTemporaries() const {
    std::size_t removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory_, error), end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::path path = it->path();
        if (!posix::isTemporaryName(path.filename().string())) {
            continue;
        }
        // O_NOFOLLOW: a link under such a name is not one of ours.
        FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
        struct stat st {};
        if (fd.valid() && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 &&
            ::unlink(path.c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

} // namespace spanlet
