#include <chrono>
#include <csignal>
#include <cstdlib>
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

// Two records that differ throughout and are long enough (tens of kilobytes) that a write
// takes several system calls: a torn file would be a mix or a prefix of them.
Preferences recordA() {
    Preferences p;
    for (int i = 0; i < 400; ++i) {
        p.guides.add(Axis::vertical, i * 3.0, DisplayScale::standard);
    }
    p.rulerX = 10;
    p.rulerY = 20;
    return p;
}

Preferences recordB() {
    Preferences p;
    p.unit = MeasureUnit::pixels;
    p.welcomed = true;
    for (int i = 0; i < 300; ++i) {
        p.recentColors.emplace_back(i / 300.0, 0.5, 1 - i / 300.0, 1);
    }
    return p;
}

// The child: saves A and B alternately until it is killed. Tells the parent through `ready`
// once the first save has completed. Never returns. The records come from the parent (guide
// ids are random, so the child must not make its own).
[[noreturn]] void saveForever(const std::filesystem::path& configHome, int ready,
                              const Preferences (&records)[2]) {
    ::setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    FileDefaultsStore store(FileDefaultsStore::defaultDirectory());
    for (unsigned long i = 0;; ++i) {
        if (!records[i % 2].save(store)) {
            ::_exit(3);
        }
        if (i == 0) {
            const char byte = 1;
            if (::write(ready, &byte, 1) != 1) {
                ::_exit(4);
            }
            ::close(ready);
        }
    }
}

// Whether the child has reported its first completed save (non-blocking once it is dead).
bool firstSaveReported(int ready) {
    char byte = 0;
    return ::read(ready, &byte, 1) == 1;
}

TEST(FileDefaultsStoreCrashTest, KilledWriterLeavesOldOrNewDocumentNeverATornOne) {
    testing::TempDir tmp;
    const std::filesystem::path dir = tmp.path() / "spanlet";
    const Preferences records[2] = {recordA(), recordB()};
    const std::string documentA = encode(records[0]);
    const std::string documentB = encode(records[1]);
    ASSERT_NE(documentA, documentB);

    std::random_device seeder;
    const unsigned seed = seeder();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMicroseconds(0, 5000);

    constexpr int kKills = 250;
    bool everSaved = false;
    int sawA = 0;
    int sawB = 0;
    for (int round = 0; round < kKills; ++round) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            saveForever(tmp.path(), pipeFds[1], records);
        }
        ::close(pipeFds[1]);

        // The moment of the kill is what is random here; nothing waits for a result.
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "writer stopped by itself, status " << status;
        everSaved = firstSaveReported(pipeFds[0]) || everSaved;
        ::close(pipeFds[0]);

        const FileDefaultsStore store(dir);
        const std::optional<std::string> stored = store.data(Preferences::key);
        if (!stored) {
            ASSERT_FALSE(everSaved) << "document vanished in round " << round;
            continue;
        }
        everSaved = true;
        ASSERT_TRUE(*stored == documentA || *stored == documentB)
            << "torn document in round " << round << ", " << stored->size() << " bytes";
        const Preferences loaded = Preferences::load(store);
        (loaded == records[0] ? sawA : sawB) += 1;
        ASSERT_TRUE(loaded == records[0] || loaded == records[1]);
    }
    RecordProperty("documentA", sawA);
    RecordProperty("documentB", sawB);
}

} // namespace
} // namespace spanlet
