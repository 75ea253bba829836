#include <cmath>
#include <optional>

#include <spanlet/Snap.hpp>

namespace spanlet::Snap {

double position(double value, std::span<const double> to, double within) {
    std::optional<double> best;
    double bestDistance = 0;
    for (const double candidate : to) {
        const double distance = std::abs(value - candidate);
        if (std::isnan(distance)) {
            continue;
        }
        if (!best || distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best && bestDistance <= within ? *best : value;
}

} // namespace spanlet::Snap
