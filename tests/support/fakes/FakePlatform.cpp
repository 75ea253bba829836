#include "fakes/FakePlatform.hpp"

namespace spanlet::fakes {

FakePlatform::FakePlatform() {
    clock.setLog(&log);
    displays.log = &log;
    announcer.log = &log;
    overlays.log = &log;
    ruler.log = &log;
}

MensorPorts FakePlatform::ports() {
    return MensorPorts{clock,       displays, capture, permission, clipboard, announcer,
                       preferences, windows,  hotkeys, overlays,   ruler,     sampler};
}

std::optional<Preferences> FakePlatform::saved() const {
    const auto bytes = defaults.data(Preferences::key);
    if (!bytes) {
        return std::nullopt;
    }
    return decode<Preferences>(std::string_view(*bytes));
}

int FakePlatform::saves() const {
    const auto found = defaults.writes.find(Preferences::key);
    return found == defaults.writes.end() ? 0 : found->second;
}

} // namespace spanlet::fakes
