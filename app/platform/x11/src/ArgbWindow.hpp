#pragma once

#include <cstdint>
#include <memory>

#include <spanlet/x11/OwnWindows.hpp>

class QObject;

namespace spanlet::x11 {

class SideConnection;

/// A window of ours above the panels, made on the side connection, not Qt's: Qt would answer
/// every move of a window of its own with round trips to find where it went. Override-redirect,
/// ARGB, filled with `background` (premultiplied) by the server, taking no input and asking
/// compositors for no shadow; in `own` from before it is ever shown until it is gone.
class ArgbWindow {
public:
    /// Nothing when the server has no 32-bit TrueColor visual or the connection is gone.
    static std::unique_ptr<ArgbWindow> make(SideConnection& side, std::shared_ptr<OwnWindows> own,
                                            std::uint32_t background);
    ~ArgbWindow();
    ArgbWindow(const ArgbWindow&) = delete;
    ArgbWindow& operator=(const ArgbWindow&) = delete;

    [[nodiscard]] std::uint32_t window() const noexcept { return window_; }
    [[nodiscard]] SideConnection& side() const noexcept { return side_; }

    /// Maps the window; true when it was not mapped before.
    bool map();
    /// Unmaps the window at once, if it is mapped.
    void unmap();
    [[nodiscard]] bool mapped() const noexcept { return mapped_; }

    /// Sends what is queued on the side connection when this turn of the event loop ends, once
    /// however often it is asked: moves then go with the panel's next picture, usually in the
    /// same turn, as one write and one wake-up of the server.
    void flushAtTurnEnd();

private:
    ArgbWindow(SideConnection& side, std::shared_ptr<OwnWindows> own, std::uint32_t window,
               std::uint32_t colormap);

    SideConnection& side_;
    std::shared_ptr<OwnWindows> own_;
    std::uint32_t window_;
    std::uint32_t colormap_;
    bool mapped_ = false;
    bool flushing_ = false;
    std::unique_ptr<QObject> context_; ///< for the flush at the turn's end
};

} // namespace spanlet::x11
