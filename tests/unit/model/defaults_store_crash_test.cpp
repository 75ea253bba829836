#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <spanlet/model/FileDefaultsStore.hpp>
#include <spanlet/model/Preferences.hpp>

#include "TempDir.hpp"

namespace spanlet {
namespace {

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

TEST(FileDefaultsStoreCrashTest, KilledWriterLeavesOldOrNewDocumentNeverATornOne) {
    testing::TempDir tmp;
    const std::filesystem::path dir = tmp.path() / "spanlet";
    const Preferences records[2] = {record(false), record(true)};
    const std::string documents[2] = {encode(records[0]), encode(records[1])};
    FileDefaultsStore store(dir);
    ASSERT_TRUE(records[0].save(store));

    std::random_device seeder;
    const unsigned seed = seeder();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMicroseconds(0, 5000);
    for (int round = 0; round < 250; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            saveForever(dir, records);
        }
        // The moment of the kill is what is random here; nothing waits for a result.
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "writer stopped by itself, status " << status;

        const std::optional<std::string> stored = store.data(Preferences::key);
        ASSERT_TRUE(stored.has_value()) << "document vanished in round " << round;
        ASSERT_TRUE(*stored == documents[0] || *stored == documents[1])
            << "torn document in round " << round << ", " << stored->size() << " bytes";
        const Preferences loaded = Preferences::load(store);
        ASSERT_TRUE(loaded == records[0] || loaded == records[1]);
    }
}

} // namespace
} // namespace spanlet
