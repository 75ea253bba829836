// The defaults store on real files that are not what they should be: unreadable, not plain
// files, too large, linked, or left over from a killed save.
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <spanlet/model/FileDefaultsStore.hpp>
#include <spanlet/model/PreferencesStore.hpp>

#include "TempDir.hpp"

namespace spanlet {
namespace {

namespace fs = std::filesystem;
using State = StoredValue::State;
using testing::TempDir;

/// nobody/nogroup on Debian; any unused id would do, no account is needed.
constexpr uid_t kUnprivileged = 65534;

void writeFile(const fs::path& file, const std::string& bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0) << file;
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

std::string readFile(const fs::path& file) {
    FileDefaultsStore reader(file.parent_path());
    return reader.read(file.stem().string()).bytes;
}

/// Runs `body` as a user who is not root (root reads every file, whatever its mode): in a
/// child process that gives up root, when this runs as root. `dir` and everything in it is
/// handed to that user first. True when the body's checks passed.
bool asUnprivilegedUser(const fs::path& dir, const std::function<void()>& body) {
    if (::geteuid() != 0) {
        body();
        return !::testing::Test::HasFailure();
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        ::lchown(entry.path().c_str(), kUnprivileged, kUnprivileged);
    }
    ::chown(dir.c_str(), kUnprivileged, kUnprivileged);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivileged) != 0 ||
            ::setuid(kUnprivileged) != 0) {
            ::_exit(2);
        }
        body();
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A document of mode 000 is unreadable, not missing: it is moved aside as it is before the
// first save, and while it cannot be moved (a read-only folder) nothing is written at all.
TEST(SettingsFilesTest, UnreadableDocumentIsMovedAsideNeverSavedOver) {
    TempDir tmp;
    const fs::path dir = tmp.path() / "spanlet";
    fs::create_directory(dir);
    const std::string document = R"({"unit":"pixels","tolerance":0.3})";
    writeFile(dir / "preferences.json", document);
    ::chmod((dir / "preferences.json").c_str(), 0);
    Preferences changed;
    changed.welcomed = true;

    ASSERT_TRUE(asUnprivilegedUser(tmp.path(), [&] {
        ASSERT_NE(::geteuid(), 0U);
        FileDefaultsStore files(dir);
        PreferencesStore prefs(files, [] { return std::chrono::system_clock::from_time_t(0); });
        EXPECT_EQ(files.read("preferences").state, State::unreadable);
        EXPECT_EQ(prefs.load(), Preferences{});

        ::chmod(dir.c_str(), 0500);
        EXPECT_FALSE(prefs.save(changed));
        EXPECT_EQ(files.setData("other", "{}").failure, StoreFailure::denied);
        ::chmod(dir.c_str(), 0700);
        EXPECT_EQ(prefs.takeNotice()->kind, PreferencesNotice::Kind::unreadableNotKept);

        EXPECT_TRUE(prefs.save(changed));
        EXPECT_EQ(files.keys("preferences.unreadable-"),
                  std::vector<std::string>{"preferences.unreadable-19700101T000000Z"});
        EXPECT_EQ(prefs.takeNotice()->keptAt,
                  (dir / "preferences.unreadable-19700101T000000Z.json").string());
    }));
    EXPECT_EQ(readFile(dir / "preferences.unreadable-19700101T000000Z.json"), document);
    FileDefaultsStore files(dir);
    EXPECT_EQ(Preferences::load(files), changed);
}

struct OddFile {
    const char* name;
    std::function<void(const fs::path& file)> make;
    State state;
    friend void PrintTo(const OddFile& f, std::ostream* os) { *os << f.name; }
};

class OddFileTest : public ::testing::TestWithParam<OddFile> {};

// Only regular files of at most 16 MB are read, and nothing blocks: a FIFO without a writer
// would hang a plain open() for ever.
TEST_P(OddFileTest, IsReadOnlyWhenARegularFileOfSensibleSize) {
    TempDir tmp;
    GetParam().make(tmp.path() / "preferences.json");
    FileDefaultsStore store(tmp.path());
    EXPECT_EQ(store.read("preferences").state, GetParam().state);
    EXPECT_EQ(store.hasData("preferences"), GetParam().state != State::missing);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OddFileTest,
    ::testing::Values(
        OddFile{"Missing", [](const fs::path&) {}, State::missing},
        OddFile{"Fifo", [](const fs::path& f) { ::mkfifo(f.c_str(), 0600); }, State::unreadable},
        OddFile{"Folder", [](const fs::path& f) { fs::create_directory(f); }, State::unreadable},
        OddFile{"Device", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); },
                State::unreadable},
        OddFile{"DanglingLink", [](const fs::path& f) { fs::create_symlink("nowhere.json", f); },
                State::unreadable},
        OddFile{"Over16MB",
                [](const fs::path& f) {
                    writeFile(f, "{}");
                    fs::resize_file(f, FileDefaultsStore::maxBytes + 1);
                },
                State::unreadable},
        OddFile{"LinkToAFile",
                [](const fs::path& f) {
                    writeFile(f.parent_path() / "elsewhere.json", "{}");
                    fs::create_symlink("elsewhere.json", f);
                },
                State::readable}),
    [](const auto& row) { return std::string(row.param.name); });

