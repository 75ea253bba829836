#pragma once

#include <cstddef>
#include <filesystem>

#include <spanlet/model/DefaultsStore.hpp>

namespace spanlet {

/// Defaults kept as one file per key, `<directory>/<key>.json`. Every write is atomic: the
/// bytes go to a fresh temporary file in the same folder, are synced, and the file is renamed
/// over the old one, so a crash leaves either the old or the new contents, never a mix.
///
/// Only regular files of at most maxBytes are read, without ever blocking (a FIFO or a device
/// in the folder is unreadable, not a hang). A key whose file is a link to a regular file of
/// this user keeps its link: writes replace the link's target, in the target's folder.
class FileDefaultsStore final : public DefaultsStore {
public:
    /// Larger files are unreadable.
    static constexpr std::size_t maxBytes = std::size_t{16} * 1024 * 1024;

    /// Files live in `directory`, which is created (mode 0700, with missing parents) on the
    /// first write.
    explicit FileDefaultsStore(std::filesystem::path directory);

    /// $XDG_CONFIG_HOME/spanlet, or ~/.config/spanlet when that variable is unset, empty or
    /// not an absolute path. Empty when no home folder can be found either.
    static std::filesystem::path defaultDirectory();

    /// Why a file operation that set `error` (an errno value) failed.
    static StoreFailure failureFor(int error) noexcept;

    [[nodiscard]] const std::filesystem::path& directory() const noexcept { return directory_; }
    /// The file that holds `key`; empty for a key that is not a plain file name (empty, ".",
    /// "..", or containing '/' or NUL), which the store refuses.
    [[nodiscard]] std::filesystem::path fileFor(std::string_view key) const;

    /// Removes the temporary files that writes killed half-way left in the folder. A write in
    /// progress (in this or another process) holds a lock on its file and is left alone.
    /// Returns how many were removed.
    std::size_t removeStaleTemporaries() const;

    [[nodiscard]] StoredValue read(std::string_view key) const override;
    StoreResult setData(std::string_view key, std::string_view bytes) override;
    [[nodiscard]] bool hasData(std::string_view key) const override;
    StoreResult moveData(std::string_view from, std::string_view to) override;
    bool removeData(std::string_view key) override;
    [[nodiscard]] std::vector<std::string> keys(std::string_view prefix) const override;
    /// The file's path, with the home folder written as "~".
    [[nodiscard]] std::string location(std::string_view key) const override;

private:
    std::filesystem::path directory_;
};

} // namespace spanlet
