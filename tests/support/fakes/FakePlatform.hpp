#pragma once

#include <spanlet/model/MensorPorts.hpp>
#include <spanlet/model/PreferencesStore.hpp>

#include "fakes/CallLog.hpp"
#include "fakes/FakeCapture.hpp"
#include "fakes/FakeDefaultsStore.hpp"
#include "fakes/FakeDisplays.hpp"
#include "fakes/FakePorts.hpp"
#include "fakes/VirtualClock.hpp"

namespace spanlet::fakes {

/// A fake of every port the model uses, sharing one virtual clock and one call log (pointer
/// reads, overlay rebuilds, announcements and timer requests are logged).
struct FakePlatform {
    CallLog log;
    VirtualClock clock;
    FakeDisplays displays;
    FakeCapture capture{clock};
    FakePermission permission;
    FakeClipboard clipboard;
    FakeAnnouncer announcer;
    FakeDefaultsStore defaults;
    PreferencesStore preferences{defaults};
    FakeToolWindows windows;
    FakeHotkeys hotkeys;
    FakeOverlayController overlays;
    FakeColorSampler sampler;

    FakePlatform() {
        clock.log = &log;
        displays.log = &log;
        announcer.log = &log;
        overlays.log = &log;
    }
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    [[nodiscard]] MensorPorts ports() {
        return MensorPorts{clock,       displays, capture, permission, clipboard, announcer,
                           preferences, windows,  hotkeys, overlays,   sampler};
    }
    /// The preferences as last saved, decoded; nothing when none were saved.
    [[nodiscard]] std::optional<Preferences> saved() const {
        const auto bytes = defaults.data(Preferences::key);
        return bytes ? decode<Preferences>(std::string_view(*bytes)) : std::nullopt;
    }
    /// How many times the preferences were saved.
    [[nodiscard]] int saves() const {
        const auto found = defaults.writes.find(Preferences::key);
        return found == defaults.writes.end() ? 0 : found->second;
    }
};

} // namespace spanlet::fakes
