#include <spanlet/model/Settings.hpp>

namespace spanlet {

Settings::Settings(Preferences initial, PreferencesStore& store, Hotkeys& hotkeys, Clock& clock,
                   Messages& messages, std::function<void()> changed)
    : store_(store), hotkeys_(hotkeys), clock_(clock), messages_(messages),
      changed_(std::move(changed)), prefs_(std::move(initial)) {}

void Settings::set(Preferences next) {
    if (store(std::move(next))) {
        changed_();
    }
}

bool Settings::store(Preferences next) {
    const bool hotkeysWere = prefs_->hotkeysEnabled;
    const ShortcutBindings bindingsWere = prefs_->shortcuts;
    if (!prefs_.set(std::move(next))) {
        return false;
    }
    store_.save(*prefs_);
    if (prefs_->hotkeysEnabled != hotkeysWere ||
        (prefs_->hotkeysEnabled && prefs_->shortcuts != bindingsWere)) {
        registerHotkeys();
    }
    if (const auto notice = store_.takeNotice()) {
        // On a later turn: the change's own message, shown right after this, would hide it.
        clock_.schedule(Clock::Duration::zero(), [weak = weakSelf(), text = notice->text()] {
            if (auto self = weak.lock()) {
                self->messages_.show(text);
            }
        });
    }
    return true;
}

void Settings::registerHotkeys() {
    if (prefs_->hotkeysEnabled) {
        hotkeys_.registerCommands(prefs_->shortcuts.registrable());
    } else {
        hotkeys_.unregisterAll();
    }
}

} // namespace spanlet
