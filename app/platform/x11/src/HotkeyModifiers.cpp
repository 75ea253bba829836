#include <algorithm>

#include <spanlet/x11/HotkeyModifiers.hpp>

namespace spanlet::HotkeyModifiers {

std::uint16_t x11Mask(Shortcut::Modifiers modifiers) {
    std::uint16_t mask = 0;
    if (modifiers.contains(Shortcut::Modifiers::control)) {
        mask |= controlMask;
    }
    if (modifiers.contains(Shortcut::Modifiers::shift)) {
        mask |= shiftMask;
    }
    if (modifiers.contains(Shortcut::Modifiers::option)) {
        mask |= mod1Mask;
    }
    if (modifiers.contains(Shortcut::Modifiers::command)) {
        mask |= mod4Mask;
    }
    return mask;
}

std::uint16_t numLockMask(std::span<const std::uint8_t> modifierMap,
                          std::size_t keycodesPerModifier,
                          std::span<const std::uint8_t> numLockKeycodes) {
    constexpr std::size_t rows = 8;
    if (keycodesPerModifier == 0 || modifierMap.size() < rows * keycodesPerModifier) {
        return 0;
    }
    for (std::size_t row = 0; row < rows; ++row) {
        const auto keys = modifierMap.subspan(row * keycodesPerModifier, keycodesPerModifier);
        const bool holdsNumLock = std::any_of(keys.begin(), keys.end(), [&](std::uint8_t key) {
            return key != 0 && std::find(numLockKeycodes.begin(), numLockKeycodes.end(), key) !=
                                   numLockKeycodes.end();
        });
        if (holdsNumLock) {
            return static_cast<std::uint16_t>(1U << row);
        }
    }
    return 0;
}

std::uint16_t ignorableLocks(std::uint16_t grabbed, std::uint16_t numLockMask) {
    return static_cast<std::uint16_t>((lockMask | numLockMask) & ~grabbed & modifierBits);
}

std::vector<std::uint16_t> lockVariants(std::uint16_t grabbed, std::uint16_t numLockMask) {
    const std::uint16_t ignorable = ignorableLocks(grabbed, numLockMask);
    const std::uint16_t caps = ignorable & lockMask;
    const std::uint16_t num = ignorable & numLockMask;
    std::vector<std::uint16_t> variants;
    for (std::uint16_t locks :
         {std::uint16_t{0}, caps, num, static_cast<std::uint16_t>(caps | num)}) {
        const auto variant = static_cast<std::uint16_t>(grabbed | locks);
        if (std::find(variants.begin(), variants.end(), variant) == variants.end()) {
            variants.push_back(variant);
        }
    }
    return variants;
}

bool triggers(std::uint16_t grabbed, std::uint16_t state, std::uint16_t numLockMask) {
    const std::uint16_t ignorable = ignorableLocks(grabbed, numLockMask);
    return (state & modifierBits & ~ignorable) == grabbed;
}

std::optional<std::uint32_t> keysymOfKey(std::string_view key) {
    if (key.size() != 1) {
        return std::nullopt;
    }
    const char c = key.front();
    if (c >= 'A' && c <= 'Z') {
        return static_cast<std::uint32_t>(c - 'A' + 'a');
    }
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
        return static_cast<std::uint32_t>(c);
    }
    return std::nullopt;
}

std::optional<std::size_t> match(std::span<const Grab> grabs, std::uint8_t keycode,
                                 std::uint16_t state, std::uint16_t numLockMask) {
    for (const Grab& grab : grabs) {
        if (grab.keycode == keycode && triggers(grab.modifiers, state, numLockMask)) {
            return grab.index;
        }
    }
    return std::nullopt;
}

} // namespace spanlet::HotkeyModifiers
