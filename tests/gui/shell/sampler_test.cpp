// The colour sampler picking a pixel of another application's window through the model.
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <spanlet/model/Mensor.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

TEST(SamplerTest, EscapeAndRightClickCancelAClickPicksThePixelUnderThePointer) {
    // Another application: blue on the left half, orange on the right.
    QWidget scene(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    scene.setGeometry(200, 150, 300, 200);
    scene.setStyleSheet(QStringLiteral("background: #3366cc"));
    QWidget right(&scene);
    right.setGeometry(150, 0, 150, 200);
    right.setStyleSheet(QStringLiteral("background: #e0a010"));
    scene.show();
    ASSERT_TRUE(
        waitUntil([&] { return scene.windowHandle() && scene.windowHandle()->isExposed(); }));
    AppSession session;
    session.app->start();
    Mensor& model = session.app->model();
    ASSERT_TRUE(movePointer({260, 250})); // over the blue half
    for (const char* cancel : {"Escape", "3"}) {
        SCOPED_TRACE(cancel);
        model.colors().pick();
        ASSERT_TRUE(waitUntil([&] { return session.app->sampler().isGrabbing(); }));
        xdotool({cancel[0] == '3' ? "click" : "key", cancel});
        ASSERT_TRUE(waitUntil([&] { return !model.colors().samplerOpen(); }));
        EXPECT_TRUE(model.prefs()->recentColors.empty());
        EXPECT_EQ(session.app->sampler().window(), nullptr);
    }

    model.colors().pick();
    ASSERT_TRUE(waitUntil([&] { return session.app->sampler().isGrabbing(); }));
    clickAt({420, 240}); // over the orange half
    ASSERT_TRUE(waitUntil([&] { return !model.prefs()->recentColors.empty(); }));
    EXPECT_EQ(model.prefs()->recentColors.front().rgba(), (RGBA{0xe0, 0xa0, 0x10, 0xff}));
    EXPECT_EQ(clipboardText(), std::optional<std::string>("#E0A010"));
}

} // namespace
} // namespace spanlet::test
