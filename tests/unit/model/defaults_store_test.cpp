#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <spanlet/model/FileDefaultsStore.hpp>
#include <spanlet/model/Preferences.hpp>

#include "TempDir.hpp"

namespace spanlet {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::size_t fileCount(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

TEST(FileDefaultsStoreTest, RoundTripsBytesInAPrivateFolderAndRefusesPathKeys) {
    TempDir tmp;
    const fs::path dir = tmp.path() / "config" / "spanlet";
    FileDefaultsStore store(dir);
    const std::string binary("a\0b\n\xff", 5);
    EXPECT_EQ(store.data("preferences"), std::nullopt);
    ASSERT_TRUE(store.setData("preferences", "old"));
    ASSERT_TRUE(store.setData("preferences", binary)); // replaces
    EXPECT_EQ(store.data("preferences"), binary);
    EXPECT_EQ(fileCount(dir), 1U); // preferences.json, no temporary left
    struct stat st {};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700U);

    for (const std::string& key : {std::string(".."), std::string("../escape"), std::string("a/b"),
                                   std::string("a\0b", 3), std::string()}) {
        EXPECT_FALSE(store.setData(key, "x")) << key;
    }
    EXPECT_EQ(fileCount(tmp.path() / "config"), 1U);

    // No folder at all (no home): nothing may land in the working directory instead.
    FileDefaultsStore nowhere{fs::path()};
    EXPECT_FALSE(nowhere.setData("preferences", "{}"));
    EXPECT_FALSE(fs::exists("preferences.json"));
}

// Fails the write half-way, as a full disk would; works for every user, root included.
TEST(FileDefaultsStoreTest, FailedWriteKeepsOldFileAndRemovesTemporary) {
    TempDir tmp;
    FileDefaultsStore store(tmp.path());
    ASSERT_TRUE(store.setData("preferences", "old"));
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool stored = static_cast<bool>(store.setData("preferences", std::string(4096, 'n')));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(stored);
    EXPECT_EQ(store.data("preferences"), "old");
    EXPECT_EQ(fileCount(tmp.path()), 1U);
}

TEST(FileDefaultsStoreTest, DefaultDirectoryIgnoresRelativeXdgConfigHome) {
    const char* const old = std::getenv("XDG_CONFIG_HOME");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("XDG_CONFIG_HOME", "/custom/config", 1);
    EXPECT_EQ(FileDefaultsStore::defaultDirectory(), fs::path("/custom/config/spanlet"));
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(FileDefaultsStore::defaultDirectory().parent_path().filename(), ".config");
    saved ? ::setenv("XDG_CONFIG_HOME", saved->c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}

// Two records that differ throughout and are tens of kilobytes long, so a write takes several
// system calls: a torn file would be a mix or a prefix of them.
Preferences record(bool second) {
    Preferences p;
    p.welcomed = second;
    for (int i = 0; i < 400; ++i) {
        if (second) {
            p.recentColors.emplace_back(i / 400.0, 0.5, 1 - i / 400.0, 1);
        } else {
            p.guides.add(Axis::vertical, i * 3.0, DisplayScale::standard);
        }
    }
    return p;
}

// The child saves the two records alternately until it is killed. The records come from the
// parent (guide ids are random, so the child must not make its own).
[[noreturn]] void saveForever(const std::filesystem::path& dir, const Preferences (&records)[2]) {
    FileDefaultsStore store(dir);
    for (unsigned long i = 0;; ++i) {
        if (!records[i % 2].save(store)) {
            ::_exit(3);
        }
    }
}

TEST(FileDefaultsStoreTest, KilledWriterLeavesOldOrNewDocumentNeverATornOne) {
    TempDir tmp;
    const std::filesystem::path dir = tmp.path() / "spanlet";
    const Preferences records[2] = {record(false), record(true)};
    const std::string documents[2] = {encode(records[0]), encode(records[1])};
    FileDefaultsStore store(dir);
    ASSERT_TRUE(records[0].save(store));

    for (int round = 0; round < 250; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            saveForever(dir, records);
        }
        // Kill moments spread over 0…5 ms of saving; nothing waits for a result.
        std::this_thread::sleep_for(std::chrono::microseconds(round * 20));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "writer stopped by itself, status " << status;

        const std::optional<std::string> stored = store.data(Preferences::key);
        ASSERT_TRUE(stored.has_value()) << "document vanished in round " << round;
        ASSERT_TRUE(*stored == documents[0] || *stored == documents[1])
            << "torn document in round " << round << ", " << stored->size() << " bytes";
    }
    // The killed writers' temporary files go at the next start.
    store.removeStaleTemporaries();
    EXPECT_EQ(fileCount(dir), 1U);
}

} // namespace
} // namespace spanlet
