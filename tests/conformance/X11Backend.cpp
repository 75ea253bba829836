// The X11 back end's display server: an Xvfb of its own with xcompmgr, Qt's scale factor as
// the display's scale, XTest as the pointer.
#include <QRect>
#include <cmath>
#include <cstdlib>
#include <string>
#include <xcb/xtest.h>

#include <spanlet/screen/ScreenCapture.hpp>

#include "BackendUnderTest.hpp"
#include "support/Scene.hpp"
#include "support/TestMain.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {
namespace {

class X11Backend final : public BackendUnderTest {
public:
    bool start(double scale) override {
        scale_ = scale;
        session_ = std::make_unique<XSession>(XSessionOptions{"1280x800x24", false});
        setenv("QT_SCREEN_SCALE_FACTORS", std::to_string(scale).c_str(), 1);
        return session_->ok();
    }

    bool showScene() override {
        scene_ = std::make_unique<Scene>();
        compositor_ = Background({"xcompmgr"});
        if (!scene_->ok() || !waitUntil([&] { return compositorRunning(scene_->connection()); })) {
            return false;
        }
        scene_->setWallpaper(7);
        scene_->addWindow(QRect(100, 60, 900, 500), 1);
        // The compositor paints in its own time.
        const QRect all(0, 0, 1280, 800);
        return waitUntil([&] { return scene_->rootImage(all) == scene_->expected(all, all); });
    }

    std::optional<PixelBuffer> screen(const Rect& rect) override {
        return scene_->rootImage(device(rect));
    }

    bool openClickTarget(const Rect& rect) override {
        target_ = scene_->addWindow(device(rect), 2);
        xcb_connection_t* c = scene_->connection();
        const std::uint32_t mask = XCB_EVENT_MASK_BUTTON_PRESS;
        xcb_change_window_attributes(c, target_, XCB_CW_EVENT_MASK, &mask);
        scene_->sync();
        return true;
    }

    int clicks() override {
        while (auto* event = xcb_poll_for_event(scene_->connection())) {
            const auto* press = reinterpret_cast<xcb_button_press_event_t*>(event);
            clicks_ += (event->response_type & 0x7f) == XCB_BUTTON_PRESS && press->event == target_
                           ? 1
                           : 0;
            std::free(event);
        }
        return clicks_;
    }

    // As a device does, through XTest: a warp of the pointer (xdotool's move) is no motion of a
    // device, and the pointer is watched through device motion.
    bool movePointer(Point at) override {
        return fake(XCB_MOTION_NOTIFY, 0, static_cast<std::int16_t>(std::lround(at.x * scale_)),
                    static_cast<std::int16_t>(std::lround(at.y * scale_)));
    }

    bool click() override { return fake(XCB_BUTTON_PRESS, 1) && fake(XCB_BUTTON_RELEASE, 1); }

private:
    bool fake(std::uint8_t type, std::uint8_t detail, std::int16_t x = 0, std::int16_t y = 0) {
        xcb_connection_t* c = scene_->connection();
        xcb_test_fake_input(c, type, detail, XCB_CURRENT_TIME, scene_->root(), x, y, 0);
        scene_->sync();
        return xcb_connection_has_error(c) == 0;
    }

    /// The root's device pixels a capture of `rect` reads.
    [[nodiscard]] QRect device(const Rect& rect) const {
        const ScreenCapture::PixelSize size = ScreenCapture::outputSize(rect, scale_);
        return {static_cast<int>(std::lround(rect.x * scale_)),
                static_cast<int>(std::lround(rect.y * scale_)), static_cast<int>(size.width),
                static_cast<int>(size.height)};
    }

    double scale_ = 1;
    std::unique_ptr<XSession> session_;
    Background compositor_;
    std::unique_ptr<Scene> scene_;
    xcb_window_t target_ = XCB_WINDOW_NONE;
    int clicks_ = 0;
};

} // namespace

std::unique_ptr<BackendUnderTest> makeX11Backend() {
    return std::make_unique<X11Backend>();
}

} // namespace spanlet::test
