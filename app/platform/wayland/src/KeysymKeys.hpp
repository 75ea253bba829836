#pragma once

#include <cstdint>
#include <string>

#include <spanlet/platform/OverlayHost.hpp>

namespace spanlet::wayland {

/// A key as the keymap reads it (its XKB keysym, the text it types and whether Shift is held),
/// as the overlay's input reports it.
OverlayKeyPress overlayKeyPress(std::uint32_t keysym, std::string text, bool shift);

} // namespace spanlet::wayland
