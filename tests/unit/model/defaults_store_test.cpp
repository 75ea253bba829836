#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <spanlet/model/FileDefaultsStore.hpp>

#include "TempDir.hpp"

namespace spanlet {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using Names = std::vector<std::string>;

Names namesIn(const fs::path& dir) {
    Names names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string contentsOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FileDefaultsStoreTest, RoundTripsBytesInOneFilePerKey) {
    TempDir tmp;
    FileDefaultsStore store(tmp.path());
    const std::string binary("a\0b\n\xff", 5);
    EXPECT_FALSE(store.hasData("preferences"));
    EXPECT_EQ(store.data("preferences"), std::nullopt);

    ASSERT_TRUE(store.setData("preferences", R"({"unit":"pixels"})"));
    ASSERT_TRUE(store.setData("preferences", R"({"unit":"points"})")); // replaces
    ASSERT_TRUE(store.setData("other", binary));
    ASSERT_TRUE(store.setData("empty", ""));

    EXPECT_EQ(store.data("preferences"), R"({"unit":"points"})");
    EXPECT_EQ(store.data("other"), binary);
    EXPECT_EQ(store.data("empty"), "");
    EXPECT_TRUE(store.hasData("empty"));
    EXPECT_EQ(contentsOf(tmp.path() / "preferences.json"), R"({"unit":"points"})");
    // No temporary files are left behind.
    EXPECT_EQ(namesIn(tmp.path()), (Names{"empty.json", "other.json", "preferences.json"}));
}

TEST(FileDefaultsStoreTest, CreatesMissingFoldersPrivately) {
    TempDir tmp;
    const fs::path dir = tmp.path() / "config" / "spanlet";
    FileDefaultsStore store(dir / ""); // a trailing separator names the same folder
    ASSERT_TRUE(store.setData("preferences", "{}"));
    EXPECT_EQ(contentsOf(dir / "preferences.json"), "{}");
    struct stat st {};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700U);
}

TEST(FileDefaultsStoreTest, RefusesKeysThatAreNotPlainFileNames) {
    TempDir tmp;
    FileDefaultsStore store(tmp.path() / "spanlet");
    for (const std::string& key :
         Names{"", ".", "..", "../escape", "a/b", std::string("a\0b", 3)}) {
        EXPECT_FALSE(store.setData(key, "x")) << key;
        EXPECT_EQ(store.data(key), std::nullopt) << key;
        EXPECT_FALSE(store.hasData(key)) << key;
    }
    EXPECT_EQ(namesIn(tmp.path()), Names{});
}

TEST(FileDefaultsStoreTest, UnusablePlacesFailOrReadAsMissing) {
    // No folder at all (what defaultDirectory() gives without a home): nothing may land in the
    // working directory instead.
    FileDefaultsStore nowhere{fs::path()};
    EXPECT_FALSE(nowhere.setData("preferences", "{}"));
    EXPECT_EQ(nowhere.data("preferences"), std::nullopt);
    EXPECT_FALSE(fs::exists("preferences.json"));

    TempDir tmp;
    std::ofstream(tmp.path() / "file") << "x";
    FileDefaultsStore underAFile(tmp.path() / "file" / "spanlet");
    EXPECT_FALSE(underAFile.setData("preferences", "{}"));

    fs::create_directory(tmp.path() / "preferences.json"); // a folder where the value would be
    FileDefaultsStore store(tmp.path());
    EXPECT_EQ(store.data("preferences"), std::nullopt);
    EXPECT_FALSE(store.hasData("preferences"));
}

TEST(FileDefaultsStoreTest, UnwritableFolderFailsAndKeepsOldFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    TempDir tmp;
    FileDefaultsStore store(tmp.path());
    ASSERT_TRUE(store.setData("preferences", "old"));
    fs::permissions(tmp.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(store.setData("preferences", "new"));
    EXPECT_EQ(store.data("preferences"), "old");
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
    const bool stored = store.setData("preferences", std::string(4096, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(stored);
    EXPECT_EQ(store.data("preferences"), "old");
    EXPECT_EQ(namesIn(tmp.path()), Names{"preferences.json"});
}

// Sets (or, with nullptr, unsets) an environment variable until the end of the scope.
struct ScopedEnv {
    const char* name;
    std::optional<std::string> old;
    ScopedEnv(const char* n, const char* value) : name(n) {
        if (const char* was = std::getenv(n)) {
            old = was;
        }
        value != nullptr ? ::setenv(n, value, 1) : ::unsetenv(n);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv() { old ? ::setenv(name, old->c_str(), 1) : ::unsetenv(name); }
};

TEST(FileDefaultsStoreTest, DefaultDirectoryFollowsXdgConfigHome) {
    const ScopedEnv home("HOME", "/home/someone");
    {
        const ScopedEnv config("XDG_CONFIG_HOME", "/custom/config");
        EXPECT_EQ(FileDefaultsStore::defaultDirectory(), fs::path("/custom/config/spanlet"));
    }
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/config"}) {
        const ScopedEnv config("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(FileDefaultsStore::defaultDirectory(), fs::path("/home/someone/.config/spanlet"));
    }
}

} // namespace
} // namespace spanlet
