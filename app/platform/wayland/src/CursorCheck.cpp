#include <spanlet/wayland/CursorCheck.hpp>

namespace spanlet::wayland {

bool CursorCheck::crosshair() const noexcept {
    return verdict_ == Verdict::shown || (step_ == Step::second && !spoilt_);
}

bool CursorCheck::pointerAt(std::uint32_t displayId, Point at, double scale, double cursorSize) {
    const Place place{displayId, at, scale, cursorSize};
    const bool moved = latest_ != place;
    latest_ = place;
    resting_ = resting_ && !moved;
    if (verdict_ != Verdict::unknown) {
        return false;
    }
    if (step_ != Step::idle && place != place_) {
        spoil();
    }
    return moved;
}

void CursorCheck::rested() {
    resting_ = true;
    if (verdict_ == Verdict::unknown && step_ == Step::idle && latest_) {
        start(*latest_);
    }
}

void CursorCheck::interrupt() {
    latest_.reset();
    resting_ = false;
    if (step_ != Step::idle) {
        spoil();
    }
}

void CursorCheck::spoil() {
    if (step_ != Step::waiting) {
        spoilt_ = true; // the copy out lands first
        return;
    }
    // The crosshair never went up: the model's copies go ahead, and the next check starts.
    step_ = Step::idle;
    first_.reset();
    release();
    ended(false);
}

void CursorCheck::start(const Place& place) {
    step_ = Step::first;
    spoilt_ = false;
    place_ = place;
    const double d = place.cursorSize;
    square_ = {place.at.x - d, place.at.y - d, 2 * d, 2 * d};
    inner_.filter(place.displayId, [this](CaptureResult<ScreenCapture::Filter> filter) {
        if (const auto* f = std::get_if<ScreenCapture::Filter>(&filter)) {
            filter_ = *f;
            copy([this](std::optional<PixelBuffer> pixels) { firstLanded(std::move(pixels)); });
        } else {
            firstLanded(std::nullopt);
        }
    });
}

void CursorCheck::copy(std::function<void(std::optional<PixelBuffer>)> done) {
    inner_.pixels(filter_, square_, place_.scale,
                  [done = std::move(done)](CaptureResult<PixelBuffer> result) {
                      auto* pixels = std::get_if<PixelBuffer>(&result);
                      done(pixels != nullptr ? std::optional(std::move(*pixels)) : std::nullopt);
                  });
}

void CursorCheck::firstLanded(std::optional<PixelBuffer> pixels) {
    if (spoilt_ || !pixels) {
        step_ = Step::idle;
        ended(!spoilt_); // a move before the crosshair went up costs nothing
        return;
    }
    first_ = std::move(pixels);
    step_ = Step::waiting;
    if (inFlight_ == 0) {
        showAndCopy();
    }
}

// The crosshair goes up before the copy is asked for: the cursor changes at the compositor at
// once, and the copy is taken at its next render.
void CursorCheck::showAndCopy() {
    step_ = Step::second;
    if (changed_) {
        changed_();
    }
    copy([this](std::optional<PixelBuffer> pixels) { secondLanded(std::move(pixels)); });
}

void CursorCheck::secondLanded(std::optional<PixelBuffer> pixels) {
    const bool decides = !spoilt_ && pixels;
    const bool wasUp = crosshair();
    step_ = Step::idle;
    if (decides) {
        verdict_ = *pixels == *first_ ? Verdict::shown : Verdict::hidden;
    }
    first_.reset();
    // Down before the model's copies go out.
    if (wasUp && !crosshair() && changed_) {
        changed_();
    }
    release();
    if (!decides) {
        ended(true);
    }
}

void CursorCheck::ended(bool counts) {
    if (counts && ++tries_ >= mostTries) {
        verdict_ = Verdict::hidden;
    }
    // Tried again at once where the pointer still is or has rested since; after a move, once
    // it rests.
    if (verdict_ == Verdict::unknown && step_ == Step::idle && latest_ &&
        (resting_ || latest_ == place_)) {
        start(*latest_);
    }
}

void CursorCheck::release() {
    std::vector<Held> held = std::move(held_);
    held_.clear();
    for (Held& h : held) {
        pixels(h.filter, h.rect, h.scale, std::move(h.done));
    }
}

void CursorCheck::pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                         std::function<void(CaptureResult<PixelBuffer>)> done) {
    if (verdict_ != Verdict::unknown) {
        inner_.pixels(filter, rect, scale, std::move(done)); // decided: nothing more to keep apart
        return;
    }
    if (step_ == Step::waiting || step_ == Step::second) {
        held_.push_back({filter, rect, scale, std::move(done)});
        return;
    }
    ++inFlight_;
    inner_.pixels(filter, rect, scale,
                  [this, done = std::move(done)](CaptureResult<PixelBuffer> result) {
                      --inFlight_;
                      done(std::move(result));
                      if (step_ == Step::waiting && inFlight_ == 0) {
                          showAndCopy();
                      }
                  });
}

} // namespace spanlet::wayland
