#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// Small POSIX file helpers for the file-backed defaults store.
namespace spanlet::posix {

/// Owns a file descriptor; closes it on scope exit unless it was closed (and checked) already.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();

    [[nodiscard]] int get() const noexcept { return fd_; }
    [[nodiscard]] bool valid() const noexcept { return fd_ >= 0; }
    /// Closes now and reports whether the close succeeded (it can report a failed write).
    bool close() noexcept;

private:
    int fd_;
};

/// Creates `dir` and any missing parents with mode 0700. Sets errno when it fails.
bool makeDirectories(const std::filesystem::path& dir);

bool writeAll(int fd, std::string_view bytes);

/// Everything `fd` holds, or nothing on a read error or when it holds more than `limit` bytes.
std::optional<std::string> readAtMost(int fd, std::size_t limit);

/// Makes a finished rename in `dir` durable. Failing here does not undo the rename: the new
/// contents are in place either way, only their survival of a power cut is less certain.
void syncDirectory(const std::filesystem::path& dir);

/// $HOME, else the password database's home folder; empty when neither is an absolute path.
std::filesystem::path homeDirectory();

/// Whether `name` is a temporary file this store makes: ".<key>.json." and six letters or digits.
bool isTemporaryName(std::string_view name);

} // namespace spanlet::posix
