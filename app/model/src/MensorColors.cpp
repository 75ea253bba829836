#include <algorithm>

#include <spanlet/ColorText.hpp>
#include <spanlet/model/Mensor.hpp>

namespace spanlet {

namespace {

/// The recent-colours list never grows beyond this.
constexpr std::size_t kRecentColors = 12;

} // namespace

void Mensor::pickColor() {
    if (*snapping_ && tracking_.loupe().has_value()) {
        useColor(tracking_.loupe()->color, false);
        return;
    }
    if (ports_.permission.access().state == CaptureAccess::State::unavailable) {
        // The sampler's loupe reads the screen too; here it would show and pick a blank one.
        ports_.windows.open(Windows::Kind::explainer);
        return;
    }
    // Each opening gets its own number, so the answer of a sampler that was replaced by a
    // newer one cannot close the newer one's state.
    const std::uint64_t generation = ++samplerGeneration_;
    samplerOpen_ = true;
    ColorSampler::LoupeSource loupes =
        [weak = weakSelf()](Point pointer, std::function<void(std::optional<Loupe>)> done) {
            if (auto self = weak.lock()) {
                self->tracking_.captureLoupe(pointer, std::move(done));
            }
        };
    ports_.sampler.show(std::move(loupes),
                        [weak = weakSelf(), generation](std::optional<SRGBColor> picked) {
                            auto self = weak.lock();
                            if (!self || self->samplerGeneration_ != generation) {
                                return;
                            }
                            self->samplerOpen_ = false;
                            if (picked) {
                                self->useColor(*picked, true);
                            }
                        });
}

void Mensor::useColor(SRGBColor color, bool openColors) {
    updatePrefs([&color](Preferences& p) {
        std::vector<SRGBColor> recent{color};
        for (const SRGBColor& old : p.recentColors) {
            if (old.rgba() != color.rgba() && recent.size() < kRecentColors) {
                recent.push_back(old);
            }
        }
        p.recentColors = std::move(recent);
    });
    copyColor(color, prefs_->colorStyle);
    if (openColors) {
        ports_.windows.open(Windows::Kind::colors);
    }
}

void Mensor::copyColor(SRGBColor color, ColorStyle style) {
    const std::string text = ColorText::string(color, style);
    ports_.clipboard.setText(text);
    std::string shown = text;
    if (style == ColorStyle::swiftUI || style == ColorStyle::nsColor) {
        shown = ColorText::string(color, ColorStyle::hex) + " as " + std::string(name(style));
    }
    show("Copied " + shown, "Copied color " + ColorText::spoken(color));
}

void Mensor::clearRecentColors() {
    updatePrefs([](Preferences& p) { p.recentColors.clear(); });
}

} // namespace spanlet
