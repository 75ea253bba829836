#pragma once

#include <cstdint>
#include <string>

#include <spanlet/overlay/GuideEditor.hpp>

namespace spanlet {

/// The guide editor's view of a key as the keymap reads it: its XKB keysym, the text it types
/// and whether Shift is held.
EditorKeyPress editorKeyPress(std::uint32_t keysym, std::string text, bool shift);

} // namespace spanlet
