#include <spanlet/overlay/OverlayColors.hpp>
#include <spanlet/ruler/RulerColors.hpp>

namespace spanlet {

namespace {

// The marker shares the overlay's live-measurement colour, so it matches the live cross.
constexpr RulerColors kLight{{1.0, 0.97, 0.86, 0.96}, {0.16, 0.14, 0.10, 1}, OverlayColors::live};
constexpr RulerColors kDark{{0.17, 0.16, 0.15, 0.96}, {0.92, 0.92, 0.92, 1}, OverlayColors::live};

} // namespace

RulerColors RulerColors::forAppearance(bool dark) {
    return dark ? kDark : kLight;
}

} // namespace spanlet
