#include <spanlet/model/Mensor.hpp>
#include <spanlet/screen/Desktop.hpp>

namespace spanlet {

Mensor::Mensor(MensorPorts ports, Preferences prefs)
    : ports_(ports), prefs_(std::move(prefs)), screens_(ports.displays.currentScreens()),
      tracking_({ports.clock, ports.displays, ports.capture, ports.permission},
                {screens_, prefs_, snapping_}) {}

Mensor::~Mensor() {
    // Handlers given to the platform hold only the lifetime token, which dies with the model;
    // the timer is cancelled so it does not even wake up.
    toastTimer_.cancel();
}

void Mensor::start() {
    ports_.windows.attach(*this);
    ports_.displays.setScreensChangedHandler([weak = weakSelf()] {
        if (auto self = weak.lock()) {
            self->screensChanged();
        }
    });
    ports_.hotkeys.setOnCommand([weak = weakSelf()](MensorCommand command) {
        if (auto self = weak.lock()) {
            self->perform(command);
        }
    });
    registerHotkeys();
    ports_.overlays.rebuild();
    syncViews();
    if (!prefs_->welcomed) {
        updatePrefs([](Preferences& p) { p.welcomed = true; });
        ports_.windows.open(Windows::Kind::welcome);
    }
}

void Mensor::screensChanged() {
    screens_.set(ports_.displays.currentScreens());
    tracking_.displaysChanged();
    ports_.overlays.rebuild();
    syncViews();
}

void Mensor::syncViews() {
    tracking_.update();
    if (*rulerVisible_) {
        keepRulerReachable();
    }
    shownRulerFrame_.set(*rulerVisible_ ? std::optional<Rect>(rulerFrame()) : std::nullopt);
    overlayMode_.set({needsOverlay(), *snapping_, *editingGuides_});
    tracking_.runTask(*rulerVisible_ || *snapping_ || *editingGuides_);
}

bool Mensor::needsOverlay() const {
    return (prefs_->showGuides && !prefs_->guides.isEmpty()) || *snapping_ || !pinned_->empty() ||
           *editingGuides_ || toast_->has_value();
}

void Mensor::registerHotkeys() {
    if (prefs_->hotkeysEnabled) {
        ports_.hotkeys.registerCommands(prefs_->shortcuts.registrable());
    } else {
        ports_.hotkeys.unregisterAll();
    }
}

void Mensor::setPrefs(Preferences next) {
    if (storePrefs(std::move(next))) {
        syncViews();
    }
}

bool Mensor::storePrefs(Preferences next) {
    const bool hotkeysWere = prefs_->hotkeysEnabled;
    const ShortcutBindings bindingsWere = prefs_->shortcuts;
    if (!prefs_.set(std::move(next))) {
        return false;
    }
    ports_.preferences.save(*prefs_);
    if (prefs_->hotkeysEnabled != hotkeysWere ||
        (prefs_->hotkeysEnabled && prefs_->shortcuts != bindingsWere)) {
        registerHotkeys();
    }
    if (const auto notice = ports_.preferences.takeNotice()) {
        // On a later turn: the change's own message, shown right after this, would hide it.
        ports_.clock.schedule(Clock::Duration::zero(), [weak = weakSelf(), text = notice->text()] {
            if (auto self = weak.lock()) {
                self->show(text);
            }
        });
    }
    return true;
}

DisplayScale Mensor::scaleAt(Point point) const {
    const auto display = Desktop::screen(point, *screens_);
    return display ? display->scale : DisplayScale::standard;
}

} // namespace spanlet
