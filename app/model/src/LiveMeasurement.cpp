#include <algorithm>
#include <cmath>
#include <memory>
#include <span>
#include <vector>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/model/LiveMeasurement.hpp>

namespace spanlet::LiveMeasurement {

namespace {

using Pixels = CaptureResult<PixelBuffer>;

const ScreenCapture::Error kNoImage{ScreenCapture::Failure::noImage};

/// Whether `value` is a whole-number-capable double that std::int64_t can hold.
bool fitsInt64(double value) {
    return std::isfinite(value) && value >= -9223372036854775808.0 && value < 9223372036854775808.0;
}

/// Everything a measurement needs once its captures have answered. Device-pixel positions are
/// on the display; the strip offsets say where each strip starts on it.
struct Job {
    ScreenInfo display;
    Point pointer;
    EdgeOptions options{0, 0};
    std::int64_t px = 0;         // pointer's device pixel column on the display
    std::int64_t py = 0;         // pointer's device pixel row on the display
    std::int64_t rowTop = 0;     // device row where the row strip starts
    std::int64_t columnLeft = 0; // device column where the column strip starts
    std::int64_t loupeLeft = 0;  // device column where the loupe square starts
    std::int64_t loupeTop = 0;
    bool showLoupe = false;
    int waiting = 0;
    std::optional<Pixels> row;
    std::optional<Pixels> column;
    std::optional<Pixels> loupe;
    std::function<void(CaptureResult<Result>)> done;
};

const ScreenCapture::Error* failureOf(const std::optional<Pixels>& pixels) {
    return pixels ? std::get_if<ScreenCapture::Error>(&*pixels) : nullptr;
}

/// The loupe cut from the captured square around the pointer's pixel (px, py); nothing when
/// that pixel is not in it.
std::optional<Loupe> cutLoupe(const PixelBuffer& square, std::int64_t cx, std::int64_t cy) {
    if (!square.contains(cx, cy)) {
        return std::nullopt;
    }
    return Loupe{square.patch(cx, cy, loupeRadius), SRGBColor::fromRGBA(square(cx, cy))};
}

CaptureResult<Result> finish(const Job& job) {
    if (const auto* error = failureOf(job.loupe)) {
        return *error;
    }
    if (const auto* error = failureOf(job.row)) {
        return *error;
    }
    if (const auto* error = failureOf(job.column)) {
        return *error;
    }
    const auto& row = std::get<PixelBuffer>(*job.row);
    const auto& column = std::get<PixelBuffer>(*job.column);

    std::optional<Loupe> loupe;
    if (job.loupe) {
        loupe = cutLoupe(std::get<PixelBuffer>(*job.loupe), job.px - job.loupeLeft,
                         job.py - job.loupeTop);
    }

    // A strip one point thick is several device pixels thick on a dense display: use the
    // pixel line that passes through the pointer's own pixel.
    const std::int64_t ri =
        std::max<std::int64_t>(0, std::min(job.py - job.rowTop, row.height() - 1));
    const std::int64_t ci =
        std::max<std::int64_t>(0, std::min(job.px - job.columnLeft, column.width() - 1));
    const std::span<const RGBA> rowPixels = row.row(ri);
    // A strip one pixel wide is its own column.
    std::vector<RGBA> columnCopy;
    if (column.width() != 1) {
        columnCopy = column.column(ci);
    }
    const std::span<const RGBA> columnPixels =
        column.width() == 1 ? std::span<const RGBA>(column.pixels()) : columnCopy;
    const std::int64_t x = std::min(job.px, static_cast<std::int64_t>(rowPixels.size()) - 1);
    const std::int64_t y = std::min(job.py, static_cast<std::int64_t>(columnPixels.size()) - 1);

    const auto m = EdgeDetector::measure(rowPixels, columnPixels, x, y, job.options);
    if (!m) {
        return kNoImage;
    }
    const Rect& frame = job.display.frame;
    return Result{m->cross(job.display.scale, job.pointer.x, job.pointer.y, frame.x, frame.y),
                  loupe};
}

void arrived(const std::shared_ptr<Job>& job) {
    if (--job->waiting == 0) {
        auto done = std::move(job->done);
        done(finish(*job));
    }
}

/// Where the pointer falls on a display: the strips and the loupe square to capture, in
/// display-local points, and the device pixels that locate the pointer's pixel in them.
struct Placement {
    double scale = 1;
    double column = 0; // local x of the column strip
    double row = 0;    // local y of the row strip
    Rect square;       // the loupe square, inside the display
    std::int64_t px = 0;
    std::int64_t py = 0;
    std::int64_t rowTop = 0;
    std::int64_t columnLeft = 0;
    std::int64_t loupeLeft = 0;
    std::int64_t loupeTop = 0;
};

std::optional<Placement> place(const ScreenInfo& display, Point pointer) {
    const Rect& frame = display.frame;
    const double s = display.scale.factor();
    const double w = frame.width;
    const double h = frame.height;
    // The pointer in display-local points, kept inside the display: at most 0.01 point short
    // of its right and bottom edges.
    const double lx = std::min(std::max(pointer.x - frame.x, 0.0), w - 0.01);
    const double ly = std::min(std::max(pointer.y - frame.y, 0.0), h - 0.01);
    const double column = std::floor(lx);
    const double row = std::floor(ly);
    const Rect square = Rect{column - loupeHalfSide, row - loupeHalfSide, 2 * loupeHalfSide + 1,
                             2 * loupeHalfSide + 1}
                            .intersection(Rect{0, 0, w, h});

    const double px = DevicePixels::index(lx, s);
    const double py = DevicePixels::index(ly, s);
    const double rowTop = DevicePixels::index(row, s);
    const double columnLeft = DevicePixels::index(column, s);
    const double loupeLeft = DevicePixels::nearest(square.minX(), s);
    const double loupeTop = DevicePixels::nearest(square.minY(), s);
    // NaN or absurd coordinates cannot come from a real display; they end as a failure
    // instead of reaching an integer conversion.
    for (double value : {px, py, rowTop, columnLeft, loupeLeft, loupeTop, w, h}) {
        if (!fitsInt64(value)) {
            return std::nullopt;
        }
    }
    return Placement{s,
                     column,
                     row,
                     square,
                     static_cast<std::int64_t>(px),
                     static_cast<std::int64_t>(py),
                     static_cast<std::int64_t>(rowTop),
                     static_cast<std::int64_t>(columnLeft),
                     static_cast<std::int64_t>(loupeLeft),
                     static_cast<std::int64_t>(loupeTop)};
}

} // namespace

void measure(CapturePort& capture, const ScreenInfo& display, Point pointer,
             const ScreenCapture::Filter& filter, bool showLoupe, const EdgeOptions& options,
             std::function<void(CaptureResult<Result>)> done) {
    const std::optional<Placement> at = place(display, pointer);
    if (!at) {
        done(kNoImage);
        return;
    }
    const double s = at->scale;
    const double column = at->column;
    const double row = at->row;
    const Rect square = at->square;
    const double w = display.frame.width;
    const double h = display.frame.height;

    auto job = std::make_shared<Job>();
    job->display = display;
    job->pointer = pointer;
    job->options = options;
    job->px = at->px;
    job->py = at->py;
    job->rowTop = at->rowTop;
    job->columnLeft = at->columnLeft;
    job->loupeLeft = at->loupeLeft;
    job->loupeTop = at->loupeTop;
    job->showLoupe = showLoupe;
    job->waiting = showLoupe ? 3 : 2;
    job->done = std::move(done);

    capture.pixels(filter, Rect{0, row, w, 1}, s, [job](Pixels result) {
        job->row = std::move(result);
        arrived(job);
    });
    capture.pixels(filter, Rect{column, 0, 1, h}, s, [job](Pixels result) {
        job->column = std::move(result);
        arrived(job);
    });
    if (showLoupe) {
        capture.pixels(filter, square, s, [job](Pixels result) {
            job->loupe = std::move(result);
            arrived(job);
        });
    }
}

void loupe(CapturePort& capture, const ScreenInfo& display, Point pointer,
           const ScreenCapture::Filter& filter, std::function<void(CaptureResult<Loupe>)> done) {
    const std::optional<Placement> at = place(display, pointer);
    if (!at) {
        done(kNoImage);
        return;
    }
    const std::int64_t cx = at->px - at->loupeLeft;
    const std::int64_t cy = at->py - at->loupeTop;
    capture.pixels(filter, at->square, at->scale,
                   [cx, cy, done = std::move(done)](CaptureResult<PixelBuffer> result) {
                       if (const auto* error = std::get_if<ScreenCapture::Error>(&result)) {
                           done(*error);
                       } else if (auto cut = cutLoupe(std::get<PixelBuffer>(result), cx, cy)) {
                           done(std::move(*cut));
                       } else {
                           done(kNoImage);
                       }
                   });
}

} // namespace spanlet::LiveMeasurement
