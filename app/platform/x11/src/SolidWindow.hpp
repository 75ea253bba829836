#pragma once

#include <memory>
#include <optional>

#include <spanlet/x11/OverlaySurfaces.hpp>
#include <spanlet/x11/OwnWindows.hpp>

namespace spanlet::x11 {

class ArgbWindow;
class SideConnection;

/// A solid surface: an ArgbWindow the server fills with its background colour.
class SolidWindow final : public SolidSurface {
public:
    /// Nothing when the server has no 32-bit TrueColor visual or the connection is gone. The
    /// window is in `own` for as long as it exists.
    static std::unique_ptr<SolidWindow> make(SideConnection& side, std::shared_ptr<OwnWindows> own);
    ~SolidWindow() override;
    SolidWindow(const SolidWindow&) = delete;
    SolidWindow& operator=(const SolidWindow&) = delete;

    [[nodiscard]] NativeWindow window() const override;
    void show(const DeviceRect& frame, std::uint32_t argb, NativeWindow sibling) override;
    void hide() override;

private:
    explicit SolidWindow(std::unique_ptr<ArgbWindow> window);

    std::unique_ptr<ArgbWindow> window_;
    std::optional<std::uint32_t> argb_; ///< the background set, none before the first
};

} // namespace spanlet::x11
