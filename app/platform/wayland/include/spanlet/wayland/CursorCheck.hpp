#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <spanlet/platform/CapturePort.hpp>

namespace spanlet::wayland {

/// Finds out once whether the compositor keeps our cursor out of screen copies. With a cursor
/// plane it does; without one (software cursors: pixman, some GPUs) the cursor is drawn into
/// the output, and every copy of the pixels under the pointer, the very ones we measure, holds
/// it. While snapping, a square around the still pointer is copied with no cursor, then again
/// with the crosshair up: the same pixels mean the crosshair may show while snapping ("shown");
/// different ones (a cursor, or a changing scene: the safe side) mean it may not ("hidden").
///
/// It is also the capture the model uses: the model's copies wait while the crosshair is up for
/// the check, and the crosshair goes up only once none of theirs is in flight, so no measurement
/// ever sees it.
class CursorCheck final : public CapturePort {
public:
    enum class Verdict { unknown, shown, hidden };

    /// Checks given up on before the verdict is "hidden": the pointer moved or went away while
    /// the crosshair was up, or a copy failed.
    static constexpr int mostTries = 3;

    /// `inner` (copies without our overlay) must outlive this object.
    explicit CursorCheck(CapturePort& inner) : inner_(inner) {}

    /// Runs when crosshair() changes because a copy landed (not inside pointerAt() or
    /// interrupt(), whose callers read crosshair() afterwards).
    void setChanged(std::function<void()> changed) { changed_ = std::move(changed); }

    /// While snapping, the pointer is at `at` (display-local points) over our overlay on
    /// display `displayId` of `scale` device pixels per point; a theme cursor is `cursorSize`
    /// points. A move spoils the check running. True when the pointer moved while there is no
    /// verdict: the caller is to say rested() once it has stayed there a while.
    [[nodiscard]] bool pointerAt(std::uint32_t displayId, Point at, double scale,
                                 double cursorSize);
    /// The pointer has not moved for a while: a check starts there, unless one is running.
    /// Only a still pointer can decide, and a check started on every move of a moving one is a
    /// copy thrown away each time.
    void rested();
    /// The crosshair may not show (not snapping, editing guides, or the pointer left us): a
    /// check running is spoilt.
    void interrupt();

    [[nodiscard]] Verdict verdict() const noexcept { return verdict_; }
    /// Whether the crosshair shows over the overlay while snapping: after "shown", and while
    /// the check has it up.
    [[nodiscard]] bool crosshair() const noexcept;

    void filter(std::uint32_t displayId,
                std::function<void(CaptureResult<ScreenCapture::Filter>)> done) override {
        inner_.filter(displayId, std::move(done));
    }
    void pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                std::function<void(CaptureResult<PixelBuffer>)> done) override;
    void setTrace(const std::function<void(const char* event)>& mark) override {
        inner_.setTrace(mark);
    }

private:
    enum class Step {
        idle,
        first,   ///< the copy without a cursor is out
        waiting, ///< it landed; the model's copies in flight finish before the crosshair goes up
        second,  ///< the crosshair is up and the copy with it is out
    };
    struct Held {
        ScreenCapture::Filter filter;
        Rect rect;
        double scale;
        std::function<void(CaptureResult<PixelBuffer>)> done;
    };

    /// Where the pointer last was while the crosshair could show.
    struct Place {
        std::uint32_t displayId = 0;
        Point at;
        double scale = 1;
        double cursorSize = 0;
        friend bool operator==(const Place&, const Place&) = default;
    };

    void start(const Place& place);
    void copy(std::function<void(std::optional<PixelBuffer>)> done);
    void firstLanded(std::optional<PixelBuffer> pixels);
    void showAndCopy();
    void secondLanded(std::optional<PixelBuffer> pixels);
    void spoil();
    /// A check ended without a verdict: counted when `counts`; then hidden past mostTries,
    /// else the next check starts where the pointer is.
    void ended(bool counts);
    void release();

    CapturePort& inner_;
    std::function<void()> changed_;
    Verdict verdict_ = Verdict::unknown;
    Step step_ = Step::idle;
    int tries_ = 0;
    bool spoilt_ = false; ///< the check running can no longer decide
    Place place_;         ///< of the check running
    std::optional<Place> latest_;
    bool resting_ = false; ///< rested() came since the pointer last moved
    ScreenCapture::Filter filter_;
    Rect square_;
    std::optional<PixelBuffer> first_;
    int inFlight_ = 0; ///< the model's copies out now
    std::vector<Held> held_;
};

} // namespace spanlet::wayland
