#pragma once

#include <functional>

#include <spanlet/platform/CapturePort.hpp>
#include <spanlet/wayland/PixelRect.hpp>

namespace spanlet::wayland {

/// Screencopy sees the composited output, our overlay included. This capture has the overlay
/// (and a floating panel of ours) clear each rectangle it is about to copy before asking for the
/// copy, so the pixels are those under them.
class HoleCapture final : public CapturePort {
public:
    /// Clears `hole` (device pixels of display `displayId`) in the overlay, then runs `ready`
    /// once a copy asked for sees under it.
    using Punch =
        std::function<void(std::uint32_t displayId, PixelRect hole, std::function<void()> ready)>;
    /// A copy through that hole has finished: the overlay may cover it again.
    using Copied = std::function<void(std::uint32_t displayId, PixelRect hole)>;

    /// `inner` must outlive this object.
    explicit HoleCapture(CapturePort& inner) : inner_(inner) {}

    /// Who clears the overlay, and what runs after each copy that it cleared for has finished
    /// (the overlay must not cover the hole again before). Empty: nobody (captures go
    /// straight through).
    void setPunch(Punch punch, Copied copied = {}) {
        punch_ = std::move(punch);
        copied_ = std::move(copied);
    }

    /// A floating panel's side: `open` clears a hole (device pixels of display `displayId`) in
    /// the panel at once, by a commit that the compositor applies before it reads a copy asked
    /// for afterwards; `close` covers it again once that copy has finished. Empty: no panel.
    using PanelHole = std::function<void(std::uint32_t displayId, PixelRect hole)>;
    void setPanelHoles(PanelHole open, PanelHole close) {
        panelOpen_ = std::move(open);
        panelClose_ = std::move(close);
    }

    void filter(std::uint32_t displayId,
                std::function<void(CaptureResult<ScreenCapture::Filter>)> done) override {
        inner_.filter(displayId, std::move(done));
    }
    void pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                std::function<void(CaptureResult<PixelBuffer>)> done) override;
    void setTrace(const std::function<void(const char* event)>& mark) override {
        inner_.setTrace(mark);
    }

private:
    CapturePort& inner_;
    Punch punch_;
    Copied copied_;
    PanelHole panelOpen_;
    PanelHole panelClose_;
};

} // namespace spanlet::wayland
