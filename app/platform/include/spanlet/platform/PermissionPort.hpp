#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace spanlet {

/// Whether this session lets Spanlet read the screen, and what the user can do when it does not.
struct CaptureAccess {
    enum class State : std::uint8_t {
        /// Capture works now.
        allowed,
        /// A user action allows it (PermissionPort::grant); preflight() then says yes, without
        /// a restart.
        grantable,
        /// Nothing Spanlet or the user can do allows it in this session.
        unavailable,
    };
    State state = State::allowed;
    /// For `grantable`: the label of the button that calls grant(); otherwise empty.
    std::string action;
    /// For `grantable`: what the action does; for `unavailable`: why capture cannot work here.
    /// Whole sentences in the user's words.
    std::string explanation;

    friend bool operator==(const CaptureAccess&, const CaptureAccess&) = default;
};

/// Screen-capture permission of the session's back end.
class PermissionPort {
public:
    virtual ~PermissionPort() = default;
    /// Where capture stands now; never prompts.
    [[nodiscard]] virtual CaptureAccess access() const = 0;
    /// Whether capture is allowed now; never prompts.
    [[nodiscard]] bool preflight() const { return access().state == CaptureAccess::State::allowed; }
    /// Asks for access where the desktop can prompt; answers whether it is granted.
    virtual bool request() = 0;
    /// Carries out the action access() offers; does nothing where it offers none.
    virtual void grant() {}
    /// Asks again whether capture is allowed, as after grant(): `done` gets the answer. Where
    /// the desktop takes a moment to take in what grant() did, a refusal soon after it is asked
    /// again from the event loop until the desktop has, so `done` may run later; until then
    /// nothing waits.
    virtual void checkAgain(const std::function<void(bool allowed)>& done) { done(preflight()); }
    /// Where the action access() offers changes the user's files: the question to ask before
    /// grant(), saying what it writes and where. Empty where it needs no asking.
    [[nodiscard]] virtual std::string grantQuestion() const { return {}; }
};

} // namespace spanlet
