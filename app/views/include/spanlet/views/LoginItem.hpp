#pragma once

namespace spanlet {

/// Whether the application starts when the user logs in.
class LoginItem {
public:
    virtual ~LoginItem() = default;
    /// The state as it really is now (not as last asked for).
    [[nodiscard]] virtual bool isEnabled() const = 0;
    /// Turns starting at login on or off; false when the change did not take.
    virtual bool setEnabled(bool enabled) = 0;
};

} // namespace spanlet
