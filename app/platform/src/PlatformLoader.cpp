#include <cstdlib>

#include <spanlet/platform/PlatformLoader.hpp>

namespace spanlet::PlatformLoader {

namespace {

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

} // namespace

Session Session::fromEnvironment() {
    return {variable("WAYLAND_DISPLAY"), variable("DISPLAY"), variable("SPANLET_BACKEND")};
}

std::vector<Backend> candidates(const Session& session) {
    const bool x11Forced = session.forced == "x11";
    if (session.waylandDisplay && !x11Forced) {
        return {Backend::wayland, Backend::plasma, Backend::stillFrame};
    }
    if (session.display) {
        return {Backend::x11};
    }
    return {};
}

std::unique_ptr<Platform> load(const Session& session, std::span<const Entry> built) {
    for (const Backend wanted : candidates(session)) {
        for (const Entry& entry : built) {
            if (entry.backend != wanted || !entry.make) {
                continue;
            }
            if (std::unique_ptr<Platform> platform = entry.make()) {
                return platform;
            }
        }
    }
    return nullptr;
}

} // namespace spanlet::PlatformLoader
