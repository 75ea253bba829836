#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include <spanlet/platform/PlatformHotkeys.hpp>
#include <spanlet/x11/HotkeyModifiers.hpp>
#include <spanlet/x11/KeyRepeatFilter.hpp>

class QObject;
struct xcb_connection_t;

namespace spanlet {

/// The global shortcuts as passive key grabs on the root window, made on Qt's own XCB
/// connection. Main thread only; needs a QGuiApplication on the xcb platform (without one
/// nothing is grabbed and every command is unavailable).
///
/// Each combination is grabbed once for every lock state (none, CapsLock, NumLock, both) so it
/// works whatever the lock keys are. A combination another client already holds in any of those
/// states is released again and its command is reported unavailable; the others keep their
/// commands. Keycodes come from each shortcut's `key` letter through the current keymap, and
/// everything is grabbed again when the keymap or the modifier map changes.
class X11Hotkeys final : public PlatformHotkeys {
public:
    X11Hotkeys();
    /// Releases every grab.
    ~X11Hotkeys() override;
    X11Hotkeys(const X11Hotkeys&) = delete;
    X11Hotkeys& operator=(const X11Hotkeys&) = delete;

    /// `handler` gets the command of each pressed combination, from the event loop (never
    /// inside registerCommands() or unregisterAll()). A key held down counts once.
    void setOnCommand(std::function<void(MensorCommand)> handler) override;
    /// Releases what was grabbed before, then grabs each binding's shortcut in order.
    void registerCommands(std::span<const Binding> bindings) override;
    /// Releases every grab and forgets the registered and unavailable commands.
    void unregisterAll() override;

    /// The commands whose combination could not be grabbed in the last registration (or the
    /// last re-grab after a keymap change), in registration order. The shortcut list marks
    /// them "In use by another app".
    [[nodiscard]] std::vector<MensorCommand> unavailable() const override { return unavailable_; }
    /// The list last given to registerCommands(), unavailable ones included.
    [[nodiscard]] const std::vector<MensorCommand>& commands() const noexcept { return commands_; }
    /// `handler` runs whenever unavailable() changes.
    void setOnStatusChanged(std::function<void()> handler) override;

private:
    class EventFilter;
    /// One grabbed combination with the masks it was grabbed under, so it can be released
    /// even after the NumLock modifier moved.
    struct Held {
        HotkeyModifiers::Grab grab;
        std::vector<std::uint16_t> variants;

        friend bool operator==(const Held&, const Held&) = default;
    };
    /// What the current keymap asks to grab: one entry per registered command, in order, with
    /// keycode 0 and no variants where the key is not on the keyboard.
    struct Plan {
        std::vector<Held> grabs;
        std::uint16_t numLockMask = 0;
    };

    /// Whether the native event `event` (an xcb_generic_event_t) was one of ours.
    bool handleEvent(const void* event);
    [[nodiscard]] Plan plan() const;
    void grabAll();
    /// Whether the grabs held are exactly what the current keymap asks for.
    [[nodiscard]] bool grabsStillMatch() const;
    void releaseAll();
    void keymapChanged();
    void setUnavailable(std::vector<MensorCommand> unavailable);

    std::unique_ptr<QObject> context_;
    std::unique_ptr<EventFilter> filter_;
    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint8_t xkbFirstEvent_ = 0;

    std::function<void(MensorCommand)> onCommand_;
    std::function<void()> onUnavailableChanged_;
    std::vector<MensorCommand> commands_;
    /// The combination of each of commands_.
    std::vector<Shortcut> shortcuts_;
    std::vector<MensorCommand> unavailable_;
    std::vector<Held> held_;
    std::uint16_t numLockMask_ = 0;
    /// Presses of grabbed combinations, so the server's auto-repeat of a held key does not run
    /// its command again.
    KeyRepeatFilter repeats_;
    /// Grows with every unregisterAll(), so a press queued before it is dropped.
    std::uint64_t generation_ = 0;
    bool regrabPending_ = false;
};

} // namespace spanlet
