#include <algorithm>
#include <cstddef>
#include <cstdint>

#include <spanlet/wayland/DamageList.hpp>

namespace spanlet::wayland {

namespace {

std::int64_t area(const PixelRect& r) {
    return static_cast<std::int64_t>(r.width) * r.height;
}

PixelRect united(const PixelRect& a, const PixelRect& b) {
    const int x0 = std::min(a.x, b.x);
    const int y0 = std::min(a.y, b.y);
    const int x1 = std::max(a.x + a.width, b.x + b.width);
    const int y1 = std::max(a.y + a.height, b.y + b.height);
    return {x0, y0, x1 - x0, y1 - y0};
}

// Joins the two rectangles at i and j of `list` into their union.
void join(std::vector<PixelRect>& list, std::size_t i, std::size_t j) {
    list[i] = united(list[i], list[j]);
    list[j] = list.back();
    list.pop_back();
}

} // namespace

void addDamage(std::vector<PixelRect>& list, std::span<const PixelRect> rects, std::size_t most) {
    list.insert(list.end(), rects.begin(), rects.end());
    for (bool joined = true; joined;) {
        joined = false;
        for (std::size_t i = 0; i < list.size(); ++i) {
            for (std::size_t j = i + 1; j < list.size();) {
                if (area(united(list[i], list[j])) <= area(list[i]) + area(list[j])) {
                    join(list, i, j);
                    joined = true;
                } else {
                    ++j;
                }
            }
        }
    }
    if (list.size() <= most) {
        return;
    }
    // Each rectangle keeps its best partner among those after it, so that a join rescans only
    // the rectangles whose partner it changed, not every pair.
    const auto waste = [&list](std::size_t i, std::size_t j) {
        return area(united(list[i], list[j])) - area(list[i]) - area(list[j]);
    };
    struct Best {
        std::int64_t waste = INT64_MAX;
        std::size_t with = 0;
    };
    std::vector<Best> best(list.size());
    const auto rescan = [&](std::size_t i) {
        best[i] = {};
        for (std::size_t j = i + 1; j < list.size(); ++j) {
            if (const std::int64_t w = waste(i, j); w < best[i].waste) {
                best[i] = {w, j};
            }
        }
    };
    for (std::size_t i = 0; i < list.size(); ++i) {
        rescan(i);
    }
    while (list.size() > most) {
        const auto least =
            std::min_element(best.begin(), best.end(),
                             [](const Best& a, const Best& b) { return a.waste < b.waste; });
        const auto i = static_cast<std::size_t>(least - best.begin());
        const std::size_t j = least->with;
        list[i] = united(list[i], list[j]);
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(j));
        best.erase(best.begin() + static_cast<std::ptrdiff_t>(j));
        for (std::size_t k = 0; k < best.size(); ++k) {
            if (k == i || best[k].with == i || best[k].with == j) {
                rescan(k);
                continue;
            }
            if (best[k].with > j) {
                --best[k].with;
            }
            if (k < i) {
                if (const std::int64_t w = waste(k, i); w < best[k].waste) {
                    best[k] = {w, i};
                }
            }
        }
    }
}

} // namespace spanlet::wayland
