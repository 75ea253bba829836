#pragma once

#include <functional>
#include <memory>

#include <spanlet/platform/CapturePort.hpp>

namespace spanlet::wayland {

class WaylandConnection;
class ShmBuffers;

/// Capture through zwlr_screencopy_manager_v1.capture_output_region into wl_shm buffers that
/// are kept for the next capture. The copy is of the composited output, so it holds whatever
/// of ours is on it; leaving our overlay out is the overlay's business (it clears the captured
/// rectangles first). Completions run while the connection is dispatched.
class WaylandCapture final : public CapturePort {
public:
    /// `connection` must outlive this object and offer screencopy and wl_shm.
    explicit WaylandCapture(WaylandConnection& connection);
    ~WaylandCapture() override;
    WaylandCapture(const WaylandCapture&) = delete;
    WaylandCapture& operator=(const WaylandCapture&) = delete;

    void filter(std::uint32_t displayId,
                std::function<void(CaptureResult<ScreenCapture::Filter>)> done) override;
    void pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                std::function<void(CaptureResult<PixelBuffer>)> done) override;

    /// Marks when a copy is asked of the compositor ("asked") and when it is in our buffer
    /// ("copied"); the time between is the compositor's.
    void setTrace(const std::function<void(const char* event)>& trace) override { trace_ = trace; }

    /// wl_shm buffers made so far (the rest were reused).
    [[nodiscard]] std::size_t buffersMade() const;

private:
    struct Copy;
    WaylandConnection& connection_;
    std::unique_ptr<ShmBuffers> buffers_;
    /// Copies in flight; they go when they finish, or with this object.
    std::vector<std::unique_ptr<Copy>> copies_;
    std::shared_ptr<bool> alive_;
    std::function<void(const char*)> trace_;
};

} // namespace spanlet::wayland
