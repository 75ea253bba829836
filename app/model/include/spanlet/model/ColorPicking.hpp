#pragma once

#include <cstdint>
#include <memory>

#include <spanlet/Color.hpp>
#include <spanlet/model/ColorSampler.hpp>
#include <spanlet/model/Messages.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/model/PointerTracking.hpp>
#include <spanlet/model/Settings.hpp>
#include <spanlet/model/ToolWindows.hpp>
#include <spanlet/platform/Clipboard.hpp>
#include <spanlet/platform/PermissionPort.hpp>

namespace spanlet {

/// Picking a colour from the screen, the recent colours (kept in the preferences) and copying
/// a colour as text. The sampler's answer reaches this through a lifetime token.
class ColorPicking {
public:
    /// The platform it reaches; each must outlive it.
    struct Ports {
        PermissionPort& permission;
        ToolWindows& windows;
        ColorSampler& sampler;
        Clipboard& clipboard;
    };

    /// Each reference must outlive this.
    ColorPicking(Ports ports, Settings& settings, PointerTracking& tracking,
                 const Observable<bool>& snapping, Messages& messages);
    ColorPicking(const ColorPicking&) = delete;
    ColorPicking& operator=(const ColorPicking&) = delete;

    /// While snapping with a loupe, its colour; else the sampler opens (or the explainer, where
    /// the screen cannot be read).
    void pick();
    /// Makes `color` the most recent colour and copies it; `openColors` opens the colours window.
    void use(SRGBColor color, bool openColors);
    void copy(SRGBColor color, ColorStyle style);
    void clearRecent();
    [[nodiscard]] bool samplerOpen() const noexcept { return samplerOpen_; }

private:
    [[nodiscard]] std::weak_ptr<ColorPicking> weakSelf() {
        return std::shared_ptr<ColorPicking>(lifetime_, this);
    }

    Ports ports_;
    Settings& settings_;
    PointerTracking& tracking_;
    const Observable<bool>& snapping_;
    Messages& messages_;
    std::shared_ptr<char> lifetime_ = std::make_shared<char>();
    bool samplerOpen_ = false;
    std::uint64_t samplerGeneration_ = 0;
};

} // namespace spanlet
