#include <spanlet/ColorText.hpp>
#include <spanlet/model/ColorPicking.hpp>

namespace spanlet {

namespace {

/// The recent-colours list never grows beyond this.
constexpr std::size_t kRecentColors = 12;

} // namespace

ColorPicking::ColorPicking(Ports ports, Settings& settings, PointerTracking& tracking,
                           const Observable<bool>& snapping, Messages& messages)
    : ports_(ports), settings_(settings), tracking_(tracking), snapping_(snapping),
      messages_(messages) {}

void ColorPicking::pick() {
    if (*snapping_ && tracking_.loupe().has_value()) {
        use(tracking_.loupe()->color, false);
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
                                self->use(*picked, true);
                            }
                        });
}

void ColorPicking::use(SRGBColor color, bool openColors) {
    settings_.update([&color](Preferences& p) {
        std::vector<SRGBColor> recent{color};
        for (const SRGBColor& old : p.recentColors) {
            if (old.rgba() != color.rgba() && recent.size() < kRecentColors) {
                recent.push_back(old);
            }
        }
        p.recentColors = std::move(recent);
    });
    copy(color, settings_.prefs()->colorStyle);
    if (openColors) {
        ports_.windows.open(Windows::Kind::colors);
    }
}

void ColorPicking::copy(SRGBColor color, ColorStyle style) {
    const std::string text = ColorText::string(color, style);
    ports_.clipboard.setText(text);
    std::string shown = text;
    if (style == ColorStyle::swiftUI || style == ColorStyle::nsColor) {
        shown = ColorText::string(color, ColorStyle::hex) + " as " + std::string(name(style));
    }
    messages_.show("Copied " + shown, "Copied color " + ColorText::spoken(color));
}

void ColorPicking::clearRecent() {
    settings_.update([](Preferences& p) { p.recentColors.clear(); });
}

} // namespace spanlet
