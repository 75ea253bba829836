#include <cstdlib>

#include <spanlet/model/XdgFolders.hpp>

#include "PosixFiles.hpp"

namespace spanlet::XdgFolders {

namespace {

const char* variable(Base base) {
    switch (base) {
    case Base::config:
        return "XDG_CONFIG_HOME";
    case Base::data:
        return "XDG_DATA_HOME";
    case Base::state:
        break;
    }
    return "XDG_STATE_HOME";
}

std::filesystem::path underHome(Base base) {
    switch (base) {
    case Base::config:
        return ".config";
    case Base::data:
        return std::filesystem::path(".local") / "share";
    case Base::state:
        break;
    }
    return std::filesystem::path(".local") / "state";
}

} // namespace

std::filesystem::path folder(Base base, const char* value, const std::filesystem::path& home) {
    if (value != nullptr && std::filesystem::path(value).is_absolute()) {
        return value;
    }
    if (home.empty()) {
        return {};
    }
    return home / underHome(base);
}

std::filesystem::path folder(Base base) {
    return folder(base, std::getenv(variable(base)), posix::homeDirectory());
}

} // namespace spanlet::XdgFolders
