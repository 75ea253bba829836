// The built spanlet started on settings that could stall it: a FIFO in place of the settings
// file, and a file of 16,000 guides while SIGTERM comes at any moment of start-up.
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

namespace fs = std::filesystem;

/// Whether `pid` has ended; reaps it.
bool ended(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

// A FIFO would block a plain open() for ever. It is unreadable instead: set aside, and the
// first start's save writes a fresh file.
TEST(SettingsStartTest, FifoInPlaceOfTheSettingsFileNeitherBlocksNorIsLost) {
    Spanlet spanlet;
    const fs::path dir = spanlet.config.path() / "spanlet";
    fs::create_directories(dir);
    ASSERT_EQ(::mkfifo((dir / "preferences.json").c_str(), 0600), 0);
    Background running(spanlet.command());
    EXPECT_TRUE(waitUntil([&] { return fs::is_regular_file(dir / "preferences.json"); }));
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().filename().string().starts_with("preferences.unreadable-")) {
            kept.push_back(entry.path());
        }
    }
    ASSERT_EQ(kept.size(), 1U);
    EXPECT_TRUE(fs::is_fifo(kept.front()));
}

class SigtermTest : public ::testing::TestWithParam<int> {};

// Whenever it comes, SIGTERM ends spanlet within moments, even while a display full of guides
// is set up without a compositor.
TEST_P(SigtermTest, EndsSpanletAtAnyMomentOfStartUp) {
    Spanlet spanlet;
    Preferences prefs = welcomedPrefs();
    for (int i = 0; i < 16000; ++i) {
        prefs.guides.add(i % 2 == 0 ? Axis::vertical : Axis::horizontal, i / 2 * 10.0,
                         DisplayScale::standard);
    }
    storePrefs(spanlet.config.path() / "spanlet", prefs);
    const pid_t pid = spawn(spanlet.command());
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(GetParam()));
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    const bool quit = waitUntil([pid] { return ended(pid); }, std::chrono::seconds(4));
    if (!quit) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    EXPECT_TRUE(quit) << "still running 4 s after SIGTERM";
}

INSTANTIATE_TEST_SUITE_P(AfterMilliseconds, SigtermTest, ::testing::Values(0, 100, 300, 1500));

} // namespace
} // namespace spanlet::test
