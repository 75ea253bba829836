#include <spanlet/model/Mensor.hpp>

namespace spanlet {

Mensor::Mensor(MensorPorts ports, Preferences prefs)
    : ports_(ports), screens_(ports.displays.currentScreens()),
      messages_(ports.clock, ports.announcer, [this] { syncViews(); }),
      settings_(std::move(prefs), ports.preferences, ports.hotkeys, ports.clock, messages_,
                [this] { syncViews(); }),
      tracking_({ports.clock, ports.displays, ports.capture, ports.permission},
                {screens_, settings_.prefs(), snapping_}),
      ruler_(settings_, screens_, tracking_, messages_, [this] { syncViews(); }),
      guides_(settings_, screens_, tracking_, snapping_, messages_, [this] { syncViews(); }),
      measurements_(settings_.prefs(), tracking_, snapping_, ports.clipboard, messages_,
                    [this] { syncViews(); }),
      colors_({ports.permission, ports.windows, ports.sampler, ports.clipboard}, settings_,
              tracking_, snapping_, messages_) {}

Mensor::~Mensor() = default;

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
    settings_.registerHotkeys();
    ports_.overlays.rebuild();
    syncViews();
    if (!prefs()->welcomed) {
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
    ruler_.sync();
    overlayMode_.set({needsOverlay(), *snapping_, *guides_.editing()});
    tracking_.runTask(*ruler_.visible() || *snapping_ || *guides_.editing());
}

bool Mensor::needsOverlay() const {
    const Preferences& p = *prefs();
    return (p.showGuides && !p.guides.isEmpty()) || *snapping_ ||
           !measurements_.pinned()->empty() || *guides_.editing() || messages_.toast()->has_value();
}

} // namespace spanlet
