#pragma once

#include <functional>
#include <optional>
#include <variant>

#include <spanlet/EdgeDetector.hpp>
#include <spanlet/model/MensorRecords.hpp>
#include <spanlet/platform/CapturePort.hpp>
#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet::LiveMeasurement {

/// What one capture-and-measure step yields.
struct Result {
    Cross cross;
    std::optional<Loupe> loupe;
    friend bool operator==(const Result&, const Result&) = default;
};

/// Radius of the loupe patch in device pixels: 15 × 15 pixels around the pointer's pixel.
inline constexpr std::int64_t loupeRadius = 7;
/// Half the side of the captured loupe square, in points: the square is 17 × 17 points.
inline constexpr double loupeHalfSide = 8;

/// Captures the one-point row and column of `display` through `pointer` (global top-left
/// points), and with `showLoupe` the 17 × 17-point square around it, then measures the edges
/// on the pixel lines through the pointer's own device pixel. The pointer is kept inside the
/// display. The captures run at the same time; `done` runs once, after all of them answered,
/// with the measurement or with the first failure (loupe, then row, then column), including
/// noImage when the detector finds nothing or the pointer is not a usable number.
void measure(CapturePort& capture, const ScreenInfo& display, Point pointer,
             const ScreenCapture::Filter& filter, bool showLoupe, const EdgeOptions& options,
             std::function<void(CaptureResult<Result>)> done);

/// Captures only the loupe square around `pointer` and cuts the loupe from it, as measure()
/// does: the colour sampler's loupe. Fails with the capture's error, or noImage when the
/// pointer is not a usable number.
void loupe(CapturePort& capture, const ScreenInfo& display, Point pointer,
           const ScreenCapture::Filter& filter, std::function<void(CaptureResult<Loupe>)> done);

} // namespace spanlet::LiveMeasurement
