#pragma once

#include <QRect>
#include <cstddef>
#include <cstdint>
#include <unordered_map>

#include <spanlet/PixelBuffer.hpp>

namespace spanlet::x11 {

/// Captures already read, kept until the server reports a change where they lie. A pointer
/// comes back to rows, columns and squares it has crossed before; serving those from here
/// spares a round trip to the server and the reading. Entries are found by the exact rect they
/// were read for; the least recently used go first once they hold `maxBytes` of pixels.
class CaptureCache {
public:
    static constexpr std::size_t maxBytes = std::size_t{16} << 20;

    /// The pixels read for `device` (root coordinates) on a display at `displayFrame`, while
    /// nothing under them has changed; null otherwise. Valid until the next call that changes
    /// the cache.
    [[nodiscard]] const PixelBuffer* find(const QRect& device, const QRect& displayFrame);
    /// Keeps `pixels`, read for `device` on a display at `displayFrame`; `target` is the part
    /// that shows something on the screen, the part a change must touch to drop them.
    void keep(const QRect& device, const QRect& displayFrame, const QRect& target,
              PixelBuffer pixels);
    /// Drops every entry that shows anything of `area` (root coordinates).
    void forget(const QRect& area);
    void clear();
    [[nodiscard]] bool empty() const noexcept { return entries_.empty(); }

private:
    struct Key {
        QRect device;
        QRect displayFrame;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept;
    };
    struct Entry {
        QRect target;
        PixelBuffer pixels;
        std::uint64_t lastUse = 0;
    };

    static std::size_t bytesOf(const PixelBuffer& p);

    std::unordered_map<Key, Entry, KeyHash> entries_;
    std::size_t bytes_ = 0;
    std::uint64_t clock_ = 0;
};

} // namespace spanlet::x11
