#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <sys/types.h>

namespace spanlet {

/// Where this user's Spanlet on one display keeps its lock file and its socket: in a folder
/// that only this user can enter, so no other user can plant a listener or a file there.
struct SingleInstancePlace {
    std::filesystem::path lockFile;
    std::filesystem::path socketFile;

    /// In `runtimeDir` ($XDG_RUNTIME_DIR) when it is a private folder of this user's; else in
    /// "spanlet-<uid>" under `tempDir` ($TMPDIR, or /tmp when null or empty), made with mode
    /// 0700 when missing. When that name is taken by anything but a private folder of this
    /// user's, the next of "spanlet-<uid>.1" … ".9" is tried. Nothing when all fail.
    [[nodiscard]] static std::optional<SingleInstancePlace>
    find(const char* runtimeDir, const char* tempDir, std::string_view display);
};

/// Whether `folder` is a folder (not a link to one) owned by `uid` that nobody else may
/// enter or write (no group or other permission bits).
[[nodiscard]] bool isPrivateFolder(const std::filesystem::path& folder, uid_t uid);

} // namespace spanlet
