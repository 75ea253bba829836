#pragma once

#include <span>

namespace spanlet::Snap {

/// The candidate nearest to `value` when it lies at most `within` away (inclusive), otherwise
/// `value` unchanged. Of equally near candidates the first in `to` wins; candidates at an
/// undefined (NaN) distance are never chosen. All in the same unit, usually points.
double position(double value, std::span<const double> to, double within);

} // namespace spanlet::Snap
