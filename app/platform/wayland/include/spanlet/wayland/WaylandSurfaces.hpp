#pragma once

#include <spanlet/platform/OverlaySurfaces.hpp>

namespace spanlet::wayland {

/// Our Qt windows on a Wayland compositor. The compositor always composites; screencopy cannot
/// leave a window out (the overlay clears what it captures instead), and a client can neither
/// give itself the keyboard nor see other clients' windows, so most of this does nothing.
class WaylandSurfaces final : public OverlaySurfaces {
public:
    [[nodiscard]] bool compositing() const override { return true; }
    void addOwnWindow(NativeWindow /*window*/) override {}
    void removeOwnWindow(NativeWindow /*window*/) override {}
    void setShape(NativeWindow /*window*/, std::span<const DeviceRect> /*shape*/) override {}
    [[nodiscard]] NativeWindow inputFocus() const override { return 0; }
    void setInputFocus(NativeWindow /*window*/) override {}
    void flush() override {}
    void sync() override {}
    std::unique_ptr<SurfacePresenter> presenter(NativeWindow /*window*/) override {
        return nullptr;
    }
    void setOnWindowMapped(std::function<void(NativeWindow)> /*handler*/) override {}
};

} // namespace spanlet::wayland
