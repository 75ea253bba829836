#include <gtest/gtest.h>

#include <spanlet/wayland/MenuLayout.hpp>

namespace spanlet {
namespace {

using wayland::MenuLayout;

/// Ten points per byte, 16 high.
class FixedMeasurer final : public draw::TextMeasurer {
public:
    [[nodiscard]] Size measure(std::string_view text,
                               const draw::FontChoice& /*font*/) const override {
        return {10.0 * static_cast<double>(text.size()), 16};
    }
};

TEST(MenuLayout, rowsSeparatorsAndSteps) {
    const FixedMeasurer measurer;
    const MenuLayout menu({"Remove Guide", "", "Add a Vertical Guide Here", "Done"}, measurer);
    const double p = MenuLayout::padding;
    const double row = MenuLayout::rowHeight;
    const double rule = MenuLayout::separatorHeight;
    EXPECT_EQ(menu.size(), (Size{250 + 2 * MenuLayout::textInset, 2 * p + 3 * row + rule}))
        << "as wide as the widest title, as high as its rows";

    EXPECT_EQ(menu.entryAt({20, p + row / 2}), 0U);
    EXPECT_EQ(menu.entryAt({20, p + row + rule / 2}), std::nullopt) << "a separator is no entry";
    EXPECT_EQ(menu.entryAt({20, p + row + rule + 1}), 2U);
    EXPECT_EQ(menu.entryAt({20, p / 2}), std::nullopt) << "the padding";
    EXPECT_EQ(menu.entryAt({-1, p + row / 2}), std::nullopt) << "outside";

    EXPECT_EQ(menu.step(std::nullopt, true), 0U);
    EXPECT_EQ(menu.step(0U, true), 2U) << "over the separator";
    EXPECT_EQ(menu.step(3U, true), 0U) << "round from the end";
    EXPECT_EQ(menu.step(std::nullopt, false), 3U);
    EXPECT_EQ(MenuLayout({"", ""}, measurer).step(std::nullopt, true), std::nullopt);
}

} // namespace
} // namespace spanlet
