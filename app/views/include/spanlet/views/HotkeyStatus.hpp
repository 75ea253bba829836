#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/model/Observable.hpp>

namespace spanlet {

/// Which global shortcuts could not be registered because another application holds them.
class HotkeyStatus {
public:
    virtual ~HotkeyStatus() = default;
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

    [[nodiscard]] std::vector<MensorCommand> unavailable() const override { return *value_; }
    [[nodiscard]] Subscription onChange(std::function<void()> changed) override {
        return value_.subscribe(
            [changed = std::move(changed)](const std::vector<MensorCommand>&) { changed(); });
    }

private:
    Observable<std::vector<MensorCommand>> value_;
};

} // namespace spanlet
