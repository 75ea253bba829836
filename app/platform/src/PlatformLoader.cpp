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
    return {variable("WAYLAND_DISPLAY"), variable("DISPLAY")};
}

std::vector<Backend> candidates(const Session& session) {
    std::vector<Backend> out;
    if (session.waylandDisplay) {
        out.push_back(Backend::wayland);
        out.push_back(Backend::plasma);
    }
    if (session.display) {
        out.push_back(Backend::x11);
    }
    return out;
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
