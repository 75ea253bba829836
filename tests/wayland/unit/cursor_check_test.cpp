#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <spanlet/wayland/CursorCheck.hpp>

namespace spanlet {
namespace {

using wayland::CursorCheck;
using Verdict = CursorCheck::Verdict;

// Copies wait until the test lands them; a log keeps the order of copies asked and cursor changes.
class FakeCapture final : public CapturePort {
public:
    explicit FakeCapture(std::vector<std::string>& log) : log_(log) {}

    void filter(std::uint32_t displayId,
                std::function<void(CaptureResult<ScreenCapture::Filter>)> done) override {
        done(ScreenCapture::Filter{displayId, nullptr});
    }
    void pixels(const ScreenCapture::Filter& /*filter*/, const Rect& rect, double /*scale*/,
                std::function<void(CaptureResult<PixelBuffer>)> done) override {
        log_.push_back("asked " + std::to_string(static_cast<int>(rect.width)));
        copies_.push_back(std::move(done));
    }

    [[nodiscard]] std::size_t out() const { return copies_.size(); }
    /// Lands the oldest copy out with `result`.
    void land(CaptureResult<PixelBuffer> result) {
        auto done = std::move(copies_.at(0));
        copies_.erase(copies_.begin());
        done(std::move(result));
    }

private:
    std::vector<std::string>& log_;
    std::vector<std::function<void(CaptureResult<PixelBuffer>)>> copies_;
};

const PixelBuffer plain(48, 48, RGBA{10, 20, 30, 255});
const PixelBuffer withCursor(48, 48, RGBA{0, 0, 0, 255});
const ScreenCapture::Error failed{ScreenCapture::Failure::noImage};
constexpr Point here{100, 100};
constexpr Point there{101, 100};

struct Fixture {
    Fixture() {
        check.setChanged([this] { log.push_back(check.crosshair() ? "up" : "down"); });
    }
    void modelCopy() {
        check.pixels({1, nullptr}, {0, 0, 5, 1}, 1, [this](auto) { log.push_back("model got"); });
    }
    std::vector<std::string> log;
    FakeCapture inner{log};
    CursorCheck check{inner};
};

// Once the pointer rests, a square twice the cursor's size is copied without a cursor, then with
// the crosshair up: the same pixels keep it up for good, different ones take it down. A move or a
// failed copy while it is up decides nothing; after a failed one the next check starts at once,
// after a move once the pointer rests again.
TEST(CursorCheck, decidesFromTwoCopiesOfTheStillPointer) {
    struct Case {
        const char* name;
        CaptureResult<PixelBuffer> second;
        bool moved;
        Verdict verdict;
        bool crosshair;
        std::size_t out; ///< copies out afterwards: the next check's
    };
    const Case cases[] = {
        {"same", plain, false, Verdict::shown, true, 0},
        {"different", withCursor, false, Verdict::hidden, false, 0},
        {"failed", failed, false, Verdict::unknown, false, 1},
        {"moved", plain, true, Verdict::unknown, false, 0},
    };
    for (const Case& k : cases) {
        Fixture f;
        EXPECT_TRUE(f.check.pointerAt(1, here, 2, 24)) << k.name;
        EXPECT_EQ(f.inner.out(), 0U) << k.name << ": a moving pointer is not copied";
        f.check.rested();
        ASSERT_EQ(f.log, std::vector<std::string>{"asked 48"}) << k.name;
        EXPECT_FALSE(f.check.crosshair()) << k.name;
        f.inner.land(plain);
        EXPECT_TRUE(f.check.crosshair()) << k.name;
        if (k.moved) {
            EXPECT_TRUE(f.check.pointerAt(1, there, 2, 24)) << k.name;
            EXPECT_FALSE(f.check.crosshair()) << k.name << ": down at once";
        }
        f.inner.land(k.second);
        EXPECT_EQ(f.check.verdict(), k.verdict) << k.name;
        EXPECT_EQ(f.check.crosshair(), k.crosshair) << k.name;
        EXPECT_EQ(f.inner.out(), k.out) << k.name;
    }
}

// A move before the crosshair went up costs no try, and the next check starts once the pointer
// rests, though that be while the spoilt check's copy is out; failed copies do cost a try, and
// the third settles on no cursor, after which a move asks for no rest. Interrupted, no check runs
// until the pointer is back and rests.
TEST(CursorCheck, settlesOnHiddenAfterThreeFailedTries) {
    Fixture f;
    (void)f.check.pointerAt(1, here, 1, 24);
    f.check.rested();
    (void)f.check.pointerAt(1, there, 1, 24);
    f.inner.land(plain);
    EXPECT_EQ(f.inner.out(), 0U);
    (void)f.check.pointerAt(1, here, 1, 24);
    f.check.rested();
    (void)f.check.pointerAt(1, there, 1, 24);
    f.check.rested(); // while the spoilt check's copy is out
    f.inner.land(plain);
    EXPECT_EQ(f.inner.out(), 1U) << "restarted where the pointer rests";
    for (int i = 0; i < CursorCheck::mostTries; ++i) {
        ASSERT_EQ(f.check.verdict(), Verdict::unknown) << i;
        ASSERT_EQ(f.inner.out(), 1U) << i;
        f.inner.land(failed);
    }
    EXPECT_EQ(f.check.verdict(), Verdict::hidden);
    EXPECT_EQ(f.inner.out(), 0U);
    EXPECT_FALSE(f.check.pointerAt(1, here, 1, 24));

    Fixture g;
    (void)g.check.pointerAt(1, here, 1, 24);
    g.check.rested();
    g.check.interrupt();
    g.inner.land(plain);
    g.check.rested();
    EXPECT_EQ(g.inner.out(), 0U);
    EXPECT_TRUE(g.check.pointerAt(1, here, 1, 24));
    g.check.rested();
    EXPECT_EQ(g.inner.out(), 1U);
}

// The crosshair goes up only when none of the model's copies is out, and the model's copies asked
// for meanwhile wait until it is down again.
TEST(CursorCheck, keepsTheModelsCopiesAwayFromTheCrosshair) {
    Fixture f;
    (void)f.check.pointerAt(1, here, 1, 24);
    f.check.rested();
    f.modelCopy();
    f.inner.land(plain); // the check's first
    f.modelCopy();
    EXPECT_FALSE(f.check.crosshair());
    f.inner.land(plain); // the model's first
    f.inner.land(withCursor);
    const std::vector<std::string> expected{"asked 48", "asked 5", "model got", "up",
                                            "asked 48", "down",    "asked 5"};
    EXPECT_EQ(f.log, expected);
}

} // namespace
} // namespace spanlet
