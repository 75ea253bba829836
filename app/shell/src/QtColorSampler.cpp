#include <cmath>

#include <spanlet/shell/QtColorSampler.hpp>

#include "SamplerLoupe.hpp"

namespace spanlet {

namespace {

QPoint qPoint(Point p) {
    return QPoint(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
}

} // namespace

QtColorSampler::QtColorSampler(DisplayPort& displays, std::function<void(QWidget&)> ownWindow)
    : displays_(displays), ownWindow_(std::move(ownWindow)) {}

QtColorSampler::~QtColorSampler() {
    ++*generation_;
}

QWidget* QtColorSampler::window() const {
    return isOpen() ? loupe_.get() : nullptr;
}

bool QtColorSampler::isGrabbing() const {
    return isOpen() && loupe_ && loupe_->isGrabbing();
}

void QtColorSampler::show(LoupeSource loupes, Handler handler) {
    if (isOpen()) {
        cancel();
    }
    if (!loupe_) {
        auto inFlight = std::make_shared<bool>(false);
        loupe_ = std::make_unique<SamplerLoupe>(SamplerLoupe::Handlers{
            .moved =
                [this, inFlight] {
                    const Point pointer = displays_.pointerLocation();
                    loupe_->follow(qPoint(pointer));
                    if (*inFlight || !loupes_) {
                        return; // the next move after this capture asks again
                    }
                    *inFlight = true;
                    loupes_(pointer, [this, inFlight, generation = generation_,
                                      expected = *generation_](std::optional<Loupe> loupe) {
                        // Cleared even when stale, or a sampler closed during a capture
                        // would never ask again when it is opened next.
                        *inFlight = false;
                        if (*generation != expected) {
                            return; // closed or reopened meanwhile
                        }
                        if (loupe) {
                            loupe_->setPatch(std::move(loupe->patch));
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
    loupes_ = std::move(loupes);
    handler_ = std::move(handler);
    loupe_->open(qPoint(displays_.pointerLocation()));
}

void QtColorSampler::pick() {
    if (!isOpen()) {
        return;
    }
    const Point pointer = displays_.pointerLocation();
    loupe_->dismiss();
    ++*generation_; // drop loupe captures still on their way
    if (!loupes_) {
        finish(std::nullopt);
        return;
    }
    loupes_(pointer,
            [this, generation = generation_, expected = *generation_](std::optional<Loupe> loupe) {
                if (*generation != expected) {
                    return;
                }
                finish(loupe ? std::optional<SRGBColor>(loupe->color) : std::nullopt);
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
    loupes_ = nullptr;
    Handler handler = std::exchange(handler_, {});
    if (handler) {
        handler(color);
    }
}

} // namespace spanlet
