#pragma once

#include <optional>

#include <spanlet/Geometry.hpp>
#include <spanlet/ruler/RulerKeys.hpp>
#include <spanlet/ruler/RulerPointer.hpp>

namespace spanlet {

class Mensor;

/// The ruler's mouse and key handling carried out on the model, free of any toolkit: a press
/// starts a move or, in the grip zone, a resize; moves drag; a release after a double click
/// that was not dragged turns the ruler; keys as RulerKeys maps them. One per ruler panel.
/// Pointer positions are global top-left points; `local` ones are the panel's (points).
class RulerInput {
public:
    /// `model` must outlive this object.
    explicit RulerInput(Mensor& model) : model_(model) {}

    /// The length the ruler is shown at (points): its frame's extent along it. A stored length
    /// out of range (hand-edited) would otherwise swallow the first part of a drag.
    [[nodiscard]] static double shownLength(const Mensor& model);

    /// Whether `local` lies in the grip zone of the ruler as shown now.
    [[nodiscard]] bool inResizeZone(Point local) const;

    /// A left press at `pointer` with its click count (2 for the second press of a double
    /// click): a drag begins.
    void press(Point pointer, Point local, int clickCount);
    /// The pointer moved: the drag in progress, if any, follows it.
    void moved(Point pointer);
    /// The left button went up: the drag ends, and a double click that did not drag turns the
    /// ruler.
    void release();
    /// Carries out what `key` does; false for a key that is not the ruler's.
    bool key(RulerKey key, bool shift, bool alt);

    /// The drag in progress, from press to release.
    [[nodiscard]] const std::optional<RulerDrag>& drag() const noexcept { return drag_; }

private:
    Mensor& model_;
    std::optional<RulerDrag> drag_;
    bool dragged_ = false;
    int clickCount_ = 0;
};

} // namespace spanlet
