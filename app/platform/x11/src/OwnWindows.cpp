#include <spanlet/x11/OwnWindows.hpp>

namespace spanlet {

void OwnWindows::add(std::uint32_t window) {
    if (windows_.insert(window).second) {
        ++generation_;
    }
}

void OwnWindows::remove(std::uint32_t window) {
    if (windows_.erase(window) > 0) {
        ++generation_;
    }
}

bool OwnWindows::contains(std::uint32_t window) const {
    return windows_.count(window) > 0;
}

OwnWindows::Snapshot OwnWindows::snapshot() const {
    return {{windows_.begin(), windows_.end()}, generation_};
}

} // namespace spanlet
