#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/model/Observable.hpp>

namespace spanlet {

/// Which global shortcuts could not be registered because another application holds them, and
/// whether the desktop binds the keys instead of Spanlet.
class HotkeyStatus {
public:
    virtual ~HotkeyStatus() = default;
    /// True where clients get no global key grabs (Wayland): the keys are bound to
    /// `spanlet --command NAME` in the desktop's keyboard settings.
    [[nodiscard]] virtual bool boundByDesktop() const = 0;
    /// The commands whose shortcut is in use by another application, in command order.
    [[nodiscard]] virtual std::vector<MensorCommand> unavailable() const = 0;
    /// Calls `changed` after every change of unavailable(), until the subscription goes.
    [[nodiscard]] virtual Subscription onChange(std::function<void()> changed) = 0;
};

/// A HotkeyStatus whose list is set from outside: the shell forwards the hot-key service's
/// list into it after each registration.
class HotkeyStatusValue final : public HotkeyStatus {
public:
    void set(std::vector<MensorCommand> commands) { value_.set(std::move(commands)); }
    void setBoundByDesktop(bool bound) { boundByDesktop_ = bound; }

    [[nodiscard]] bool boundByDesktop() const override { return boundByDesktop_; }
    [[nodiscard]] std::vector<MensorCommand> unavailable() const override { return *value_; }
    [[nodiscard]] Subscription onChange(std::function<void()> changed) override {
        return value_.subscribe(
            [changed = std::move(changed)](const std::vector<MensorCommand>&) { changed(); });
    }

private:
    Observable<std::vector<MensorCommand>> value_;
    bool boundByDesktop_ = false;
};

} // namespace spanlet
