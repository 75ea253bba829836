#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet::stillframe {

/// One display's picture at one device pixel per pixel, its top-left at the display's origin.
struct DisplayFrame {
    std::uint32_t displayId = 0;
    QImage image;
};

/// Why no frame came, in the desktop's words.
struct FrameRefusal {
    enum class Kind : std::uint8_t {
        /// This way of capturing does not work here (no such service, it failed): try the next.
        unavailable,
        /// The user or the desktop said no: ask no other way.
        refused,
    };
    Kind kind = Kind::unavailable;
    std::string message;
};

/// Every display's frame, or why there is none.
using FrameResult = std::variant<std::vector<DisplayFrame>, FrameRefusal>;

/// One way of taking a still frame of every display. Main thread only.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    /// Captures each of `displays` once; `done` runs later on the main thread, never inside
    /// the call, with one frame per display in the order given.
    virtual void grab(const std::vector<ScreenInfo>& displays,
                      std::function<void(FrameResult)> done) = 0;
};

/// The first of `sources` that captures: each is tried in order while the one before is
/// unavailable; a refusal ends the search. With no source left, the last refusal stands.
class FirstFrameSource final : public FrameSource {
public:
    explicit FirstFrameSource(std::vector<std::unique_ptr<FrameSource>> sources);
    void grab(const std::vector<ScreenInfo>& displays,
              std::function<void(FrameResult)> done) override;

private:
    void tryFrom(std::size_t index, const std::vector<ScreenInfo>& displays,
                 std::function<void(FrameResult)> done, FrameRefusal last);

    std::vector<std::unique_ptr<FrameSource>> sources_;
};

} // namespace spanlet::stillframe
