#include <algorithm>

#include <spanlet/x11/KeyRepeatFilter.hpp>

namespace spanlet {

bool KeyRepeatFilter::press(std::uint8_t keycode, std::uint32_t time) {
    const bool held = std::find(down_.begin(), down_.end(), keycode) != down_.end();
    const bool releasedJustNow =
        lastRelease_ && lastRelease_->keycode == keycode && lastRelease_->time == time;
    lastRelease_.reset();
    if (!held) {
        down_.push_back(keycode);
    }
    return !held && !releasedJustNow;
}

bool KeyRepeatFilter::release(std::uint8_t keycode, std::uint32_t time) {
    const auto at = std::find(down_.begin(), down_.end(), keycode);
    if (at == down_.end()) {
        return false;
    }
    down_.erase(at);
    lastRelease_ = Release{keycode, time};
    return true;
}

void KeyRepeatFilter::reset() {
    down_.clear();
    lastRelease_.reset();
}

} // namespace spanlet
