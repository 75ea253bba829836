// What holds for every view: accessible names, sizes and unsubscribing.
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QComboBox>
#include <algorithm>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

class EveryViewTest : public ViewTest, public ::testing::WithParamInterface<Kind> {};

// With something in every list, so every control exists.
TEST_P(EveryViewTest, NamesItsControlsFitsItsWindowAndUnsubscribesWhenGone) {
    Mensor& m = started();
    m.colors().use(SRGBColor(1, 0, 0, 1), false);
    keepAt({130, 120});
    hotkeys.set({MensorCommand::pickColor});
    const std::size_t observers =
        m.prefs().observerCount() + m.measurements().pinned().observerCount();
    {
        auto view = show(GetParam());
        QCoreApplication::processEvents();
        const ToolViewFrame frame = toolViewFrame(GetParam());
        EXPECT_EQ(view->width(), frame.width);
        EXPECT_EQ(view->height(), frame.height.value_or(view->height()));
        const QList<QAbstractScrollArea*> scrolls = view->findChildren<QAbstractScrollArea*>();
        for (QWidget* w : view->findChildren<QWidget*>()) {
            const bool slider = qobject_cast<QAbstractSlider*>(w) != nullptr;
            // Scroll bars belong to their scroll area, which is named.
            if ((slider && !w->objectName().isEmpty()) || qobject_cast<QAbstractButton*>(w) ||
                qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w)) {
                EXPECT_FALSE(w->accessibleName().isEmpty()) << utf8(w->objectName());
            }
            // Outside scroll areas, nothing is cut off at the window's edges.
            const QRect inView(w->mapTo(view.get(), QPoint(0, 0)), w->size());
            const auto scrolling = [w](const QAbstractScrollArea* s) {
                return s != w && s->isAncestorOf(w);
            };
            if (w->isVisibleTo(view.get()) &&
                std::none_of(scrolls.begin(), scrolls.end(), scrolling)) {
                EXPECT_TRUE(view->rect().contains(inView)) << utf8(w->objectName());
            }
        }
    }
    EXPECT_EQ(m.prefs().observerCount() + m.measurements().pinned().observerCount(), observers);
    m.toggleUnit(); // nothing left to call
    hotkeys.set({});
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryViewTest,
                         ::testing::ValuesIn(EnumTraits<Kind>::allCases.begin(),
                                             EnumTraits<Kind>::allCases.end()),
                         [](const auto& row) { return std::string(Windows::rawValue(row.param)); });

} // namespace
} // namespace spanlet::testing
