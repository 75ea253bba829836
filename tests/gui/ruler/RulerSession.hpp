#pragma once

#include <QWindow>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include <spanlet/NumberText.hpp>
#include <spanlet/model/FileDefaultsStore.hpp>
#include <spanlet/model/Mensor.hpp>
#include <spanlet/model/PreferencesStore.hpp>
#include <spanlet/ruler/qt/QtRulerController.hpp>
#include <spanlet/ruler/qt/RulerPanel.hpp>
#include <spanlet/x11/OwnWindows.hpp>
#include <spanlet/x11/SideConnection.hpp>
#include <spanlet/x11/X11DisplayPort.hpp>
#include <spanlet/x11/X11Surfaces.hpp>

#include "fakes/FakePlatform.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {

/// One run of the application as far as the ruler is concerned: the model (started) on the real
/// display port and the real preferences file ($XDG_CONFIG_HOME/spanlet), the Qt ruler
/// controller on the real X11 surfaces (no compositor runs: the panel is in shape mode), and
/// fakes for the rest.
class RulerSession {
public:
    RulerSession() : ruler_(displays_, surfaces_) {
        fakes::FakePlatform& f = fakes_;
        model_ = std::make_unique<Mensor>(MensorPorts{f.clock, displays_, f.capture, f.permission,
                                                      f.clipboard, f.announcer, preferences_,
                                                      f.windows, f.hotkeys, f.overlays, f.sampler},
                                          preferences_.load());
        ruler_.attach(*model_);
        model_->start();
    }
    ~RulerSession() {
        ruler_.detach();
        model_.reset();
    }
    RulerSession(const RulerSession&) = delete;
    RulerSession& operator=(const RulerSession&) = delete;

    [[nodiscard]] Mensor& model() { return *model_; }
    [[nodiscard]] RulerPanel* panel() const { return ruler_.panel(); }
    [[nodiscard]] QtRulerController& controller() { return ruler_; }
    [[nodiscard]] const OwnWindows& ownWindows() const { return *own_; }
    [[nodiscard]] const X11DisplayPort& displays() const { return displays_; }

    /// Stores the ruler's place through the model (saved like any preference change).
    void place(RulerOrientation orientation, double length, Point origin) {
        model_->updatePrefs([&](Preferences& p) {
            p.rulerOrientation = orientation;
            p.rulerLength = length;
            p.rulerX = origin.x;
            p.rulerY = origin.y;
        });
    }
    /// Shows the ruler through the model and waits until its window is on screen.
    [[nodiscard]] bool show() {
        if (!*model_->ruler().visible()) {
            model_->ruler().toggle();
        }
        return waitUntil([this] {
            return panel() && panel()->isVisible() && panel()->windowHandle() &&
                   panel()->windowHandle()->isExposed();
        });
    }

private:
    fakes::FakePlatform fakes_;
    x11::SideConnection side_;
    X11DisplayPort displays_{side_};
    FileDefaultsStore defaults_{FileDefaultsStore::defaultDirectory()};
    PreferencesStore preferences_{defaults_};
    std::shared_ptr<OwnWindows> own_ = std::make_shared<OwnWindows>();
    X11Surfaces surfaces_{own_, side_};
    QtRulerController ruler_;
    std::unique_ptr<Mensor> model_;
};

/// Runs xdotool with `args` and lets Qt handle what it caused. Whether it ran.
inline bool xdo(const std::vector<std::string>& args) {
    const bool ok = xdotool(args);
    settle();
    return ok;
}

/// A fresh session per test, from default preferences (the config folder is deleted first).
class RulerWindow : public ::testing::Test {
protected:
    ~RulerWindow() override { end(); }

    RulerSession& session() { return *session_; }
    Mensor& model() { return session_->model(); }
    [[nodiscard]] const Preferences& prefs() { return *session_->model().prefs(); }
    /// Moves the pointer to `point` (global top-left points) through the display that holds it.
    bool pointAt(Point point) {
        for (const auto& d : session_->displays().displays()) {
            const Rect f = d.info.frame;
            if (f.contains(point)) {
                const double s = d.info.scale.factor();
                const auto x = double(std::lround(d.deviceFrame.x + (point.x - f.x) * s));
                const auto y = double(std::lround(d.deviceFrame.y + (point.y - f.y) * s));
                return xdo({"mousemove", NumberText::string(x, 0), NumberText::string(y, 0)});
            }
        }
        return false;
    }
    /// Whether the panel comes to stand where the model's frame says.
    bool atItsFrame() {
        return waitUntil([this] {
            return session_->panel()->geometry() ==
                   RulerPanel::windowGeometry(session_->model().ruler().frame());
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
