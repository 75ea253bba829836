#include "fakes/FakeDisplays.hpp"

#include <spanlet/screen/Desktop.hpp>

namespace spanlet::fakes {

Point FakeDisplays::pointerLocation() const {
    ++pointerReads;
    note(log, "pointer");
    return pointer;
}

void FakeDisplays::fireScreensChanged() {
    if (handler_) {
        handler_();
    }
}

ScreenInfo makeScreen(std::uint32_t id, Rect frame, double scale, double primaryHeight) {
    return Desktop::makeScreenInfo(id, frame, scale, primaryHeight);
}

} // namespace spanlet::fakes
