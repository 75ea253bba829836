#include "SolidWindow.hpp"

#include <algorithm>
#include <array>
#include <utility>
#include <xcb/xcb.h>

#include <spanlet/x11/SideConnection.hpp>

#include "ArgbWindow.hpp"

namespace spanlet::x11 {

std::unique_ptr<SolidWindow> SolidWindow::make(SideConnection& side,
                                               std::shared_ptr<OwnWindows> own) {
    std::unique_ptr<ArgbWindow> window = ArgbWindow::make(side, std::move(own), 0);
    if (!window) {
        return nullptr;
    }
    return std::unique_ptr<SolidWindow>(new SolidWindow(std::move(window)));
}

SolidWindow::SolidWindow(std::unique_ptr<ArgbWindow> window) : window_(std::move(window)) {}

SolidWindow::~SolidWindow() = default;

NativeWindow SolidWindow::window() const {
    return window_->window();
}

void SolidWindow::show(const DeviceRect& frame, std::uint32_t argb, NativeWindow sibling) {
    xcb_connection_t* c = window_->side().get();
    const xcb_window_t w = window_->window();
    if (argb_ != argb) {
        argb_ = argb;
        xcb_change_window_attributes(c, w, XCB_CW_BACK_PIXEL, &argb);
        if (window_->mapped()) {
            xcb_clear_area(c, 0, w, 0, 0, 0, 0); // the new colour at once, not at the next expose
        }
    }
    // Restacked on every show, as the floating surface is, so that a panel raised in between
    // cannot hide it.
    const std::array<std::uint32_t, 6> values{static_cast<std::uint32_t>(frame.x),
                                              static_cast<std::uint32_t>(frame.y),
                                              static_cast<std::uint32_t>(std::max(1, frame.width)),
                                              static_cast<std::uint32_t>(std::max(1, frame.height)),
                                              static_cast<std::uint32_t>(sibling),
                                              XCB_STACK_MODE_ABOVE};
    xcb_configure_window(c, w,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_SIBLING |
                             XCB_CONFIG_WINDOW_STACK_MODE,
                         values.data());
    window_->map();
    window_->flushAtTurnEnd();
}

void SolidWindow::hide() {
    window_->unmap();
}

} // namespace spanlet::x11
