#pragma once

#include <chrono>
#include <gtest/gtest.h>
#include <memory>

#include <spanlet/model/Mensor.hpp>

#include "fakes/FakePlatform.hpp"

namespace spanlet::testing {

using namespace std::chrono_literals;

/// White everywhere.
inline RGBA whiteScene(std::int64_t, std::int64_t) {
    return RGBA::white;
}

/// White with a black box; `box` is in display-local points, sampled at `scale`.
inline fakes::PixelFunction boxScene(Rect box, double scale) {
    return [box, scale](std::int64_t x, std::int64_t y) {
        const double px = static_cast<double>(x) / scale;
        const double py = static_cast<double>(y) / scale;
        return box.contains({px, py}) ? RGBA::black : RGBA::white;
    };
}

/// Preferences of a user who has seen the welcome window (so start() opens nothing).
inline Preferences welcomedPrefs() {
    Preferences p;
    p.welcomed = true;
    return p;
}

/// A model on fake ports with a virtual clock. Displays are added before make().
class ModelTest : public ::testing::Test {
protected:
    fakes::FakePlatform platform;
    std::unique_ptr<Mensor> model;

    /// Adds a display to the display list and to the capture fake. `frame` is global
    /// top-left points; `scene` is in the display's device pixels.
    void addDisplay(std::uint32_t id, Rect frame, double scale,
                    fakes::PixelFunction scene = whiteScene) {
        const double primary = platform.displays.screens.empty()
                                   ? frame.height
                                   : platform.displays.screens.front().frame.height;
        platform.displays.screens.push_back(fakes::makeScreen(id, frame, scale, primary));
        platform.capture.addScreen(id, frame.size(), scale, std::move(scene));
    }

    Mensor& make(Preferences prefs = welcomedPrefs()) {
        model = std::make_unique<Mensor>(platform.ports(), std::move(prefs));
        return *model;
    }

    /// make() and start(), then forget what start-up logged and announced.
    Mensor& started(Preferences prefs = welcomedPrefs()) {
        make(std::move(prefs)).start();
        platform.log.clear();
        platform.announcer.spoken.clear();
        return *model;
    }

    /// Moves the pointer; the model hears of it at once while it follows the pointer.
    void pointAt(Point p) { platform.displays.moveTo(p); }
    void advance(Clock::Duration by) { platform.clock.advance(by); }

    [[nodiscard]] std::string toastText() const {
        return model->messages().toast()->has_value() ? (*model->messages().toast())->text
                                                      : std::string();
    }
};

} // namespace spanlet::testing
