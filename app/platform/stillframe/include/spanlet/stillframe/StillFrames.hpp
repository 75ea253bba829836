#pragma once

#include <QImage>
#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/screen/ScreenCapture.hpp>
#include <spanlet/stillframe/FrameSource.hpp>

namespace spanlet::stillframe {

/// The still frame of every display while a measuring session shows one, kept in memory only,
/// and what waits for it. Main thread only.
class StillFrames {
public:
    /// One display's frame and the display as it was grabbed.
    struct Frame {
        ScreenInfo display;
        QImage image; ///< device pixels, opaque (Format_RGB32)
    };

    /// A grab is under way: what awaits the frame waits for it.
    void expect();
    /// The grab of `displays` gave `frames` (matched by display id).
    void set(const std::vector<ScreenInfo>& displays, const std::vector<DisplayFrame>& frames);
    /// The grab failed: what waits hears `message`.
    void refuse(const std::string& message);
    /// The session ended: the frame goes, and what waits hears so.
    void drop();

    /// The frame of display `id`, or null.
    [[nodiscard]] const Frame* frame(std::uint32_t id) const;
    /// Runs `then` once the frame is there (nothing) or will not come (why); always later on
    /// the main thread, never inside this call.
    void await(std::function<void(std::optional<ScreenCapture::Error>)> then);
    /// Runs `changed` once, later on the main thread, when the frame is next replaced, refused
    /// or dropped; empty: no longer. Until then what was read from it stays true.
    void watch(std::function<void()> changed);

private:
    void answer(const std::optional<ScreenCapture::Error>& outcome);
    void notifyWatcher();

    enum class State : std::uint8_t { none, expected, ready };
    State state_ = State::none;
    std::map<std::uint32_t, Frame> frames_;
    std::vector<std::function<void(std::optional<ScreenCapture::Error>)>> waiting_;
    std::function<void()> watcher_;
    QObject context_; ///< for posted calls
};

} // namespace spanlet::stillframe
