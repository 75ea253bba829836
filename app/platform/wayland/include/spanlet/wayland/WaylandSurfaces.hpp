#pragma once

#include <spanlet/platform/Surfaces.hpp>

namespace spanlet::wayland {

/// Our Qt windows on a Wayland compositor. The compositor always composites, and screencopy
/// cannot leave a window out (the overlay clears what it captures instead).
class WaylandSurfaces final : public WindowSurfaces {
public:
    [[nodiscard]] bool compositing() const override { return true; }
    void addOwnWindow(NativeWindow /*window*/) override {}
    void removeOwnWindow(NativeWindow /*window*/) override {}
};

} // namespace spanlet::wayland
