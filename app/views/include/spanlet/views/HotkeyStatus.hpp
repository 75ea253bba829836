#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/platform/PlatformHotkeys.hpp>

namespace spanlet {

/// Where the global shortcuts stand, as the views show it.
struct HotkeyState {
    HotkeyRoute route = HotkeyRoute::grabbed;
    /// The commands whose shortcut is in use by another application, in command order.
    std::vector<MensorCommand> unavailable;
    /// What the desktop bound (route desktop).
    std::vector<DesktopTrigger> triggers;
    /// Whether the desktop offers a dialog to change `triggers`.
    bool triggersChangeable = false;

    /// The desktop's words for the keys of `command`; empty when it bound none.
    [[nodiscard]] std::string trigger(MensorCommand command) const {
        for (const DesktopTrigger& t : triggers) {
            if (t.command == command) {
                return t.description;
            }
        }
        return {};
    }

    friend bool operator==(const HotkeyState&, const HotkeyState&) = default;
};

/// The global shortcuts' state for the views, and the desktop's dialog to change them.
class HotkeyStatus {
public:
    virtual ~HotkeyStatus() = default;
    [[nodiscard]] virtual HotkeyState state() const = 0;
    /// Opens the desktop's dialog for the bound keys, where state().triggersChangeable.
    virtual void changeTriggers() = 0;
    /// Calls `changed` after every change of state(), until the subscription goes.
    [[nodiscard]] virtual Subscription onChange(std::function<void()> changed) = 0;
    /// Route configuration: the desktop's keyboard settings, where Spanlet can add its
    /// shortcuts there; nothing elsewhere.
    [[nodiscard]] virtual DesktopShortcuts* desktopShortcuts() { return nullptr; }

    /// The user's shortcuts are not what is bound: the desktop or the compositor binds keys.
    [[nodiscard]] bool boundByDesktop() const { return state().route != HotkeyRoute::grabbed; }
    [[nodiscard]] std::vector<MensorCommand> unavailable() const { return state().unavailable; }
};

/// A HotkeyStatus whose state is set from outside, or follows a hot-key service.
class HotkeyStatusValue final : public HotkeyStatus {
public:
    /// The commands another application holds.
    void set(std::vector<MensorCommand> commands) {
        HotkeyState next = *value_;
        next.unavailable = std::move(commands);
        value_.set(std::move(next));
    }
    void setState(HotkeyState state) { value_.set(std::move(state)); }
    /// Shows what `hotkeys` reports from now on, opens its dialog on changeTriggers() and hands
    /// out its desktopShortcuts().
    /// `hotkeys` must outlive this.
    void follow(PlatformHotkeys& hotkeys) {
        followed_ = &hotkeys;
        const auto read = [this] {
            setState(HotkeyState{followed_->route(), followed_->unavailable(),
                                 followed_->triggers(), followed_->triggersChangeable()});
        };
        hotkeys.setOnStatusChanged(read);
        read();
    }

    [[nodiscard]] HotkeyState state() const override { return *value_; }
    void changeTriggers() override {
        if (followed_ != nullptr) {
            followed_->changeTriggers();
        }
    }
    [[nodiscard]] Subscription onChange(std::function<void()> changed) override {
        return value_.subscribe([changed = std::move(changed)](const HotkeyState&) { changed(); });
    }
    [[nodiscard]] DesktopShortcuts* desktopShortcuts() override {
        return followed_ != nullptr ? followed_->desktopShortcuts() : nullptr;
    }

private:
    Observable<HotkeyState> value_;
    PlatformHotkeys* followed_ = nullptr;
};

} // namespace spanlet
