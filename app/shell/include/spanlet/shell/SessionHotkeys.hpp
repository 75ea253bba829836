#pragma once

#include <chrono>
#include <memory>

#include <spanlet/platform/PlatformHotkeys.hpp>

namespace spanlet {

namespace portal {
class PortalHotkeys;
}

/// The global shortcuts of this session, chosen by what it offers: the back end's own where it
/// binds keys; where it binds none, the desktop's XDG GlobalShortcuts portal on the session bus
/// when there is one; else the back end's, whose shortcuts the user binds in the compositor's
/// configuration.
class SessionHotkeys {
public:
    /// How long start-up waits for the session bus to say whether the portal is there.
    static constexpr std::chrono::milliseconds portalWait{2000};

    explicit SessionHotkeys(PlatformHotkeys& backend);
    ~SessionHotkeys();
    SessionHotkeys(const SessionHotkeys&) = delete;
    SessionHotkeys& operator=(const SessionHotkeys&) = delete;

    [[nodiscard]] PlatformHotkeys& get() noexcept { return chosen_; }

private:
    std::unique_ptr<portal::PortalHotkeys> portal_;
    PlatformHotkeys& chosen_;
};

} // namespace spanlet
