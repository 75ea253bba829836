// The defaults store on real files: round trips in a private folder, atomic saves, and files
// that are not what they should be: unreadable, not plain files, too large, linked, or left
// over from a killed save.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/file.h>
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

// A document of mode 000 is unreadable, not missing, and is moved aside as it is; in a folder
// that may not be written the move is refused as denied. (What the preferences make of either
// is preferences_test's.)
TEST(FileDefaultsStoreTest, UnreadableDocumentIsMovedAsideAsItIs) {
    TempDir tmp;
    const fs::path dir = tmp.path() / "spanlet";
    fs::create_directory(dir);
    const std::string document = R"({"unit":"pixels","tolerance":0.3})";
    writeFile(dir / "preferences.json", document);
    ::chmod((dir / "preferences.json").c_str(), 0);
    const std::string aside = "preferences.unreadable-19700101T000000Z";

    ASSERT_TRUE(asUnprivilegedUser(tmp.path(), [&] {
        ASSERT_NE(::geteuid(), 0U);
        FileDefaultsStore files(dir);
        EXPECT_EQ(files.read("preferences").state, State::unreadable);
        ::chmod(dir.c_str(), 0500);
        EXPECT_EQ(files.moveData("preferences", aside).failure, StoreFailure::denied);
        ::chmod(dir.c_str(), 0700);
        EXPECT_TRUE(files.moveData("preferences", aside));
        EXPECT_EQ(files.keys("preferences.unreadable-"), std::vector<std::string>{aside});
        EXPECT_EQ(files.location(aside), (dir / (aside + ".json")).string());
    }));
    ::chmod((dir / (aside + ".json")).c_str(), 0600);
    EXPECT_EQ(FileDefaultsStore(dir).data(aside), document);
}

// Only regular files of at most 16 MB are read, and nothing blocks: a FIFO without a writer
// would hang a plain open() for ever.
TEST(FileDefaultsStoreTest, ReadsOnlyARegularFileOfSensibleSize) {
    const struct {
        const char* name;
        std::function<void(const fs::path& file)> make;
        State state;
    } rows[] = {
        {"missing", [](const fs::path&) {}, State::missing},
        {"fifo", [](const fs::path& f) { ::mkfifo(f.c_str(), 0600); }, State::unreadable},
        {"folder", [](const fs::path& f) { fs::create_directory(f); }, State::unreadable},
        {"device", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); },
         State::unreadable},
        {"dangling link", [](const fs::path& f) { fs::create_symlink("nowhere.json", f); },
         State::unreadable},
        {"over 16 MB",
         [](const fs::path& f) {
             writeFile(f, "{}");
             fs::resize_file(f, FileDefaultsStore::maxBytes + 1);
         },
         State::unreadable},
        {"link to a file",
         [](const fs::path& f) {
             writeFile(f.parent_path() / "elsewhere.json", "{}");
             fs::create_symlink("elsewhere.json", f);
         },
         State::readable},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir tmp;
        row.make(tmp.path() / "preferences.json");
        FileDefaultsStore store(tmp.path());
        EXPECT_EQ(store.read("preferences").state, row.state);
        EXPECT_EQ(store.hasData("preferences"), row.state != State::missing);
    }
}

// A dotfile manager's link stays a link: its target is replaced in the target's own folder,
// keeping its mode. A link to another user's file is not written through.
TEST(FileDefaultsStoreTest, LinkedDocumentKeepsItsLink) {
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
    EXPECT_EQ(FileDefaultsStore(repo).data("preferences"), "new");
    struct stat st {};
    ASSERT_EQ(::stat((repo / "preferences.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640U);
    EXPECT_EQ(fileCount(repo), 1U); // no temporary left

    if (::geteuid() == 0) { // only root can give a file away
        ::chown((repo / "preferences.json").c_str(), kUnprivileged, kUnprivileged);
        ASSERT_TRUE(store.setData("preferences", "mine"));
        EXPECT_FALSE(fs::is_symlink(dir / "preferences.json"));
        EXPECT_EQ(FileDefaultsStore(repo).data("preferences"), "new");
        EXPECT_EQ(store.data("preferences"), "mine");
    }
}

// Temporary files of killed saves go; one a save in progress holds (locked) stays, and so does
// anything not named like the store's temporaries.
TEST(FileDefaultsStoreTest, StaleTemporariesAreRemovedButNotOneBeingWritten) {
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

TEST(FileDefaultsStoreTest, WriteErrorsNameTheirReason) {
    EXPECT_EQ(FileDefaultsStore::failureFor(EROFS), StoreFailure::readOnly);
    EXPECT_EQ(FileDefaultsStore::failureFor(ENOSPC), StoreFailure::diskFull);
    EXPECT_EQ(FileDefaultsStore::failureFor(EDQUOT), StoreFailure::diskFull);
    EXPECT_EQ(FileDefaultsStore::failureFor(EACCES), StoreFailure::denied);
    EXPECT_EQ(FileDefaultsStore::failureFor(EPERM), StoreFailure::denied);
    EXPECT_EQ(FileDefaultsStore::failureFor(EIO), StoreFailure::other);
}

} // namespace
} // namespace spanlet
