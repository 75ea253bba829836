#pragma once

#include <cstdint>

#include <spanlet/overlay/GuideEditor.hpp>

namespace spanlet {

/// The guide editor's view of an evdev key code, as wl_keyboard reports it. Letters are taken
/// by their place on a US layout: no keymap is read.
EditorKeyPress editorKeyPress(std::uint32_t evdevCode, bool shift);

} // namespace spanlet
