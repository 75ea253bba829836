#pragma once

#include <QRect>
#include <QtGui/qwindowdefs.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include <spanlet/model/FileDefaultsStore.hpp>
#include <spanlet/model/Mensor.hpp>
#include <spanlet/model/PreferencesStore.hpp>
#include <spanlet/ruler/qt/QtRulerController.hpp>
#include <spanlet/ruler/qt/RulerPanel.hpp>
#include <spanlet/x11/OwnWindows.hpp>
#include <spanlet/x11/X11DisplayPort.hpp>

#include "fakes/FakeCapture.hpp"
#include "fakes/FakePorts.hpp"
#include "fakes/VirtualClock.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {

/// One run of the application as far as the ruler is concerned: the model on the real display
/// port and the real preferences file ($XDG_CONFIG_HOME/spanlet), the Qt ruler controller whose
/// panel is registered as one of our own windows, and fakes for every other port. The model is
/// started, so display changes reach it.
class RulerSession {
public:
    RulerSession();
    ~RulerSession();
    RulerSession(const RulerSession&) = delete;
    RulerSession& operator=(const RulerSession&) = delete;

    [[nodiscard]] Mensor& model() { return *model_; }
    [[nodiscard]] RulerPanel* panel() const { return ruler_.panel(); }
    [[nodiscard]] QtRulerController& controller() { return ruler_; }
    [[nodiscard]] const OwnWindows& ownWindows() const { return own_; }
    [[nodiscard]] const X11DisplayPort& displays() const { return displays_; }

    /// Stores the ruler's place through the model (saved like any preference change).
    void place(RulerOrientation orientation, double length, Point origin,
               MeasureUnit unit = MeasureUnit::points);
    /// Shows the ruler through the model and waits until its window is on screen.
    [[nodiscard]] bool show();

private:
    fakes::VirtualClock clock_;
    X11DisplayPort displays_;
    fakes::FakeCapture capture_{clock_};
    fakes::FakePermission permission_;
    fakes::FakeClipboard clipboard_;
    fakes::FakeAnnouncer announcer_;
    FileDefaultsStore defaults_{FileDefaultsStore::defaultDirectory()};
    PreferencesStore preferences_{defaults_};
    fakes::FakeToolWindows windows_;
    fakes::FakeHotkeys hotkeys_;
    fakes::FakeOverlayController overlays_;
    OwnWindows own_;
    QtRulerController ruler_;
    fakes::FakeColorSampler sampler_;
    std::unique_ptr<Mensor> model_;
};

/// Runs xdotool with `args` and lets Qt handle what it caused. Whether it ran.
bool xdo(const std::vector<std::string>& args);
/// Moves the pointer to `point` (global top-left points) through the display that holds it.
bool pointAt(const X11DisplayPort& displays, Point point);
/// Where the X server has the window, in device pixels of the root window.
QRect nativeGeometry(WId window);

/// A fresh session per test, from default preferences (the config folder is deleted first).
class RulerWindow : public ::testing::Test {
protected:
    ~RulerWindow() override { end(); }

    RulerSession& session() { return *session_; }
    Mensor& model() { return session_->model(); }
    [[nodiscard]] const Preferences& prefs() { return *session_->model().prefs(); }
    bool pointAt(Point point) { return test::pointAt(session_->displays(), point); }
    /// Whether the panel comes to stand where the model's frame says.
    bool atItsFrame() {
        return waitUntil([this] {
            return session_->panel()->geometry() ==
                   RulerPanel::windowGeometry(session_->model().rulerFrame());
        });
    }
    /// A new session reading the preferences the previous one saved, as after a restart.
    void restart() {
        end();
        session_ = std::make_unique<RulerSession>();
    }

private:
    static std::unique_ptr<RulerSession> fresh() {
        std::error_code ignored;
        std::filesystem::remove_all(FileDefaultsStore::defaultDirectory(), ignored);
        return std::make_unique<RulerSession>();
    }
    void end() {
        session_.reset();
        settle();
    }

    std::unique_ptr<RulerSession> session_ = fresh();
};

} // namespace spanlet::test
