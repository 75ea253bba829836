#pragma once

#include <functional>
#include <vector>

#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet {

/// The displays and the pointer, as the window system reports them. Main thread only.
class DisplayPort {
public:
    virtual ~DisplayPort() = default;
    /// Every display, primary first.
    [[nodiscard]] virtual std::vector<ScreenInfo> currentScreens() const = 0;
    /// The pointer in global top-left points.
    [[nodiscard]] virtual Point pointerLocation() const = 0;
    /// Called once per change of the display set or of any display's geometry or scale.
    virtual void setScreensChangedHandler(std::function<void()> handler) = 0;
};

} // namespace spanlet
