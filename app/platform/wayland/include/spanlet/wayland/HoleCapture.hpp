#pragma once

#include <functional>

#include <spanlet/screen/CapturePort.hpp>
#include <spanlet/wayland/PixelRect.hpp>

namespace spanlet::wayland {

/// Screencopy sees the composited output, our overlay included. This capture has the overlay
/// clear each rectangle it is about to copy and waits until the compositor has drawn that
/// frame, so the pixels are those under the overlay.
class HoleCapture final : public CapturePort {
public:
    /// Clears `hole` (device pixels of display `displayId`) in the overlay, then runs `ready`
    /// once the compositor has drawn it (at once where nothing of ours is shown).
    using Punch =
        std::function<void(std::uint32_t displayId, PixelRect hole, std::function<void()> ready)>;

    /// `inner` must outlive this object.
    explicit HoleCapture(CapturePort& inner) : inner_(inner) {}

    /// Who clears the overlay, and what runs after each copy that it cleared for has finished
    /// (the overlay must not cover the holes again before). Empty: nobody (captures go
    /// straight through).
    void setPunch(Punch punch, std::function<void()> copied = {}) {
        punch_ = std::move(punch);
        copied_ = std::move(copied);
    }

    void filter(std::uint32_t displayId,
                std::function<void(CaptureResult<ScreenCapture::Filter>)> done) override {
        inner_.filter(displayId, std::move(done));
    }
    void pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                std::function<void(CaptureResult<PixelBuffer>)> done) override;

private:
    CapturePort& inner_;
    Punch punch_;
    std::function<void()> copied_;
};

} // namespace spanlet::wayland
