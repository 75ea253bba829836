#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include <spanlet/Commands.hpp>

/// The modifier arithmetic of global hot keys on X11, kept free of X headers so it can be
/// tested without a server. Masks are the core protocol's key-and-button state bits.
namespace spanlet::HotkeyModifiers {

inline constexpr std::uint16_t shiftMask = 1U << 0U;
inline constexpr std::uint16_t lockMask = 1U << 1U;
inline constexpr std::uint16_t controlMask = 1U << 2U;
inline constexpr std::uint16_t mod1Mask = 1U << 3U;
inline constexpr std::uint16_t mod2Mask = 1U << 4U;
inline constexpr std::uint16_t mod3Mask = 1U << 5U;
inline constexpr std::uint16_t mod4Mask = 1U << 6U;
inline constexpr std::uint16_t mod5Mask = 1U << 7U;
/// The eight modifier bits of a key event's state; the bits above are the pointer buttons and
/// the keyboard group, which never take part in matching.
inline constexpr std::uint16_t modifierBits = 0xFFU;

/// The X11 mask a shortcut's modifiers are grabbed with: control → Control, shift → Shift,
/// option → Mod1 (Alt), command → Mod4 (Super).
std::uint16_t x11Mask(Shortcut::Modifiers modifiers);

/// The modifier bit (Mod1…Mod5 or one of the others) of the row of the server's modifier map
/// that holds a NumLock key, or 0 when NumLock is not bound. `modifierMap` is the reply of
/// GetModifierMapping: 8 rows of `keycodesPerModifier` keycodes each, 0 marking an unused slot.
/// `numLockKeycodes` are the keycodes that carry the Num_Lock keysym.
std::uint16_t numLockMask(std::span<const std::uint8_t> modifierMap,
                          std::size_t keycodesPerModifier,
                          std::span<const std::uint8_t> numLockKeycodes);

/// The lock bits a key event may carry on top of `grabbed` without changing its meaning:
/// CapsLock and NumLock, except a bit that is itself part of the combination.
std::uint16_t ignorableLocks(std::uint16_t grabbed, std::uint16_t numLockMask);

/// The masks to grab so that `grabbed` works whatever the lock keys are: `grabbed` alone, with
/// CapsLock, with NumLock and with both; duplicates (NumLock unbound, or a lock bit already in
/// `grabbed`) are left out. The plain combination comes first.
std::vector<std::uint16_t> lockVariants(std::uint16_t grabbed, std::uint16_t numLockMask);

/// Whether a key event whose modifier state is `state` is the combination `grabbed`: with the
/// lock bits and the button and group bits taken away, the held modifiers are exactly
/// `grabbed`, so Control-Shift-Alt-R does not pass for Control-Shift-R, nor Control-R.
bool triggers(std::uint16_t grabbed, std::uint16_t state, std::uint16_t numLockMask);

/// The keysym of a shortcut's `key` label: a single ASCII letter gives the lower-case letter's
/// keysym (the keymap holds the unshifted symbol first), a digit its own. Anything else has none.
std::optional<std::uint32_t> keysymOfKey(std::string_view key);

/// One combination held by the hot-key service: the key, the modifiers without lock bits, and
/// the index of its command in the registered list.
struct Grab {
    std::uint8_t keycode = 0;
    std::uint16_t modifiers = 0;
    std::size_t index = 0;

    friend bool operator==(const Grab&, const Grab&) = default;
};

/// The index of the first grab that a key press of `keycode` with `state` triggers, or nothing.
std::optional<std::size_t> match(std::span<const Grab> grabs, std::uint8_t keycode,
                                 std::uint16_t state, std::uint16_t numLockMask);

} // namespace spanlet::HotkeyModifiers
