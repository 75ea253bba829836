// What holds for every view: accessible names, sizes, unsubscribing, and the real clipboard.
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <ostream>

#include "ViewFixture.hpp"
#include "support/X11Env.hpp"

namespace spanlet::testing {
namespace {

using Kind = Windows::Kind;

/// Whether `w` lies in the content of a scroll area within `view`.
bool insideScrollArea(const QWidget* w, const QWidget* view) {
    for (const QWidget* up = w->parentWidget(); up != nullptr && up != view;
         up = up->parentWidget()) {
        if (qobject_cast<const QAbstractScrollArea*>(up) != nullptr) {
            return true;
        }
    }
    return false;
}

class EveryViewTest : public ViewTest, public ::testing::WithParamInterface<Kind> {
protected:
    /// A model with something in every list, so every control exists.
    Mensor& populated() {
        Mensor& m = started();
        m.useColor(SRGBColor(1, 0, 0, 1), false);
        m.useColor(SRGBColor(0, 0, 1, 1), false);
        keepAt({130, 120});
        keepAt({340, 115});
        hotkeys.set({MensorCommand::pickColor});
        return m;
    }
};

TEST_P(EveryViewTest, EveryControlHasAnAccessibleName) {
    populated();
    auto view = show(GetParam());
    int controls = 0;
    for (QWidget* w : view->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) != nullptr ||
                             qobject_cast<QAbstractSlider*>(w) != nullptr ||
                             qobject_cast<QComboBox*>(w) != nullptr ||
                             qobject_cast<QAbstractItemView*>(w) != nullptr;
        // Scroll bars belong to their scroll area, which is named.
        if (!control ||
            (qobject_cast<QAbstractSlider*>(w) != nullptr && w->objectName().isEmpty())) {
            continue;
        }
        ++controls;
        EXPECT_FALSE(w->accessibleName().isEmpty())
            << w->metaObject()->className() << " " << utf8(w->objectName());
    }
    EXPECT_GT(controls, 1);
}

TEST_P(EveryViewTest, FitsTheSizeOfItsWindow) {
    populated();
    auto view = show(GetParam());
    QCoreApplication::processEvents();
    const ToolViewFrame frame = toolViewFrame(GetParam());
    EXPECT_EQ(view->width(), frame.width);
    if (frame.height) {
        EXPECT_EQ(view->height(), *frame.height);
    }
    const QRect bounds = view->rect();
    for (const QWidget* w : view->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(view.get()) || insideScrollArea(w, view.get())) {
            continue; // content inside a scroll area may scroll
        }
        const QRect inView(w->mapTo(view.get(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(bounds.contains(inView))
            << utf8(w->objectName()) << " " << w->metaObject()->className() << " at " << inView.x()
            << "," << inView.y() << " " << inView.width() << "×" << inView.height();
        if (const auto* l = qobject_cast<const QLabel*>(w); l && l->wordWrap()) {
            EXPECT_GE(l->height(), l->heightForWidth(l->width())) << utf8(l->text());
        }
    }
    if (auto* scroll = view->findChild<QScrollArea*>()) {
        EXPECT_LE(scroll->widget()->minimumSizeHint().width(), scroll->viewport()->width())
            << "nothing is cut off at the right";
    }
}

TEST_P(EveryViewTest, ADestroyedViewNoLongerObservesTheModel) {
    Mensor& m = populated();
    const std::size_t prefsObservers = m.prefs().observerCount();
    const std::size_t pinnedObservers = m.pinned().observerCount();
    { auto view = show(GetParam()); }
    EXPECT_EQ(m.prefs().observerCount(), prefsObservers);
    EXPECT_EQ(m.pinned().observerCount(), pinnedObservers);
    m.toggleUnit(); // nothing left to call
    hotkeys.set({});
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryViewTest,
                         ::testing::ValuesIn(EnumTraits<Kind>::allCases.begin(),
                                             EnumTraits<Kind>::allCases.end()),
                         [](const auto& row) { return std::string(Windows::rawValue(row.param)); });

/// The desktop clipboard, as the application gives it to the model.
class QtClipboard : public Clipboard {
public:
    void setText(const std::string& text) override {
        QGuiApplication::clipboard()->setText(QString::fromStdString(text), QClipboard::Clipboard);
    }
};

class RealClipboardTest : public ViewTest {};

TEST_F(RealClipboardTest, CtrlCPutsTheNewestMeasurementOnTheDesktopClipboard) {
    QtClipboard desktop;
    MensorPorts ports = platform.ports();
    model = std::make_unique<Mensor>(MensorPorts{ports.clock, ports.displays, ports.capture,
                                                 ports.permission, desktop, ports.announcer,
                                                 ports.preferences, ports.windows, ports.hotkeys,
                                                 ports.overlays, ports.ruler, ports.sampler},
                                     welcomed());
    model->start();
    context = std::make_unique<ViewContext>(
        ViewContext{*model, platform.permission, hotkeys, loginItem, nullptr});
    keepAt({130, 120});
    keepAt({510, 125});
    auto view = show(Kind::measurements);
    activate(view.get());
    // A real key press through the X server, to the focused window.
    ASSERT_TRUE(test::xdotool({"key", "ctrl+c"}));
    ASSERT_TRUE(QTest::qWaitFor([] { return QGuiApplication::clipboard()->ownsClipboard(); }));
    EXPECT_EQ(test::clipboardText(), std::optional<std::string>("20 × 50 pt"));
}

} // namespace
} // namespace spanlet::testing
