// The colour sampler picking a pixel of another application's window through the model.
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <spanlet/model/Mensor.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

class SamplerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Another application: two colours side by side.
        scene.setGeometry(200, 150, 300, 200);
        scene.setStyleSheet(QStringLiteral("background: #3366cc"));
        auto* right = new QWidget(&scene);
        right->setGeometry(150, 0, 150, 200);
        right->setStyleSheet(QStringLiteral("background: #e0a010"));
        scene.show();
        ASSERT_TRUE(
            waitUntil([&] { return scene.windowHandle() && scene.windowHandle()->isExposed(); }));
        session.app->start();
    }

    QWidget scene{nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint};
    AppSession session;
};

TEST_F(SamplerTest, ClickPicksThePixelUnderThePointer) {
    Mensor& model = session.app->model();
    ASSERT_FALSE(*model.snapping());
    xdotool({"mousemove", "--sync", "260", "250"});
    model.pickColor();
    ASSERT_TRUE(waitUntil([&] { return session.app->sampler().isGrabbing(); }));
    xdotool({"mousemove", "--sync", "420", "240"}); // over the orange half
    xdotool({"click", "1"});
    ASSERT_TRUE(waitUntil([&] { return !model.prefs()->recentColors.empty(); }));
    const SRGBColor picked = model.prefs()->recentColors.front();
    EXPECT_EQ(picked.rgba(), (RGBA{0xe0, 0xa0, 0x10, 0xff}));
    EXPECT_FALSE(model.samplerOpen());
    EXPECT_EQ(clipboardText(), std::optional<std::string>("#E0A010"));
    QWidget* colors = session.app->windows().window(Windows::Kind::colors);
    ASSERT_NE(colors, nullptr);
    EXPECT_TRUE(waitUntil([&] { return colors->isVisible(); }));
}

struct CancelCase {
    const char* name;
    std::vector<std::string> input;
};
void PrintTo(const CancelCase& c, std::ostream* os) {
    *os << c.name;
}

class SamplerCancel : public SamplerTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(SamplerCancel, ChangesNothing) {
    Mensor& model = session.app->model();
    session.app->model().copyColor(SRGBColor(1, 1, 1, 1), ColorStyle::hex);
    const auto before = clipboardText();
    xdotool({"mousemove", "--sync", "420", "240"});
    model.pickColor();
    ASSERT_TRUE(waitUntil([&] { return session.app->sampler().isGrabbing(); }));
    xdotool(GetParam().input);
    ASSERT_TRUE(waitUntil([&] { return !model.samplerOpen(); }));
    EXPECT_TRUE(model.prefs()->recentColors.empty());
    EXPECT_EQ(clipboardText(), before);
    EXPECT_EQ(session.app->windows().window(Windows::Kind::colors), nullptr);
    EXPECT_EQ(session.app->sampler().window(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(, SamplerCancel,
                         ::testing::Values(CancelCase{"escape", {"key", "Escape"}},
                                           CancelCase{"rightClick", {"click", "3"}}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace spanlet::test
