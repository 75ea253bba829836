#pragma once

#include <functional>
#include <memory>
#include <utility>

#include <spanlet/model/Clock.hpp>
#include <spanlet/model/Messages.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/model/Preferences.hpp>
#include <spanlet/model/PreferencesStore.hpp>
#include <spanlet/platform/Hotkeys.hpp>

namespace spanlet {

/// The user's preferences: observed, saved whole on every change, with the global shortcuts
/// kept in step with hotkeysEnabled and the bindings. A problem the store reports with the file
/// is shown as a message on a later turn, through a lifetime token.
class Settings {
public:
    /// `changed` runs after every change made through set() or update(). The ports must outlive
    /// this.
    Settings(Preferences initial, PreferencesStore& store, Hotkeys& hotkeys, Clock& clock,
             Messages& messages, std::function<void()> changed);
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    [[nodiscard]] const Observable<Preferences>& prefs() const noexcept { return prefs_; }

    /// Replaces the preferences; when they differ, stores them (see store()) and runs `changed`.
    void set(Preferences next);
    /// set() with a copy of the preferences that `change` edits.
    template <class Change>
    void update(Change&& change) {
        Preferences next = *prefs_;
        std::forward<Change>(change)(next);
        set(std::move(next));
    }
    /// Replaces the preferences without running `changed`; when they differ they are saved and
    /// the shortcuts follow. Whether they differed.
    bool store(Preferences next);
    /// Registers the bound shortcuts while hotkeysEnabled, else unregisters them all.
    void registerHotkeys();

private:
    [[nodiscard]] std::weak_ptr<Settings> weakSelf() {
        return std::shared_ptr<Settings>(lifetime_, this);
    }

    PreferencesStore& store_;
    Hotkeys& hotkeys_;
    Clock& clock_;
    Messages& messages_;
    std::function<void()> changed_;
    std::shared_ptr<char> lifetime_ = std::make_shared<char>();
    Observable<Preferences> prefs_;
};

} // namespace spanlet
