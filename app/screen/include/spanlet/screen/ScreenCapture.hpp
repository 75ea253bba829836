#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include <spanlet/Geometry.hpp>

namespace spanlet::ScreenCapture {

/// The tool's own capture errors, used where the platform gave no error of its own.
enum class Failure { noDisplay, noImage };

/// A capture failure as the caller sees it: ours, or the platform's own message.
struct Error {
    std::variant<Failure, std::string> reason;
    friend bool operator==(const Error&, const Error&) = default;
};

/// Platform state behind a filter (for X11: the display and a live view of our own windows).
class FilterHandle {
public:
    virtual ~FilterHandle() = default;
};

/// A reusable description of "this display, without our own windows".
struct Filter {
    std::uint32_t displayId = 0;
    std::shared_ptr<const FilterHandle> handle;
};

/// Output size in device pixels of a capture of `rect` (points) at `scale`: each side is
/// scale × length rounded half away from zero, at least 1. Non-finite input gives 1 × 1.
struct PixelSize {
    std::int64_t width = 1;
    std::int64_t height = 1;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};
PixelSize outputSize(const Rect& rect, double scale);

} // namespace spanlet::ScreenCapture
