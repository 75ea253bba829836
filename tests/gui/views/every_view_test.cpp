// What holds for every view: accessible names, sizes, unsubscribing, and the real clipboard.
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>

#include "ViewFixture.hpp"
#include "support/X11Env.hpp"

namespace spanlet::testing {
namespace {

void expectEveryControlNamed(const QWidget* view) {
    int controls = 0;
    for (QWidget* w : view->findChildren<QWidget*>()) {
        const bool slider = qobject_cast<QAbstractSlider*>(w) != nullptr;
        const bool control = qobject_cast<QAbstractButton*>(w) || slider ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w);
        // Scroll bars belong to their scroll area, which is named.
        if (control && !(slider && w->objectName().isEmpty())) {
            ++controls;
            EXPECT_FALSE(w->accessibleName().isEmpty())
                << w->metaObject()->className() << " " << utf8(w->objectName());
        }
    }
    EXPECT_GT(controls, 1);
}

void expectItFits(const QWidget* view, const ToolViewFrame& frame) {
    EXPECT_EQ(view->width(), frame.width);
    if (frame.height) {
        EXPECT_EQ(view->height(), *frame.height);
    }
    const QList<QAbstractScrollArea*> scrolls = view->findChildren<QAbstractScrollArea*>();
    for (const QWidget* w : view->findChildren<QWidget*>()) {
        const auto scrolling = [w](const QAbstractScrollArea* s) {
            return s != w && s->isAncestorOf(w);
        };
        if (!w->isVisibleTo(view) || std::any_of(scrolls.begin(), scrolls.end(), scrolling)) {
            continue; // content inside a scroll area may scroll
        }
        const QRect inView(w->mapTo(view, QPoint(0, 0)), w->size());
        EXPECT_TRUE(view->rect().contains(inView))
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

class EveryViewTest : public ViewTest, public ::testing::WithParamInterface<Kind> {};

// With something in every list, so every control exists.
TEST_P(EveryViewTest, NamesItsControlsFitsItsWindowAndUnsubscribesWhenGone) {
    Mensor& m = started();
    m.useColor(SRGBColor(1, 0, 0, 1), false);
    m.useColor(SRGBColor(0, 0, 1, 1), false);
    keepAt({130, 120});
    keepAt({340, 115});
    hotkeys.set({MensorCommand::pickColor});
    const std::size_t prefsObservers = m.prefs().observerCount();
    const std::size_t pinnedObservers = m.pinned().observerCount();
    {
        auto view = show(GetParam());
        QCoreApplication::processEvents();
        expectEveryControlNamed(view.get());
        expectItFits(view.get(), toolViewFrame(GetParam()));
    }
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

using RealClipboardTest = ViewTest;

TEST_F(RealClipboardTest, CtrlCPutsTheNewestMeasurementOnTheDesktopClipboard) {
    QtClipboard desktop;
    started({}, &desktop);
    keepAt({130, 120});
    keepAt({510, 125});
    auto view = show(Kind::measurements);
    view->activateWindow();
    QApplication::setActiveWindow(view.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    // A real key press through the X server, to the focused window.
    ASSERT_TRUE(test::xdotool({"key", "ctrl+c"}));
    ASSERT_TRUE(QTest::qWaitFor([] { return QGuiApplication::clipboard()->ownsClipboard(); }));
    EXPECT_EQ(test::clipboardText(), std::optional<std::string>("20 × 50 pt"));
}

} // namespace
} // namespace spanlet::testing
