#include <algorithm>
#include <gtest/gtest.h>
#include <random>

#include <spanlet/wayland/DamageList.hpp>

namespace spanlet::wayland {
namespace {

bool inside(const PixelRect& r, const PixelRect& in) {
    return r.x >= in.x && r.y >= in.y && r.x + r.width <= in.x + in.width &&
           r.y + r.height <= in.y + in.height;
}

TEST(DamageList, joinsOverlapsAndKeepsEveryPixelWithinTheCap) {
    // The old and new place of a loupe that moved a little become one; strips apart stay apart.
    std::vector<PixelRect> list{{100, 100, 138, 138}, {0, 540, 1920, 1}};
    const PixelRect moved{104, 98, 138, 138};
    addDamage(list, {&moved, 1});
    EXPECT_EQ(list, (std::vector<PixelRect>{{100, 98, 142, 140}, {0, 540, 1920, 1}}));

    // Many thin strips, as a cross and its labels leave: never more than the cap, and every
    // rectangle added before or now lies within one of the list.
    std::mt19937 random(7);
    const auto any = [&random] {
        const int thin = 1 + static_cast<int>(random() % 2);
        const int long_ = 1 + static_cast<int>(random() % 300);
        return random() % 2 == 0
                   ? PixelRect{int(random() % 1900), int(random() % 1000), long_, thin}
                   : PixelRect{int(random() % 1900), int(random() % 1000), thin, long_};
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<PixelRect> damage;
        std::vector<PixelRect> all(30);
        std::generate(all.begin(), all.end(), any);
        addDamage(damage, all, 12);
        std::vector<PixelRect> more(20);
        std::generate(more.begin(), more.end(), any);
        addDamage(damage, more, 12);
        all.insert(all.end(), more.begin(), more.end());
        ASSERT_LE(damage.size(), 12U);
        for (const PixelRect& r : all) {
            ASSERT_TRUE(std::any_of(damage.begin(), damage.end(),
                                    [&](const PixelRect& d) { return inside(r, d); }))
                << "lost " << r.x << "," << r.y << " " << r.width << "x" << r.height;
        }
    }
}

} // namespace
} // namespace spanlet::wayland
