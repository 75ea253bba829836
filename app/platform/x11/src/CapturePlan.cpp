#include "CapturePlan.hpp"

#include <algorithm>

namespace spanlet::x11 {

Plan planCapture(const QRect& target, std::span<const Layer> layersTopFirst) {
    Plan plan;
    QRegion remaining(target);
    for (std::size_t i = 0; i < layersTopFirst.size() && !remaining.isEmpty(); ++i) {
        const Layer& layer = layersTopFirst[i];
        QRegion visible = remaining.intersected(layer.area);
        if (visible.isEmpty()) {
            continue;
        }
        plan.pieces.push_back({i, std::move(visible)});
        if (!layer.translucent) {
            remaining -= layer.area;
        }
    }
    std::reverse(plan.pieces.begin(), plan.pieces.end());
    plan.uncovered = remaining;
    return plan;
}

} // namespace spanlet::x11
