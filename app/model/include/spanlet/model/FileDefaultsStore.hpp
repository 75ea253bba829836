#pragma once

#include <filesystem>

#include <spanlet/model/DefaultsStore.hpp>

namespace spanlet {

/// Defaults kept as one file per key, `<directory>/<key>.json`. Every write is atomic: the
/// bytes go to a fresh temporary file in the same folder, are synced, and the file is renamed
/// over the old one, so a crash leaves either the old or the new contents, never a mix.
class FileDefaultsStore final : public DefaultsStore {
public:
    /// Files live in `directory`, which is created (mode 0700, with missing parents) on the
    /// first write.
    explicit FileDefaultsStore(std::filesystem::path directory);

    /// $XDG_CONFIG_HOME/spanlet, or ~/.config/spanlet when that variable is unset, empty or
    /// not an absolute path. Empty when no home folder can be found either.
    static std::filesystem::path defaultDirectory();

    [[nodiscard]] const std::filesystem::path& directory() const noexcept { return directory_; }
    /// The file that holds `key`; empty for a key that is not a plain file name (empty, ".",
    /// "..", or containing '/' or NUL), which the store refuses.
    [[nodiscard]] std::filesystem::path fileFor(std::string_view key) const;

    [[nodiscard]] std::optional<std::string> data(std::string_view key) const override;
    bool setData(std::string_view key, std::string_view bytes) override;
    [[nodiscard]] bool hasData(std::string_view key) const override;

private:
    std::filesystem::path directory_;
};

} // namespace spanlet
