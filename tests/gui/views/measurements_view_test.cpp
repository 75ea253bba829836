// The kept-measurements view: rows and their numbers, copying, removing and clearing.
#include <QListWidget>
#include <QPushButton>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

class MeasurementsViewTest : public ViewTest {
protected:
    static QListWidget* list(const QWidget* view) {
        return child<QListWidget>(view, "measurementList");
    }

    /// Row n (from 1) as the list shows it.
    static QWidget* row(const QWidget* view, int n) {
        return list(view)->itemWidget(list(view)->item(n - 1));
    }

    static std::vector<std::string> sizes(const QWidget* view) {
        std::vector<std::string> texts;
        for (int n = 1; n <= list(view)->count(); ++n) {
            texts.push_back(text(row(view, n), "size"));
        }
        return texts;
    }
};

TEST_F(MeasurementsViewTest, RowsFollowTheKeptMeasurementsUnitAndCopyStyle) {
    Mensor& m = started();
    auto view = show(Kind::measurements);
    keepAt({130, 120}); // kept elsewhere (the hot key): shows at once
    keepAt({340, 115});
    EXPECT_EQ(sizes(view.get()), (std::vector<std::string>{"60 × 40 pt", "80 × 30 pt"}));
    EXPECT_EQ(text(row(view.get(), 1), "distances"), "left 30 · right 30 · up 20 · down 20 pt");
    EXPECT_EQ(utf8(row(view.get(), 2)->accessibleName()), "Measurement 2");
    EXPECT_EQ(utf8(child(row(view.get(), 2), "copyMenu")->accessibleName()), "Copy measurement 2");
    EXPECT_EQ(utf8(child(row(view.get(), 2), "remove")->accessibleName()), "Remove measurement 2");
    EXPECT_EQ(text(view.get(), "copyPreferred"), "Copy Text");

    m.perform(MensorCommand::toggleUnit);
    EXPECT_EQ(sizes(view.get()), (std::vector<std::string>{"60 × 40 px", "80 × 30 px"}));
    m.updatePrefs([](Preferences& p) { p.copyStyle = CopyStyle::css; });
    EXPECT_EQ(text(view.get(), "copyPreferred"), "Copy CSS");
}

TEST_F(MeasurementsViewTest, CopyTakesTheSelectedOneOrTheNewestAndClearAllEmptiesTheList) {
    Mensor& m = started();
    keepAt({130, 120});
    keepAt({340, 115});
    keepAt({510, 125});
    auto view = show(Kind::measurements);
    list(view.get())->setCurrentRow(0);
    click(view.get(), "copyPreferred");
    EXPECT_EQ(clipboard(), "60 × 40 pt");
    list(view.get())->setCurrentRow(2);
    m.removePinned((*m.pinned())[2].id); // the selected one goes
    click(view.get(), "copyPreferred");
    EXPECT_EQ(clipboard(), "80 × 30 pt");

    click(view.get(), "clearAll");
    EXPECT_TRUE(m.pinned()->empty());
    ASSERT_TRUE(m.toast()->has_value()) << "the model's clearing, not a bare edit of the list";
    EXPECT_EQ(shownTexts(view.get()),
              (std::vector<std::string>{"No measurements kept",
                                        "Turn on edge snapping (⌃⇧S), point at something and "
                                        "press ⌃⇧P to keep its measurement on screen."}));
    EXPECT_FALSE(list(view.get())->isVisibleTo(view.get()));
    EXPECT_FALSE(child<QPushButton>(view.get(), "clearAll")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(view.get(), "copyPreferred")->isEnabled());
}

} // namespace
} // namespace spanlet::testing
