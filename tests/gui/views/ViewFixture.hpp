#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/views/AutostartEntry.hpp>
#include <spanlet/views/HotkeyStatus.hpp>
#include <spanlet/views/ToolViews.hpp>

#include "TempDir.hpp"
#include "fakes/FakeDisplays.hpp"
#include "fakes/FakePlatform.hpp"

namespace spanlet::testing {

using namespace std::chrono_literals;

inline std::string utf8(const QString& text) {
    return text.toStdString();
}

/// Boxes at global top-left points on one display of scale 1: white with black rectangles of
/// 60 × 40, 80 × 30 and 20 × 50 points.
inline const std::vector<Rect>& boxes() {
    static const std::vector<Rect> all{{100, 100, 60, 40}, {300, 100, 80, 30}, {500, 100, 20, 50}};
    return all;
}

/// A model on fake ports with a virtual clock, and the context the views are made with.
class ViewTest : public ::testing::Test {
protected:
    fakes::FakePlatform platform;
    std::unique_ptr<Mensor> model;
    HotkeyStatusValue hotkeys;
    TempDir config;
    AutostartEntry loginItem{config.path() / "autostart" / "spanlet.desktop", "/usr/bin/spanlet"};
    std::vector<Windows::Kind> closed;
    std::unique_ptr<ViewContext> context;

    ViewTest() {
        const Rect frame{0, 0, 1440, 900};
        platform.displays.screens.push_back(fakes::makeScreen(1, frame, 1, frame.height));
        platform.capture.addScreen(1, frame.size(), 1, [](std::int64_t x, std::int64_t y) {
            for (const Rect& box : boxes()) {
                if (box.contains({static_cast<double>(x), static_cast<double>(y)})) {
                    return RGBA::black;
                }
            }
            return RGBA::white;
        });
        platform.displays.pointer = {10, 10};
    }

    /// A started model with `prefs` (by default those of a welcomed user).
    Mensor& started(Preferences prefs = welcomed()) {
        context.reset();
        model = std::make_unique<Mensor>(platform.ports(), std::move(prefs));
        model->start();
        context = std::make_unique<ViewContext>(
            ViewContext{*model, platform.permission, hotkeys, loginItem,
                        [this](Windows::Kind kind) { closed.push_back(kind); }});
        return *model;
    }

    static Preferences welcomed() {
        Preferences p;
        p.welcomed = true;
        return p;
    }

    /// The view of `kind`, shown as a window of its own.
    std::unique_ptr<QWidget> show(Windows::Kind kind) {
        std::unique_ptr<QWidget> view(makeToolView(kind, *context, nullptr));
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return view;
    }

    /// Shows `view` as the active window, so its window shortcuts work.
    static void activate(QWidget* view) {
        view->activateWindow();
        QApplication::setActiveWindow(view);
        EXPECT_TRUE(QTest::qWaitForWindowActive(view));
    }

    /// Keeps the measurement of the box under `point` (snapping is turned on when needed).
    void keepAt(Point point) {
        if (!*model->snapping()) {
            model->enableSnapping();
        }
        platform.displays.pointer = point;
        platform.clock.advance(Mensor::pointerPeriod);
        platform.clock.advance(0ms);
        model->pinMeasurement();
    }

    template <class W = QWidget>
    static W* child(const QWidget* parent, const char* name) {
        W* found = parent->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no child " << name;
        return found;
    }

    /// Texts of the labels that `view` shows, in creation order.
    static std::vector<std::string> shownTexts(const QWidget* view) {
        std::vector<std::string> texts;
        for (const QLabel* l : view->findChildren<QLabel*>()) {
            if (l->isVisibleTo(view) && !l->text().isEmpty()) {
                texts.push_back(utf8(l->text()));
            }
        }
        return texts;
    }

    static bool shows(const QWidget* view, const std::string& text) {
        const std::vector<std::string> texts = shownTexts(view);
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    /// A mouse click near the button's left end (where a check box's box is), scrolled into
    /// view first when it sits in a scroll area.
    static void click(QAbstractButton* button) {
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        for (QWidget* up = button->parentWidget(); up != nullptr; up = up->parentWidget()) {
            if (auto* scroll = qobject_cast<QScrollArea*>(up)) {
                scroll->ensureWidgetVisible(button);
            }
        }
        QTest::mouseClick(button, Qt::LeftButton, {},
                          QPoint(std::min(8, button->width() / 2), button->height() / 2));
    }

    [[nodiscard]] std::string clipboard() const { return platform.clipboard.text.value_or(""); }
    [[nodiscard]] std::string toastText() const {
        return model->toast()->has_value() ? (*model->toast())->text : std::string();
    }
};

} // namespace spanlet::testing
