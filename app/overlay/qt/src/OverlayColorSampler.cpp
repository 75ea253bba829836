#include <utility>

#include <spanlet/overlay/qt/HostedOverlay.hpp>
#include <spanlet/overlay/qt/OverlayColorSampler.hpp>

namespace spanlet {

OverlayColorSampler::OverlayColorSampler(HostedOverlay& overlay) : overlay_(overlay) {}

OverlayColorSampler::~OverlayColorSampler() {
    ++*generation_;
    if (isOpen()) {
        overlay_.stopPicking();
    }
}

void OverlayColorSampler::show(LoupeSource loupes, Handler handler) {
    if (isOpen()) {
        cancel();
    }
    ++*generation_;
    loupes_ = std::move(loupes);
    handler_ = std::move(handler);
    inFlight_ = false;
    picked_ = false;
    next_.reset();
    overlay_.startPicking({
        .moved = [this](Point at) { moved(at); },
        .picked = [this](Point at) { pick(at); },
        .cancelled = [this] { cancel(); },
    });
}

void OverlayColorSampler::moved(Point pointer) {
    if (picked_) {
        return;
    }
    if (inFlight_) {
        next_ = pointer;
        return;
    }
    capture(pointer);
}

void OverlayColorSampler::capture(Point pointer) {
    if (!loupes_) {
        return;
    }
    inFlight_ = true;
    next_.reset();
    loupes_(pointer, [this, pointer, generation = generation_,
                      expected = *generation_](std::optional<Loupe> loupe) {
        if (*generation != expected) {
            return; // closed or reopened meanwhile
        }
        inFlight_ = false;
        overlay_.showPickingLoupe(pointer, std::move(loupe));
        if (next_) {
            capture(*next_);
        }
    });
}

void OverlayColorSampler::pick(Point pointer) {
    if (!isOpen() || picked_) {
        return;
    }
    if (!loupes_) {
        cancel();
        return;
    }
    // The overlay keeps the pointer until the copy is taken: given back, the compositor would
    // show its own cursor there, and where it draws cursors into the output the copy would hold
    // it.
    picked_ = true;
    ++*generation_; // drop loupe captures still on their way
    loupes_(pointer,
            [this, generation = generation_, expected = *generation_](std::optional<Loupe> loupe) {
                if (*generation != expected) {
                    return;
                }
                overlay_.stopPicking();
                finish(loupe ? std::optional<SRGBColor>(loupe->color) : std::nullopt);
            });
}

void OverlayColorSampler::cancel() {
    if (!isOpen()) {
        return;
    }
    overlay_.stopPicking();
    finish(std::nullopt);
}

void OverlayColorSampler::finish(std::optional<SRGBColor> color) {
    ++*generation_;
    loupes_ = nullptr;
    inFlight_ = false;
    picked_ = false;
    next_.reset();
    Handler handler = std::exchange(handler_, {});
    if (handler) {
        handler(color);
    }
}

} // namespace spanlet
