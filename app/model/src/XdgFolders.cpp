#include <cstdlib>

#include <spanlet/model/XdgFolders.hpp>

#include "PosixFiles.hpp"

namespace spanlet::XdgFolders {

namespace {

const char* variable(Base base) {
    return base == Base::config ? "XDG_CONFIG_HOME" : "XDG_DATA_HOME";
}

std::filesystem::path underHome(Base base) {
    return base == Base::config ? std::filesystem::path(".config")
                                : std::filesystem::path(".local") / "share";
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
