#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QTest>
#include <QWidget>
#include <chrono>
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
using Kind = Windows::Kind;

inline std::string utf8(const QString& text) {
    return text.toStdString();
}

/// A model on fake ports with a virtual clock, and the context the views are made with. The
/// one display (scale 1) is white with black boxes of 60 × 40 at (100, 100), 80 × 30 at
/// (300, 100) and 20 × 50 at (500, 100) points.
class ViewTest : public ::testing::Test {
protected:
    fakes::FakePlatform platform;
    std::unique_ptr<Mensor> model;
    HotkeyStatusValue hotkeys;
    TempDir config;
    AutostartEntry loginItem{config.path() / "autostart" / "spanlet.desktop", "/usr/bin/spanlet"};
    std::vector<Kind> closed;
    int menusOpened = 0;
    std::unique_ptr<ViewContext> context;

    ViewTest() {
        const Rect frame{0, 0, 1440, 900};
        platform.displays.screens.push_back(fakes::makeScreen(1, frame, 1, frame.height));
        platform.capture.addScreen(1, frame.size(), 1, [](std::int64_t x, std::int64_t y) {
            for (const Rect box :
                 {Rect{100, 100, 60, 40}, Rect{300, 100, 80, 30}, Rect{500, 100, 20, 50}}) {
                if (box.contains({static_cast<double>(x), static_cast<double>(y)})) {
                    return RGBA::black;
                }
            }
            return RGBA::white;
        });
        platform.displays.pointer = {10, 10};
    }

    /// A started model for a welcomed user.
    Mensor& started(Preferences prefs = {}) {
        prefs.welcomed = true;
        context.reset();
        model = std::make_unique<Mensor>(platform.ports(), std::move(prefs));
        model->start();
        context = std::make_unique<ViewContext>(ViewContext{
            *model, platform.permission, hotkeys, platform.clipboard, loginItem,
            [this](Kind kind) { closed.push_back(kind); }, [this](QWidget&) { ++menusOpened; }});
        return *model;
    }

    /// The view of `kind`, shown as a window of its own.
    std::unique_ptr<QWidget> show(Kind kind) {
        std::unique_ptr<QWidget> view(makeToolView(kind, *context, nullptr));
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return view;
    }

    /// Keeps the measurement of the box under `point` (snapping is turned on when needed).
    void keepAt(Point point) {
        if (!*model->snapping()) {
            model->enableSnapping();
        }
        platform.displays.moveTo(point);
        platform.clock.advance(0ms);
        model->measurements().pin();
    }

    template <class W = QWidget>
    static W* child(const QWidget* parent, const char* name) {
        W* found = parent->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no child " << name;
        return found;
    }

    /// The text of the label or button `name`.
    static std::string text(const QWidget* parent, const char* name) {
        return utf8(child(parent, name)->property("text").toString());
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

    /// A mouse click near the button's left end (where a check box's box is), scrolled into
    /// view first when it sits in a scroll area.
    static void click(QAbstractButton* button) {
        ASSERT_TRUE(button && button->isEnabled());
        for (QWidget* up = button->parentWidget(); up != nullptr; up = up->parentWidget()) {
            if (auto* scroll = qobject_cast<QScrollArea*>(up)) {
                scroll->ensureWidgetVisible(button);
            }
        }
        QTest::mouseClick(button, Qt::LeftButton, {},
                          QPoint(std::min(8, button->width() / 2), button->height() / 2));
    }
    static void click(const QWidget* view, const char* name) {
        click(child<QAbstractButton>(view, name));
    }

    [[nodiscard]] std::string clipboard() const { return platform.clipboard.text.value_or(""); }
};

} // namespace spanlet::testing
