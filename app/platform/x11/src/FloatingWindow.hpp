#pragma once

#include <cstdint>
#include <memory>

#include <spanlet/x11/OverlaySurfaces.hpp>
#include <spanlet/x11/OwnWindows.hpp>

namespace spanlet::x11 {

class ArgbWindow;
class ImagePresenter;
class SideConnection;

/// A floating surface: an ArgbWindow whose pixels go through an ImagePresenter, its moves in
/// order with them.
class FloatingWindow final : public FloatingSurface {
public:
    /// Nothing when the server has no 32-bit TrueColor visual or the connection is gone. The
    /// window is in `own` for as long as it exists.
    static std::unique_ptr<FloatingWindow> make(SideConnection& side,
                                                std::shared_ptr<OwnWindows> own);
    ~FloatingWindow() override;
    FloatingWindow(const FloatingWindow&) = delete;
    FloatingWindow& operator=(const FloatingWindow&) = delete;

    [[nodiscard]] NativeWindow window() const override;

    SurfaceFrame frame(int width, int height) override;
    bool present() override;
    void show(int x, int y, NativeWindow sibling) override;
    void hide() override;

private:
    explicit FloatingWindow(std::unique_ptr<ArgbWindow> window);

    std::unique_ptr<ArgbWindow> window_;
    std::unique_ptr<ImagePresenter> presenter_;
    int width_ = 0;
    int height_ = 0;
    bool painted_ = false; ///< the frame holds a picture to put again once mapped
};

} // namespace spanlet::x11
