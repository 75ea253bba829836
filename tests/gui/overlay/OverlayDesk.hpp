#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <chrono>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include <xcb/xcb.h>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/qt/HostedOverlay.hpp>
#include <spanlet/x11/OverlayPanel.hpp>
#include <spanlet/x11/OwnWindows.hpp>
#include <spanlet/x11/SideConnection.hpp>
#include <spanlet/x11/X11DisplayPort.hpp>
#include <spanlet/x11/X11OverlayHost.hpp>
#include <spanlet/x11/X11Surfaces.hpp>

#include "fakes/FakePlatform.hpp"
#include "support/Processes.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {

/// Another application's plain window: one colour, mapped at a device rect on a connection of
/// its own, recording the button presses it receives.
class PlainWindow {
public:
    PlainWindow(const QRect& device, std::uint32_t rgb);
    ~PlainWindow();
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;

    [[nodiscard]] xcb_window_t id() const noexcept { return window_; }
    /// Whether a button press has arrived (reads the events received so far).
    [[nodiscard]] bool pressed();
    /// Gives this window the keyboard focus.
    void focus();

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t window_ = XCB_WINDOW_NONE;
    bool pressed_ = false;
};

/// The overlay on the test's desktop: a model on fake ports except for the real display port,
/// the real X11 surfaces and overlay host, and the overlay controller; our panels registered as our
/// own windows; a grey desktop window beneath; a compositor unless the test asks for shape mode.
class OverlayDesk : public ::testing::Test {
protected:
    static constexpr std::uint32_t desktopGrey = 0x808080;

    virtual bool wantsCompositor() const { return true; }
    void SetUp() override;
    void TearDown() override;

    /// Makes and starts the model with `prefs` (welcomed is set).
    Mensor& start(Preferences prefs = {});

    /// The display ids, primary (A, scale 2) first.
    [[nodiscard]] std::uint32_t idA() const;
    [[nodiscard]] std::uint32_t idB() const;
    [[nodiscard]] X11DisplayPort::Display display(std::uint32_t id) const;
    /// Root device pixel of a display-local point.
    [[nodiscard]] QPoint device(std::uint32_t id, Point local) const;
    /// Global point of a display-local point.
    [[nodiscard]] Point global(std::uint32_t id, Point local) const;

    /// Moves the real pointer to a display-local point and lets the model read it.
    void pointTo(std::uint32_t id, Point local);

    /// The root window as the screen shows it (device pixels).
    [[nodiscard]] QImage screenshot() const;
    /// Whether our panels are above `window` in the stacking order.
    [[nodiscard]] bool panelsAbove(xcb_window_t window) const;

    [[nodiscard]] x11::OverlayPanel* panel(std::uint32_t id) const { return host->panel(id); }

    fakes::FakePlatform platform;
    std::unique_ptr<x11::SideConnection> side;
    std::unique_ptr<X11DisplayPort> displays;
    std::shared_ptr<OwnWindows> own = std::make_shared<OwnWindows>();
    std::unique_ptr<X11Surfaces> surfaces;
    std::unique_ptr<X11OverlayHost> host;
    std::unique_ptr<HostedOverlay> overlays;
    std::unique_ptr<Mensor> model;
    std::unique_ptr<PlainWindow> desktop;

private:
    Background compositor_;
    xcb_connection_t* connection_ = nullptr;
};

} // namespace spanlet::test
