// The kept-measurements view: rows and their numbers, copying, removing and clearing.
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

using Kind = Windows::Kind;

class MeasurementsViewTest : public ViewTest {
protected:
    /// Three kept measurements, oldest first: 60 × 40, 80 × 30 and 20 × 50 points.
    Mensor& keepingThree() {
        Mensor& m = started();
        keepAt({130, 120});
        keepAt({340, 115});
        keepAt({510, 125});
        EXPECT_EQ(m.pinned()->size(), 3U);
        return m;
    }

    static QListWidget* list(const QWidget* view) {
        return child<QListWidget>(view, "measurementList");
    }

    /// Row n (from 1) as the list shows it.
    static QWidget* row(const QWidget* view, int n) {
        QListWidget* l = list(view);
        return l->itemWidget(l->item(n - 1));
    }

    static std::vector<std::string> sizes(const QWidget* view) {
        std::vector<std::string> texts;
        QListWidget* l = list(view);
        for (int i = 0; i < l->count(); ++i) {
            texts.push_back(utf8(child<QLabel>(l->itemWidget(l->item(i)), "size")->text()));
        }
        return texts;
    }

    static QPushButton* copyButton(const QWidget* view) {
        return child<QPushButton>(view, "copyPreferred");
    }
};

TEST_F(MeasurementsViewTest, EmptyStateNamesTheShortcuts) {
    started();
    auto view = show(Kind::measurements);
    EXPECT_EQ(shownTexts(view.get()),
              (std::vector<std::string>{"No measurements kept",
                                        "Turn on edge snapping (⌃⇧S), point at something and "
                                        "press ⌃⇧P to keep its measurement on screen."}));
    EXPECT_FALSE(list(view.get())->isVisibleTo(view.get()));
    EXPECT_FALSE(child<QPushButton>(view.get(), "clearAll")->isEnabled());
    EXPECT_FALSE(copyButton(view.get())->isEnabled());
    EXPECT_EQ(utf8(copyButton(view.get())->text()), "Copy Text");
}

TEST_F(MeasurementsViewTest, RowsShowSizeAndDistancesWithTheirNumbers) {
    started();
    auto view = show(Kind::measurements);
    keepAt({130, 120}); // kept elsewhere (the hot key): shows at once
    keepAt({340, 115});
    ASSERT_EQ(list(view.get())->count(), 2);
    EXPECT_EQ(sizes(view.get()), (std::vector<std::string>{"60 × 40 pt", "80 × 30 pt"}));
    EXPECT_EQ(utf8(child<QLabel>(row(view.get(), 1), "distances")->text()),
              "left 30 · right 30 · up 20 · down 20 pt");
    EXPECT_EQ(utf8(row(view.get(), 2)->accessibleName()), "Measurement 2");
    EXPECT_EQ(utf8(child<QToolButton>(row(view.get(), 2), "copyMenu")->accessibleName()),
              "Copy measurement 2");
    EXPECT_EQ(utf8(child<QToolButton>(row(view.get(), 2), "remove")->accessibleName()),
              "Remove measurement 2");
    EXPECT_TRUE(child<QPushButton>(view.get(), "clearAll")->isEnabled());
    EXPECT_GE(list(view.get())->height(), 220);
}

TEST_F(MeasurementsViewTest, UnitAndCopyStyleChangesShowAtOnce) {
    Mensor& m = keepingThree();
    auto view = show(Kind::measurements);
    m.perform(MensorCommand::toggleUnit);
    EXPECT_EQ(sizes(view.get()),
              (std::vector<std::string>{"60 × 40 px", "80 × 30 px", "20 × 50 px"}));
    m.updatePrefs([](Preferences& p) { p.copyStyle = CopyStyle::css; });
    EXPECT_EQ(utf8(copyButton(view.get())->text()), "Copy CSS");
}

TEST_F(MeasurementsViewTest, CopyTakesTheSelectedOneThenTheNewestOnceItIsRemoved) {
    Mensor& m = keepingThree();
    auto view = show(Kind::measurements);
    list(view.get())->setCurrentRow(0);
    click(copyButton(view.get()));
    EXPECT_EQ(clipboard(), "60 × 40 pt");

    list(view.get())->setCurrentRow(2);
    m.removePinned((*m.pinned())[2].id); // the selected one goes
    click(copyButton(view.get()));
    EXPECT_EQ(clipboard(), "80 × 30 pt");
}

TEST_F(MeasurementsViewTest, ClearAllEmptiesTheListWithAMessage) {
    Mensor& m = keepingThree();
    auto view = show(Kind::measurements);
    click(child<QPushButton>(view.get(), "clearAll"));
    EXPECT_TRUE(m.pinned()->empty());
    EXPECT_EQ(toastText(), "Measurements cleared");
    EXPECT_TRUE(shows(view.get(), "No measurements kept"));
    EXPECT_FALSE(copyButton(view.get())->isEnabled());
}

} // namespace
} // namespace spanlet::testing