// A dotfile manager's link stays a link: its target is replaced in the target's own folder,
// keeping its mode. A link to another user's file is not written through.
TEST(SettingsFilesTest, LinkedDocumentKeepsItsLink) {
    TempDir tmp;
    const fs::path repo = tmp.path() / "dotfiles";
    const fs::path dir = tmp.path() / "spanlet";
    fs::create_directories(repo);
    fs::create_directories(dir);
    writeFile(repo / "preferences.json", "old");
    ::chmod((repo / "preferences.json").c_str(), 0640);
    fs::create_symlink("../dotfiles/preferences.json", dir / "preferences.json");

    FileDefaultsStore store(dir);
    ASSERT_TRUE(store.setData("preferences", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "preferences.json"));
    EXPECT_EQ(readFile(repo / "preferences.json"), "new");
    struct stat st {};
    ASSERT_EQ(::stat((repo / "preferences.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640U);
    EXPECT_EQ(std::distance(fs::directory_iterator(repo), {}), 1); // no temporary left

    if (::geteuid() == 0) { // only root can give a file away
        ::chown((repo / "preferences.json").c_str(), kUnprivileged, kUnprivileged);
        ASSERT_TRUE(store.setData("preferences", "mine"));
        EXPECT_FALSE(fs::is_symlink(dir / "preferences.json"));
        EXPECT_EQ(readFile(repo / "preferences.json"), "new");
        EXPECT_EQ(readFile(dir / "preferences.json"), "mine");
    }
}

// Temporary files of killed saves go; one a save in progress holds (locked) stays, and so does
// anything not named like the store's temporaries.
TEST(SettingsFilesTest, StaleTemporariesAreRemovedButNotOneBeingWritten) {
    TempDir tmp;
    for (const char* name : {".preferences.json.a1B2c3", ".Spanlet.colors.json.ZZZZZZ",
                             ".preferences.json.busy42", ".preferences.json.toolong", "notes"}) {
        writeFile(tmp.path() / name, "x");
    }
    const int busy = ::open((tmp.path() / ".preferences.json.busy42").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);
    FileDefaultsStore store(tmp.path());
    EXPECT_EQ(store.removeStaleTemporaries(), 2U);
    ::close(busy);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(tmp.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".preferences.json.busy42",
                                              ".preferences.json.toolong", "notes"}));
}

TEST(SettingsFilesTest, WriteErrorsNameTheirReason) {
    EXPECT_EQ(FileDefaultsStore::failureFor(EROFS), StoreFailure::readOnly);
    EXPECT_EQ(FileDefaultsStore::failureFor(ENOSPC), StoreFailure::diskFull);
    EXPECT_EQ(FileDefaultsStore::failureFor(EDQUOT), StoreFailure::diskFull);
    EXPECT_EQ(FileDefaultsStore::failureFor(EACCES), StoreFailure::denied);
    EXPECT_EQ(FileDefaultsStore::failureFor(EPERM), StoreFailure::denied);
    EXPECT_EQ(FileDefaultsStore::failureFor(EIO), StoreFailure::other);
}

} // namespace
} // namespace spanlet
