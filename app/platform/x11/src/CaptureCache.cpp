#include "CaptureCache.hpp"

#include <algorithm>

#include <spanlet/HashCombine.hpp>

namespace spanlet::x11 {

std::size_t CaptureCache::KeyHash::operator()(const Key& k) const noexcept {
    return hashCombine(0, k.device.x(), k.device.y(), k.device.width(), k.device.height(),
                       k.displayFrame.x(), k.displayFrame.y(), k.displayFrame.width(),
                       k.displayFrame.height());
}

std::size_t CaptureCache::bytesOf(const PixelBuffer& p) {
    return p.pixels().size() * sizeof(RGBA);
}

const PixelBuffer* CaptureCache::find(const QRect& device, const QRect& displayFrame) {
    const auto found = entries_.find(Key{device, displayFrame});
    if (found == entries_.end()) {
        return nullptr;
    }
    found->second.lastUse = ++clock_;
    return &found->second.pixels;
}

void CaptureCache::keep(const QRect& device, const QRect& displayFrame, const QRect& target,
                        PixelBuffer pixels) {
    const std::size_t bytes = bytesOf(pixels);
    if (bytes > maxBytes) {
        return;
    }
    if (const auto old = entries_.find(Key{device, displayFrame}); old != entries_.end()) {
        bytes_ -= bytesOf(old->second.pixels);
        entries_.erase(old);
    }
    while (!entries_.empty() && bytes_ + bytes > maxBytes) {
        const auto oldest =
            std::min_element(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
                return a.second.lastUse < b.second.lastUse;
            });
        bytes_ -= bytesOf(oldest->second.pixels);
        entries_.erase(oldest);
    }
    bytes_ += bytes;
    entries_.emplace(Key{device, displayFrame}, Entry{target, std::move(pixels), ++clock_});
}

void CaptureCache::forget(const QRect& area) {
    std::erase_if(entries_, [&](const auto& e) {
        if (!e.second.target.intersects(area)) {
            return false;
        }
        bytes_ -= bytesOf(e.second.pixels);
        return true;
    });
}

void CaptureCache::clear() {
    entries_.clear();
    bytes_ = 0;
}

} // namespace spanlet::x11
