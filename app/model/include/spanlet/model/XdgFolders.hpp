#pragma once

#include <filesystem>

/// The XDG base folders the user's configuration, data and state live in.
namespace spanlet::XdgFolders {

enum class Base {
    config, ///< $XDG_CONFIG_HOME, by default ~/.config
    data,   ///< $XDG_DATA_HOME, by default ~/.local/share
    state,  ///< $XDG_STATE_HOME, by default ~/.local/state
};

/// The folder `base` names, given its variable's `value` (null when unset) and the `home`
/// folder: the value when it is an absolute path (relative values are invalid and ignored),
/// else the default under `home`; empty when `home` is empty too.
std::filesystem::path folder(Base base, const char* value, const std::filesystem::path& home);

/// folder() of this process: the variable from the environment and the home folder from $HOME,
/// else the password database.
std::filesystem::path folder(Base base);

} // namespace spanlet::XdgFolders
