#pragma once

#include <spanlet/model/Announcer.hpp>
#include <spanlet/model/Clock.hpp>
#include <spanlet/model/ColorSampler.hpp>
#include <spanlet/model/Controllers.hpp>
#include <spanlet/model/PreferencesStore.hpp>
#include <spanlet/model/ToolWindows.hpp>
#include <spanlet/platform/CapturePort.hpp>
#include <spanlet/platform/Clipboard.hpp>
#include <spanlet/platform/DisplayPort.hpp>
#include <spanlet/platform/Hotkeys.hpp>
#include <spanlet/platform/PermissionPort.hpp>

namespace spanlet {

/// Everything the model reaches of the platform. Each port must outlive the model.
struct MensorPorts {
    Clock& clock;
    DisplayPort& displays;
    CapturePort& capture;
    PermissionPort& permission;
    Clipboard& clipboard;
    Announcer& announcer;
    /// The store the preferences were loaded from; every change is saved through it.
    PreferencesStore& preferences;
    ToolWindows& windows;
    Hotkeys& hotkeys;
    OverlayController& overlays;
    ColorSampler& sampler;
};

} // namespace spanlet
