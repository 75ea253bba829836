#pragma once

#include <QImage>
#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <spanlet/platform/OverlayHost.hpp>
#include <spanlet/stillframe/FrameSource.hpp>

class QKeyEvent;

namespace spanlet::stillframe {

class FrameWindow;
class ScreenDisplays;
class StillFrames;

/// The overlay where no window can stay above the others and let clicks through: a measuring
/// session. While the overlay is shown in a mode that takes input (snapping, editing guides,
/// picking a colour), every display is grabbed once through the frame source and then shown in
/// a full-screen window of its own (FrameWindow) with the overlay painted over it; the windows
/// take the pointer and the keyboard. Shown while idle (kept measurements, a message) nothing
/// appears: a still frame would hide the live desktop. The session ends when the overlay is
/// hidden or idle: the windows hide and the frame goes.
///
/// F5 inside the session takes a fresh frame: the windows hide, every display is grabbed
/// again, and they come back with it.
class StillFrameHost final : public OverlayHost {
public:
    /// Tells the user why there is no frame (the desktop's words).
    using ShowRefusal = std::function<void(const std::string& message)>;
    /// A small message box.
    static void refusalBox(const std::string& message);

    /// `displays` and `frames` must outlive the host.
    StillFrameHost(ScreenDisplays& displays, StillFrames& frames,
                   std::unique_ptr<FrameSource> source, ShowRefusal showRefusal = refusalBox);
    ~StillFrameHost() override;
    StillFrameHost(const StillFrameHost&) = delete;
    StillFrameHost& operator=(const StillFrameHost&) = delete;

    void bind(OverlayPaint paint, OverlayInput* input) override;
    void rebuild(const std::vector<ScreenInfo>& screens) override;
    [[nodiscard]] double scale(std::uint32_t displayId) const override;
    [[nodiscard]] bool cutsToDrawing(std::uint32_t /*displayId*/) const override { return false; }
    void update(std::uint32_t displayId, const OverlayUpdate& changes) override;
    void setShown(bool shown) override;
    void setMode(OverlayInputMode mode) override;
    void setCursor(OverlayCursor cursor) override;
    /// A Qt popup menu over the display's window.
    void showMenu(Point at, std::vector<std::string> titles,
                  std::function<void(std::size_t)> chosen) override;
    [[nodiscard]] bool takesPointerWhileSnapping() const override { return true; }

    /// The display's window (for tests), or null.
    [[nodiscard]] FrameWindow* window(std::uint32_t displayId) const;
    /// Whether the session's windows show a frame.
    [[nodiscard]] bool showing() const noexcept { return state_ == State::showing; }

private:
    struct Panel;
    enum class State : std::uint8_t { off, grabbing, showing, refused };

    /// Starts or ends the session as the overlay's visibility and mode want.
    void settle();
    void grab();
    void arrived(unsigned generation, FrameResult result);
    void end();
    void refresh();
    void hideWindows();
    void key(std::uint32_t displayId, const QKeyEvent& event);
    [[nodiscard]] Panel* panelAt(Point at) const;

    ScreenDisplays& displays_;
    StillFrames& frames_;
    std::unique_ptr<FrameSource> source_;
    ShowRefusal showRefusal_;
    OverlayPaint paint_;
    OverlayInput* input_ = nullptr;
    std::vector<ScreenInfo> screens_;
    std::map<std::uint32_t, std::unique_ptr<Panel>> panels_;
    bool shown_ = false;
    OverlayInputMode mode_ = OverlayInputMode::idle;
    OverlayCursor cursor_ = OverlayCursor::arrow;
    State state_ = State::off;
    unsigned generation_ = 0;                              ///< of the grab whose answer counts
    std::shared_ptr<int> life_ = std::make_shared<int>(0); ///< for the source's late answers
    QObject context_;                                      ///< for posted calls
};

} // namespace spanlet::stillframe
