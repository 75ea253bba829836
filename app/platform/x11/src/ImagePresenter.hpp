#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <memory>
#include <vector>

namespace spanlet::overlayx11 {

/// A window's pixels, kept in an image of ours and put into the window through an X connection
/// of our own, bypassing Qt's backing store. A pointer move then costs one small request per
/// damaged rectangle: the image lives in memory shared with the X server (MIT-SHM), so no
/// pixel goes through the socket, and nothing waits for the server unless it is still reading
/// the previous frame when the next one is painted. Without MIT-SHM the pixels are sent.
///
/// Only for windows whose pixels are QImage::Format_ARGB32_Premultiplied as they are: a depth-32
/// TrueColor visual (what Qt gives a translucent window) in the host's byte order.
class ImagePresenter {
public:
    /// Nothing when `window` cannot take such pixels or no connection can be opened. Without
    /// `sharedMemory` the pixels are always sent, as when the server has no MIT-SHM.
    static std::unique_ptr<ImagePresenter> forWindow(std::uint32_t window,
                                                     bool sharedMemory = true);
    ~ImagePresenter();
    ImagePresenter(const ImagePresenter&) = delete;
    ImagePresenter& operator=(const ImagePresenter&) = delete;

    /// The image, `device` pixels large at `devicePixelRatio`, transparent when it had to be
    /// made anew (then `fresh` is set). Safe to paint on: the server has read what was put.
    QImage& frame(QSize device, double devicePixelRatio, bool& fresh);

    /// Gives the frame's memory back (a hidden panel needs none); the next frame() is fresh.
    void discardFrame() { release(); }

    /// Copies each rectangle of the frame (device pixels, window-local; clipped to the frame)
    /// to the same place in the window. False when the connection is gone: nothing was shown.
    bool present(const std::vector<QRect>& rects);

private:
    struct Shared;
    ImagePresenter(std::uint32_t window, std::uint32_t gc, bool sharedMemory);
    void release();
    void waitUntilRead();
    void putSent(const QRect& r);

    std::uint32_t window_;
    std::uint32_t gc_;
    QImage frame_;
    std::unique_ptr<Shared> shared_;  ///< frame_'s memory when shared with the server
    std::vector<unsigned char> rows_; ///< a rectangle's rows packed for one request
    bool sharedMemory_;
    bool unread_ = false; ///< a shared put the server may still be reading
};

} // namespace spanlet::overlayx11
