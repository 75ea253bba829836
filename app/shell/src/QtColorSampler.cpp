#include <cmath>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/screen/Desktop.hpp>
#include <spanlet/shell/QtColorSampler.hpp>

#include "SamplerLoupe.hpp"

namespace spanlet {

namespace {

/// Where the pointer is, in a display's own terms.
struct PointerPixel {
    ScreenInfo display;
    /// The device pixel under the pointer, display-local.
    std::int64_t x = 0;
    std::int64_t y = 0;
    double scale = 1;

    /// `size` × `size` device pixels centred on the pointer's pixel, in display-local points.
    [[nodiscard]] Rect square(std::int64_t size) const {
        const auto half = size / 2;
        return Rect{double(x - half) / scale, double(y - half) / scale, double(size) / scale,
                    double(size) / scale};
    }
};

std::optional<PointerPixel> pointerPixel(const DisplayPort& displays) {
    const Point p = displays.pointerLocation();
    const auto screens = displays.currentScreens();
    const auto display = Desktop::screen(p, screens);
    if (!display) {
        return std::nullopt;
    }
    const double s = display->scale.factor();
    const double maxX = std::max(0.0, DevicePixels::nearest(display->frame.width, s) - 1);
    const double maxY = std::max(0.0, DevicePixels::nearest(display->frame.height, s) - 1);
    const double x = std::clamp(DevicePixels::index(p.x - display->frame.x, s), 0.0, maxX);
    const double y = std::clamp(DevicePixels::index(p.y - display->frame.y, s), 0.0, maxY);
    return PointerPixel{*display, static_cast<std::int64_t>(x), static_cast<std::int64_t>(y), s};
}

QPoint qPoint(Point p) {
    return QPoint(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
}

/// Captures `size` × `size` device pixels around the pointer and hands them to `done` unless
/// the sampler moved on (its generation changed) meanwhile.
void capturePatch(CapturePort& capture, const PointerPixel& at, std::int64_t size,
                  std::shared_ptr<std::uint64_t> generation,
                  std::function<void(std::optional<PixelBuffer>)> done) {
    const std::uint64_t expected = *generation;
    capture.filter(
        at.display.id, [&capture, at, size, generation, expected, done = std::move(done)](
                           CaptureResult<ScreenCapture::Filter> filter) mutable {
            if (*generation != expected) {
                return;
            }
            if (!std::holds_alternative<ScreenCapture::Filter>(filter)) {
                done(std::nullopt);
                return;
            }
            capture.pixels(
                std::get<ScreenCapture::Filter>(filter), at.square(size), at.scale,
                [generation, expected, done = std::move(done)](CaptureResult<PixelBuffer> pixels) {
                    if (*generation != expected) {
                        return;
                    }
                    if (auto* buffer = std::get_if<PixelBuffer>(&pixels)) {
                        done(std::move(*buffer));
                    } else {
                        done(std::nullopt);
                    }
                });
        });
}

} // namespace

QtColorSampler::QtColorSampler(DisplayPort& displays, CapturePort& capture,
                               std::function<void(QWidget&)> ownWindow)
    : displays_(displays), capture_(capture), ownWindow_(std::move(ownWindow)) {}

QtColorSampler::~QtColorSampler() {
    ++*generation_;
}

QWidget* QtColorSampler::window() const {
    return isOpen() ? loupe_.get() : nullptr;
}

bool QtColorSampler::isGrabbing() const {
    return isOpen() && loupe_ && loupe_->isGrabbing();
}

void QtColorSampler::show(Handler handler) {
    if (isOpen()) {
        cancel();
    }
    if (!loupe_) {
        auto inFlight = std::make_shared<bool>(false);
        loupe_ = std::make_unique<SamplerLoupe>(SamplerLoupe::Handlers{
            .moved =
                [this, inFlight] {
                    const auto at = pointerPixel(displays_);
                    if (!at) {
                        return;
                    }
                    loupe_->follow(
                        QPoint(static_cast<int>(std::lround(displays_.pointerLocation().x)),
                               static_cast<int>(std::lround(displays_.pointerLocation().y))));
                    if (*inFlight) {
                        return; // the next move after this capture asks again
                    }
                    *inFlight = true;
                    capturePatch(capture_, *at, SamplerLoupe::side, generation_,
                                 [this, inFlight](std::optional<PixelBuffer> patch) {
                                     *inFlight = false;
                                     if (patch) {
                                         loupe_->setPatch(std::move(*patch));
                                     }
                                 });
                },
            .picked = [this] { pick(); },
            .cancelled = [this] { cancel(); },
        });
        if (ownWindow_) {
            ownWindow_(*loupe_);
        }
    }
    ++*generation_;
    handler_ = std::move(handler);
    loupe_->open(qPoint(displays_.pointerLocation()));
}

void QtColorSampler::pick() {
    if (!isOpen()) {
        return;
    }
    const auto at = pointerPixel(displays_);
    loupe_->dismiss();
    ++*generation_; // drop loupe captures still on their way
    if (!at) {
        finish(std::nullopt);
        return;
    }
    capturePatch(capture_, *at, 1, generation_, [this](std::optional<PixelBuffer> pixel) {
        if (pixel && pixel->width() > 0 && pixel->height() > 0) {
            finish(SRGBColor::fromRGBA((*pixel)(0, 0)));
        } else {
            finish(std::nullopt);
        }
    });
}

void QtColorSampler::cancel() {
    if (!isOpen()) {
        return;
    }
    loupe_->dismiss();
    finish(std::nullopt);
}

void QtColorSampler::finish(std::optional<SRGBColor> color) {
    ++*generation_;
    Handler handler = std::exchange(handler_, {});
    if (handler) {
        handler(color);
    }
}

} // namespace spanlet
