#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include <spanlet/x11/OverlaySurfaces.hpp>

namespace spanlet::x11 {

class SharedSegment;
class SideConnection;

/// A window's pixels, kept in memory of ours and put into the window through the side
/// connection. The memory is shared with the X server (MIT-SHM), so no pixel goes through the
/// socket, and nothing waits for the server unless it is still reading the previous frame when
/// the next one is painted. Without MIT-SHM the pixels are sent.
///
/// Only for windows whose pixels are premultiplied ARGB32 words as they are: a depth-32
/// TrueColor visual (what Qt gives a translucent window) in the host's byte order.
class ImagePresenter final : public SurfacePresenter {
public:
    /// Nothing when `window` cannot take such pixels or the connection is gone. Without
    /// `sharedMemory` the pixels are always sent, as when the server has no MIT-SHM.
    static std::unique_ptr<ImagePresenter>
    forWindow(SideConnection& connection, std::uint32_t window, bool sharedMemory = true);
    ~ImagePresenter() override;
    ImagePresenter(const ImagePresenter&) = delete;
    ImagePresenter& operator=(const ImagePresenter&) = delete;

    SurfaceFrame frame(int width, int height) override;
    void discardFrame() override { release(); }
    bool present(std::span<const DeviceRect> rects) override;

private:
    ImagePresenter(SideConnection& connection, std::uint32_t window, std::uint32_t gc,
                   bool sharedMemory);
    void release();
    void waitUntilRead();
    void putSent(const DeviceRect& r);
    [[nodiscard]] SurfaceFrame current(bool fresh);

    SideConnection& connection_;
    std::uint32_t window_;
    std::uint32_t gc_;
    int width_ = 0;
    int height_ = 0;
    std::uint8_t* bits_ = nullptr;          ///< the frame: shared_'s memory or owned_
    std::unique_ptr<SharedSegment> shared_; ///< the frame's memory when shared with the server
    std::vector<std::uint8_t> owned_;       ///< the frame's memory when it is sent
    std::vector<std::uint8_t> rows_;        ///< a rectangle's rows packed for one request
    bool sharedMemory_;
    bool unread_ = false;      ///< a shared put the server may still be reading
    unsigned int lastPut_ = 0; ///< sequence number of the last shared put
};

} // namespace spanlet::x11
