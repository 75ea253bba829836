#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include <spanlet/RGBA.hpp>

namespace spanlet {

/// A row-major grid of pixels; row 0 is the top row of the captured image. Value semantics.
class PixelBuffer {
public:
    PixelBuffer() = default;
    /// Every pixel set to `fill`; a negative width or height is taken as 0.
    PixelBuffer(std::int64_t width, std::int64_t height, RGBA fill);
    /// `pixels` must hold width × height pixels; a mismatch yields an empty buffer.
    PixelBuffer(std::int64_t width, std::int64_t height, std::vector<RGBA> pixels);

    /// Builds a buffer from premultiplied RGBA bytes (4 per pixel, top row first), as the screen
    /// capture delivers them: colours under a partial alpha are un-premultiplied. Nothing when a
    /// dimension is below 1 or the byte count does not match.
    static std::optional<PixelBuffer> fromPremultipliedBytes(std::int64_t width,
                                                             std::int64_t height,
                                                             std::span<const std::uint8_t> bytes);
    /// The pixels as r, g, b, a bytes, row after row; empty for an empty buffer.
    [[nodiscard]] std::vector<std::uint8_t> bytes() const;

    [[nodiscard]] std::int64_t width() const noexcept { return width_; }
    [[nodiscard]] std::int64_t height() const noexcept { return height_; }
    [[nodiscard]] const std::vector<RGBA>& pixels() const noexcept { return pixels_; }

    [[nodiscard]] bool contains(std::int64_t x, std::int64_t y) const noexcept {
        return x >= 0 && x < width_ && y >= 0 && y < height_;
    }
    /// Callers check contains(x, y) first.
    [[nodiscard]] RGBA operator()(std::int64_t x, std::int64_t y) const noexcept {
        return pixels_[static_cast<std::size_t>(y * width_ + x)];
    }
    RGBA& operator()(std::int64_t x, std::int64_t y) noexcept {
        return pixels_[static_cast<std::size_t>(y * width_ + x)];
    }

    /// Row y left to right, valid while this buffer is unchanged; empty when y is out of range.
    [[nodiscard]] std::span<const RGBA> row(std::int64_t y) const;
    /// Column x top to bottom; empty when x is out of range or there are no rows.
    [[nodiscard]] std::vector<RGBA> column(std::int64_t x) const;
    /// The (2r + 1)² square centred on (centerX, centerY); positions outside this buffer are
    /// clear. A negative radius is taken as 0.
    [[nodiscard]] PixelBuffer patch(std::int64_t centerX, std::int64_t centerY,
                                    std::int64_t radius) const;

    friend bool operator==(const PixelBuffer&, const PixelBuffer&) = default;

private:
    std::int64_t width_ = 0;
    std::int64_t height_ = 0;
    std::vector<RGBA> pixels_;
};

} // namespace spanlet
