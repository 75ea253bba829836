#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace spanlet {

/// Tells a fresh key press from the window server's auto-repeat of a key that is still held,
/// so a held shortcut runs its command once. The server repeats a key either as further presses
/// with no release between (detectable auto-repeat) or as a release and a press that carry the
/// same timestamp. Keycodes are the server's; times are its milliseconds.
class KeyRepeatFilter {
public:
    /// A press of `keycode` at `time`; whether it is a fresh press rather than a repeat.
    bool press(std::uint8_t keycode, std::uint32_t time);
    /// A release of `keycode` at `time`; whether the key was down.
    bool release(std::uint8_t keycode, std::uint32_t time);
    /// Forgets every key (after the grabs were released, their releases may never come).
    void reset();

private:
    struct Release {
        std::uint8_t keycode = 0;
        std::uint32_t time = 0;
    };
    std::vector<std::uint8_t> down_;
    std::optional<Release> lastRelease_;
};

} // namespace spanlet
