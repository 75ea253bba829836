#pragma once

#include <cstdint>
#include <memory>

#include <spanlet/x11/OverlaySurfaces.hpp>
#include <spanlet/x11/OwnWindows.hpp>

class QObject;

namespace spanlet::x11 {

class ImagePresenter;
class SideConnection;

/// A floating surface made on the side connection, not Qt's: Qt would answer every move of a
/// window of its own with round trips to find where it went. An override-redirect ARGB window
/// that takes no input and asks compositors for no shadow; its pixels go through an
/// ImagePresenter, and moves go in order with them.
class FloatingWindow final : public FloatingSurface {
public:
    /// Nothing when the server has no 32-bit TrueColor visual or the connection is gone. The
    /// window is in `own` for as long as it exists.
    static std::unique_ptr<FloatingWindow> make(SideConnection& side,
                                                std::shared_ptr<OwnWindows> own);
    ~FloatingWindow() override;
    FloatingWindow(const FloatingWindow&) = delete;
    FloatingWindow& operator=(const FloatingWindow&) = delete;

    [[nodiscard]] NativeWindow window() const override { return window_; }

    SurfaceFrame frame(int width, int height) override;
    bool present() override;
    void show(int x, int y, NativeWindow sibling) override;
    void hide() override;

private:
    FloatingWindow(SideConnection& side, std::shared_ptr<OwnWindows> own, std::uint32_t window,
                   std::uint32_t colormap);

    SideConnection& side_;
    std::shared_ptr<OwnWindows> own_;
    std::uint32_t window_;
    std::uint32_t colormap_;
    std::unique_ptr<ImagePresenter> presenter_;
    int width_ = 0;
    int height_ = 0;
    bool mapped_ = false;
    bool painted_ = false; ///< the frame holds a picture to put again once mapped
    bool flushing_ = false;
    std::unique_ptr<QObject> context_; ///< for the flush at the turn's end
};

} // namespace spanlet::x11
