#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <spanlet/platform/CapturePort.hpp>
#include <spanlet/x11/OwnWindows.hpp>
#include <spanlet/x11/X11DisplayPort.hpp>

class QObject;
class QSocketNotifier;
class QTimer;

namespace spanlet {

namespace x11 {
class CaptureConnection;
}

/// Capture that leaves Spanlet's own windows out, on X11.
///
/// Construct it before any window of ours is shown: it opens a dedicated X connection that
/// redirects every top-level window into off-screen storage (Composite, automatic mode) and
/// keeps it open for its whole life. A capture then reads, for every pixel of the rect, the
/// contents of the topmost window there that is not ours, and the wallpaper (_XROOTPMAP_ID)
/// where no window is. The captures asked for in one turn of the event loop (a row, a column and
/// a loupe) are read together on the next turn (a pointer move's right after it is handed
/// over), in one round trip on that connection, and complete there. Captures read are kept and
/// served again until the server reports a change under them (where it has DAMAGE), and dropped a
/// few seconds after the last capture unless changes are being watched.
class X11Capture final : public CapturePort {
public:
    struct Options {
        /// Runs between planning a capture and reading it. For tests.
        std::function<void()> beforeRead;
    };

    /// `displays` must outlive this object. Main thread.
    explicit X11Capture(const X11DisplayPort& displays, Options options = {});
    ~X11Capture() override;
    X11Capture(const X11Capture&) = delete;
    X11Capture& operator=(const X11Capture&) = delete;

    /// The windows every capture leaves out (top-level QWindows' winId()), through filters
    /// already made too.
    [[nodiscard]] std::shared_ptr<OwnWindows> ownWindows() const { return ownWindows_; }

    /// The pointer in root coordinates (device pixels), read where the captures that follow
    /// it are read: its answer brings the server's news they are checked against, so that
    /// asking for that news costs nothing more. Nothing where captures cannot work.
    [[nodiscard]] std::optional<Point> queryPointer();
    /// Runs `ask`, and then reads the captures it asked for at once, in this turn of the event
    /// loop: a turn and the post that wakes it are spared. Still after the calls that asked.
    void readAfter(const std::function<void()>& ask);

    void filter(std::uint32_t displayId,
                std::function<void(CaptureResult<ScreenCapture::Filter>)> done) override;
    void pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                std::function<void(CaptureResult<PixelBuffer>)> done) override;
    /// Watches the windows the last batch read, and the stack, through the server's DAMAGE
    /// reports on the capture's connection; nothing wakes while nothing changes.
    bool watchChanges(std::function<void()> changed) override;

private:
    struct Batch;
    /// Reads the captures asked for so far, as one batch, and completes them.
    void sendBatch();
    /// The server has news: the watcher hears of it if it touches the last batch.
    void takeNews();
    /// The watcher hears of a change, once.
    void hearChange();

    const X11DisplayPort& displays_;
    std::shared_ptr<OwnWindows> ownWindows_;
    std::function<void()> beforeRead_;
    std::unique_ptr<QObject> mainThread_;
    std::unique_ptr<Batch> batch_; // main thread only
    std::unique_ptr<x11::CaptureConnection> connection_;
    std::unique_ptr<QTimer> idle_; ///< drops the kept captures once they go unused
    bool readingAfter_ = false;    ///< inside readAfter: nothing to post
    std::function<void()> changed_;
    std::unique_ptr<QSocketNotifier> news_; ///< made on the first watch
};

} // namespace spanlet
