#include "BandedRegion.hpp"

#include <algorithm>
#include <limits>

namespace spanlet::draw {

namespace {

/// Columns `left` to `right`, both included.
struct Span {
    int left;
    int right;
    friend bool operator==(const Span&, const Span&) = default;
};

/// The spans of `active` (sorted by left edge) merged: overlapping and touching ones join.
void mergeSpans(const std::vector<QRect>& active, std::vector<Span>& spans) {
    spans.clear();
    for (const QRect& r : active) {
        if (!spans.empty() && r.left() <= spans.back().right + 1) {
            spans.back().right = std::max(spans.back().right, r.right());
        } else {
            spans.push_back({r.left(), r.right()});
        }
    }
}

} // namespace

QRegion bandedRegion(std::vector<QRect> rects) {
    std::erase_if(rects, [](const QRect& r) { return r.isEmpty(); });
    if (rects.size() <= 1) {
        return rects.empty() ? QRegion() : QRegion(rects.front());
    }
    std::vector<int> edges;
    edges.reserve(rects.size() * 2);
    for (const QRect& r : rects) {
        edges.push_back(r.top());
        edges.push_back(r.bottom() + 1);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::sort(rects.begin(), rects.end(),
              [](const QRect& a, const QRect& b) { return a.top() < b.top(); });

    const auto byLeft = [](const QRect& a, const QRect& b) { return a.left() < b.left(); };
    std::vector<QRect> active; // rectangles crossing the current band, by left edge
    std::vector<QRect> result;
    std::vector<Span> spans;
    std::vector<Span> previous; // the spans of the band that ends at previousEnd
    std::size_t previousFirst = 0;
    int previousEnd = std::numeric_limits<int>::min();
    std::size_t next = 0;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const int top = edges[i];
        const int end = edges[i + 1]; // exclusive
        std::erase_if(active, [top](const QRect& r) { return r.bottom() < top; });
        // Those starting here, sorted among themselves, then merged in: linear in the band.
        const auto starting = active.size();
        for (; next < rects.size() && rects[next].top() <= top; ++next) {
            active.push_back(rects[next]);
        }
        const auto middle = active.begin() + static_cast<std::ptrdiff_t>(starting);
        std::sort(middle, active.end(), byLeft);
        std::inplace_merge(active.begin(), middle, active.end(), byLeft);
        if (active.empty()) {
            continue;
        }
        mergeSpans(active, spans);
        if (previousEnd == top && spans == previous) {
            for (std::size_t k = previousFirst; k < result.size(); ++k) {
                result[k].setBottom(end - 1);
            }
        } else {
            previousFirst = result.size();
            for (const Span& s : spans) {
                result.emplace_back(QPoint(s.left, top), QPoint(s.right, end - 1));
            }
            std::swap(previous, spans);
        }
        previousEnd = end;
    }
    QRegion region;
    region.setRects(result.data(), static_cast<int>(result.size()));
    return region;
}

} // namespace spanlet::draw
