#pragma once

#include <cstdint>
#include <memory>

#include <spanlet/x11/OverlaySurfaces.hpp>
#include <spanlet/x11/OwnWindows.hpp>

namespace spanlet {

namespace x11 {
class SideConnection;
}

/// Our windows' X11 side: shapes, focus and stacking on Qt's connection (Qt made the windows),
/// images and the watch for mapped windows on the side connection. Whether a compositor runs
/// is asked here and nowhere else, each time a panel or the ruler is made or shown (one round
/// trip), so a compositor started or stopped mid-session is followed from then on. Main
/// thread only; needs Qt on xcb for anything but the own-window registry.
class X11Surfaces final : public OverlaySurfaces {
public:
    /// `own` is the registry captures leave out; `side` must outlive this.
    X11Surfaces(std::shared_ptr<OwnWindows> own, x11::SideConnection& side);
    ~X11Surfaces() override;
    X11Surfaces(const X11Surfaces&) = delete;
    X11Surfaces& operator=(const X11Surfaces&) = delete;

    [[nodiscard]] bool compositing() const override;
    void addOwnWindow(NativeWindow window) override;
    void removeOwnWindow(NativeWindow window) override;

    void setShape(NativeWindow window, std::span<const DeviceRect> shape) override;
    [[nodiscard]] NativeWindow inputFocus() const override;
    void setInputFocus(NativeWindow window) override;
    void flush() override;
    void sync() override;
    std::unique_ptr<SurfacePresenter> presenter(NativeWindow window) override;
    std::unique_ptr<FloatingSurface> floatingSurface() override;
    std::unique_ptr<SolidSurface> solidSurface() override;
    void setOnWindowMapped(std::function<void(NativeWindow)> handler) override;

private:
    std::shared_ptr<OwnWindows> own_;
    x11::SideConnection& side_;
    std::uint32_t compositorSelection_; // an xcb_atom_t
};

} // namespace spanlet
