#pragma once

#include <functional>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/platform/Hotkeys.hpp>

namespace spanlet {

/// The global shortcuts as a back end provides them: the model's Hotkeys port, plus which
/// combinations could not be had because another application holds them.
class PlatformHotkeys : public Hotkeys {
public:
    /// The commands whose combination could not be registered, in registration order.
    [[nodiscard]] virtual std::vector<MensorCommand> unavailable() const = 0;
    /// `handler` runs whenever unavailable() changes.
    virtual void setOnUnavailableChanged(std::function<void()> handler) = 0;
    /// True where the back end grabs no keys and the desktop's keyboard settings bind them to
    /// `spanlet --command NAME` instead.
    [[nodiscard]] virtual bool boundByDesktop() const { return false; }
};

} // namespace spanlet
