#include "FloatingWindow.hpp"

#include <algorithm>
#include <array>
#include <utility>
#include <xcb/xcb.h>

#include <spanlet/x11/SideConnection.hpp>

#include "ArgbWindow.hpp"
#include "ImagePresenter.hpp"

namespace spanlet::x11 {

std::unique_ptr<FloatingWindow> FloatingWindow::make(SideConnection& side,
                                                     std::shared_ptr<OwnWindows> own) {
    std::unique_ptr<ArgbWindow> window = ArgbWindow::make(side, std::move(own), 0);
    if (!window) {
        return nullptr;
    }
    const std::uint32_t id = window->window();
    std::unique_ptr<FloatingWindow> made(new FloatingWindow(std::move(window)));
    made->presenter_ = ImagePresenter::forWindow(side, id);
    if (!made->presenter_) {
        return nullptr;
    }
    return made;
}

FloatingWindow::FloatingWindow(std::unique_ptr<ArgbWindow> window) : window_(std::move(window)) {}

FloatingWindow::~FloatingWindow() {
    presenter_.reset(); // before its window goes
}

NativeWindow FloatingWindow::window() const {
    return window_->window();
}

SurfaceFrame FloatingWindow::frame(int width, int height) {
    // Grown in steps and never shrunk: a picture whose size changes by a few pixels (a colour's
    // text) then keeps its memory, instead of new shared memory cleared on every change.
    const auto step = [](int v) { return (v + 63) / 64 * 64; };
    if (width > width_ || height > height_) {
        width_ = std::max(width_, step(width));
        height_ = std::max(height_, step(height));
        const std::array<std::uint32_t, 2> size{static_cast<std::uint32_t>(width),
                                                static_cast<std::uint32_t>(height)};
        xcb_configure_window(window_->side().get(), window_->window(),
                             XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size.data());
    }
    painted_ = true;
    return presenter_->frame(width_, height_);
}

bool FloatingWindow::present() {
    if (!window_->mapped()) {
        return true; // put when it is shown
    }
    const DeviceRect all{0, 0, width_, height_};
    return presenter_->present(std::span<const DeviceRect>(&all, 1));
}

void FloatingWindow::show(int x, int y, NativeWindow sibling) {
    xcb_connection_t* c = window_->side().get();
    const std::array<std::uint32_t, 4> values{
        static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
        static_cast<std::uint32_t>(sibling), XCB_STACK_MODE_ABOVE};
    xcb_configure_window(c, window_->window(),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_SIBLING |
                             XCB_CONFIG_WINDOW_STACK_MODE,
                         values.data());
    if (window_->map() && painted_) {
        present(); // an unmapped window keeps no pixels
    }
    window_->flushAtTurnEnd();
}

void FloatingWindow::hide() {
    window_->unmap();
}

} // namespace spanlet::x11
