#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include <spanlet/platform/DisplayPort.hpp>
#include <spanlet/platform/qt/QtScreenChanges.hpp>

class QScreen;

namespace spanlet::stillframe {

/// The displays as Qt's screens report them (QScreen::geometry() in global top-left points,
/// devicePixelRatio() as the scale), primary first. Where the desktop says a display's scale
/// is one Qt rounds (GNOME's fractional scales: Qt 6.4 draws at the next whole one), the
/// desktop's scale stands, so that pixels are counted as the screen has them. A display keeps its
/// id while its screen's name stays. On Wayland a client sees the pointer only over its own
/// windows: the pointer is where those windows last saw it (pointerSeen). Main thread only.
class ScreenDisplays final : public DisplayPort {
public:
    ScreenDisplays();
    ~ScreenDisplays() override;
    ScreenDisplays(const ScreenDisplays&) = delete;
    ScreenDisplays& operator=(const ScreenDisplays&) = delete;

    [[nodiscard]] std::vector<ScreenInfo> currentScreens() const override;
    [[nodiscard]] Point pointerLocation() const override { return pointer_; }
    [[nodiscard]] bool pointerKnown() const override { return seen_; }
    /// `handler` runs once per event-loop turn in which any screen was added, removed, made
    /// primary, moved, resized or changed its scale.
    void setScreensChangedHandler(std::function<void()> handler) override;
    void setPointerHandler(std::function<void(Point)> handler) override;

    /// One of our windows saw the pointer at `at` (global top-left points).
    void pointerSeen(Point at);
    /// The screen of display `id`, or null.
    [[nodiscard]] QScreen* screen(std::uint32_t id) const;

private:
    [[nodiscard]] std::uint32_t idOf(const QScreen& screen) const;
    void askDesktopScales();

    std::function<void()> changed_;
    std::function<void(Point)> pointerHandler_;
    Point pointer_;
    bool seen_ = false;
    mutable std::map<QString, std::uint32_t> ids_;        ///< by screen name, given out in order
    std::map<std::pair<int, int>, double> desktopScales_; ///< by origin, as the desktop says
    QtScreenChanges screenChanges_;                       ///< last: it calls into the members above
};

} // namespace spanlet::stillframe
