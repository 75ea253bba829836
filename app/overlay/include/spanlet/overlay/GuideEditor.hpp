#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/Geometry.hpp>
#include <spanlet/Guides.hpp>
#include <spanlet/Uuid.hpp>
#include <spanlet/platform/OverlayHost.hpp>

namespace spanlet {

class Mensor;
class DisplayPort;

/// A key as the guide editor sees it, whatever toolkit delivered it.
using EditorKey = OverlayKey;
using EditorKeyPress = OverlayKeyPress;

/// What one key press does in the editor.
struct EditorKeyAction {
    enum class Kind {
        finish,
        selectNext,
        selectPrevious,
        removeSelected,
        nudge, ///< nudgeSelectedGuide(by)
        addVertical,
        addHorizontal,
        toggleUnit,
        consume, ///< taken, nothing happens (an arrow across the selected guide's axis)
        pass,    ///< not the editor's key
    };
    Kind kind = Kind::pass;
    std::int64_t by = 0;

    friend bool operator==(const EditorKeyAction&, const EditorKeyAction&) = default;
};

using EditorCursor = OverlayCursor;

/// One entry of the editor's context menu; `at` is the right click's pointer (global
/// top-left points), used by the add entries.
struct EditorMenuEntry {
    enum class Action {
        removeGuide,
        addVertical,
        addHorizontal,
        clearGuides,
        doneEditing,
        separator
    };
    Action action = Action::separator;
    std::string title;
    std::optional<Uuid> guide; ///< the guide "Remove Guide" removes
    Point at;

    friend bool operator==(const EditorMenuEntry&, const EditorMenuEntry&) = default;
};

/// The guide editor's decisions, free of any toolkit.
namespace GuideEditing {

/// How near (points) the pointer must be to a guide to hit it.
inline constexpr double hitTolerance = 5;

/// The key's effect; `selectedAxis` is the axis of the selected guide, if any. Shift makes
/// an arrow step 10 instead of 1; Left/Right only move a vertical guide, Up/Down a horizontal one.
EditorKeyAction keyAction(const EditorKeyPress& press, std::optional<Axis> selectedAxis);

/// The cursor over `hit` (the guide under the pointer, if any).
EditorCursor cursor(const std::optional<Guide>& hit);

/// The context menu for a right click at `at` over `hit`.
std::vector<EditorMenuEntry> menu(const std::optional<Guide>& hit, Point at);

/// Whether a dragged guide released at `guide.position` is dropped off the display `frame`
/// (global top-left points): within one point of the frame's edges on the guide's axis.
bool removedOnRelease(const Guide& guide, const Rect& frame);

} // namespace GuideEditing

/// The guide editor's input on one display: turns pointer and key input into the model's
/// guide operations. Pointer positions are always read from the display port (global
/// top-left points), never taken from events. Both references must outlive the editor.
class GuideEditor {
public:
    GuideEditor(Mensor& model, const DisplayPort& displays, std::uint32_t screenId);

    [[nodiscard]] std::uint32_t screenId() const noexcept { return screenId_; }
    /// Whether the editor takes pointer input at all: only while the model is editing guides.
    [[nodiscard]] bool claimsInput() const;

    /// The cursor to show; the arrow while not editing.
    [[nodiscard]] EditorCursor mouseMoved() const;
    void mouseDown();
    void mouseDragged();
    void mouseUp();
    /// The entries of a context menu opened now.
    [[nodiscard]] std::vector<EditorMenuEntry> contextMenu() const;
    void perform(const EditorMenuEntry& entry);
    /// Whether the key was taken.
    bool keyDown(const EditorKeyPress& press);

    [[nodiscard]] const std::optional<Uuid>& dragging() const noexcept { return dragging_; }

private:
    [[nodiscard]] std::optional<Guide> hitAtPointer() const;
    [[nodiscard]] const Guide* guide(const Uuid& id) const;

    Mensor& model_;
    const DisplayPort& displays_;
    std::uint32_t screenId_;
    std::optional<Uuid> dragging_;
    bool moved_ = false;
};

} // namespace spanlet
