#include <cctype>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/GuideEditor.hpp>
#include <spanlet/platform/DisplayPort.hpp>
#include <spanlet/screen/Desktop.hpp>

namespace spanlet {

namespace GuideEditing {

namespace {

std::string lowered(std::string text) {
    for (char& ch : text) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    return text;
}

EditorKeyAction arrow(std::optional<Axis> selected, Axis axis, std::int64_t by) {
    if (selected == axis) {
        return {EditorKeyAction::Kind::nudge, by};
    }
    return {EditorKeyAction::Kind::consume, 0};
}

} // namespace

EditorKeyAction keyAction(const EditorKeyPress& press, std::optional<Axis> selectedAxis) {
    using Kind = EditorKeyAction::Kind;
    const std::int64_t step = press.shift ? 10 : 1;
    switch (press.key) {
    case EditorKey::returnKey:
    case EditorKey::enter:
    case EditorKey::escape:
        return {Kind::finish, 0};
    case EditorKey::tab:
        return {press.shift ? Kind::selectPrevious : Kind::selectNext, 0};
    case EditorKey::backtab:
        return {Kind::selectPrevious, 0};
    case EditorKey::deleteKey:
    case EditorKey::forwardDelete:
        return {Kind::removeSelected, 0};
    case EditorKey::left:
        return arrow(selectedAxis, Axis::vertical, -step);
    case EditorKey::right:
        return arrow(selectedAxis, Axis::vertical, step);
    case EditorKey::up:
        return arrow(selectedAxis, Axis::horizontal, -step);
    case EditorKey::down:
        return arrow(selectedAxis, Axis::horizontal, step);
    case EditorKey::other:
        break;
    }
    const std::string letter = lowered(press.text);
    if (letter == "v") {
        return {Kind::addVertical, 0};
    }
    if (letter == "h") {
        return {Kind::addHorizontal, 0};
    }
    if (letter == "u") {
        return {Kind::toggleUnit, 0};
    }
    return {Kind::pass, 0};
}

EditorCursor cursor(const std::optional<Guide>& hit) {
    if (!hit) {
        return EditorCursor::crosshair;
    }
    return hit->axis == Axis::vertical ? EditorCursor::resizeLeftRight : EditorCursor::resizeUpDown;
}

std::vector<EditorMenuEntry> menu(const std::optional<Guide>& hit, Point at) {
    using Action = EditorMenuEntry::Action;
    std::vector<EditorMenuEntry> entries;
    if (hit) {
        entries.push_back({Action::removeGuide, "Remove Guide", hit->id, at});
        entries.push_back({Action::separator, "", std::nullopt, at});
    }
    entries.push_back({Action::addVertical, "Add Vertical Guide Here", std::nullopt, at});
    entries.push_back({Action::addHorizontal, "Add Horizontal Guide Here", std::nullopt, at});
    entries.push_back({Action::separator, "", std::nullopt, at});
    entries.push_back({Action::clearGuides, "Clear Guides", std::nullopt, at});
    entries.push_back({Action::doneEditing, "Done Editing", std::nullopt, at});
    return entries;
}

bool removedOnRelease(const Guide& guide, const Rect& frame) {
    const bool vertical = guide.axis == Axis::vertical;
    const double low = vertical ? frame.minX() : frame.minY();
    const double high = vertical ? frame.maxX() : frame.maxY();
    return guide.position <= low + 1 || guide.position >= high - 1;
}

} // namespace GuideEditing

GuideEditor::GuideEditor(Mensor& model, const DisplayPort& displays, std::uint32_t screenId)
    : model_(model), displays_(displays), screenId_(screenId) {}

bool GuideEditor::claimsInput() const {
    return *model_.guides().editing();
}

std::optional<Guide> GuideEditor::hitAtPointer() const {
    const Point p = displays_.pointerLocation();
    return model_.prefs()->guides.hit(p.x, p.y, GuideEditing::hitTolerance);
}

const Guide* GuideEditor::guide(const Uuid& id) const {
    return model_.prefs()->guides.find(id);
}

EditorCursor GuideEditor::mouseMoved() const {
    if (!claimsInput()) {
        return EditorCursor::arrow;
    }
    return GuideEditing::cursor(hitAtPointer());
}

void GuideEditor::mouseDown() {
    const std::optional<Guide> hit = hitAtPointer();
    model_.guides().select(hit ? std::optional<Uuid>(hit->id) : std::nullopt);
    dragging_ = hit ? std::optional<Uuid>(hit->id) : std::nullopt;
    moved_ = false;
}

void GuideEditor::mouseDragged() {
    if (!dragging_) {
        return;
    }
    const Guide* g = guide(*dragging_);
    if (!g) {
        return;
    }
    const Point p = displays_.pointerLocation();
    const Uuid id = g->id;
    model_.guides().move(id, g->axis == Axis::vertical ? p.x : p.y);
    moved_ = true;
}

void GuideEditor::mouseUp() {
    const std::optional<Uuid> id = std::exchange(dragging_, std::nullopt);
    if (!moved_ || !id) {
        return;
    }
    const Guide* g = guide(*id);
    if (!g) {
        return;
    }
    const std::optional<ScreenInfo> under =
        Desktop::screen(displays_.pointerLocation(), *model_.screens());
    if (under && GuideEditing::removedOnRelease(*g, under->frame)) {
        model_.guides().remove(*id);
    }
}

std::vector<EditorMenuEntry> GuideEditor::contextMenu() const {
    const Point p = displays_.pointerLocation();
    return GuideEditing::menu(model_.prefs()->guides.hit(p.x, p.y, GuideEditing::hitTolerance), p);
}

void GuideEditor::perform(const EditorMenuEntry& entry) {
    using Action = EditorMenuEntry::Action;
    switch (entry.action) {
    case Action::removeGuide:
        if (entry.guide) {
            model_.guides().remove(*entry.guide);
        }
        break;
    case Action::addVertical:
        model_.guides().add(Axis::vertical, entry.at);
        break;
    case Action::addHorizontal:
        model_.guides().add(Axis::horizontal, entry.at);
        break;
    case Action::clearGuides:
        model_.guides().clear();
        break;
    case Action::doneEditing:
        model_.guides().finishEditing();
        break;
    case Action::separator:
        break;
    }
}

bool GuideEditor::keyDown(const EditorKeyPress& press) {
    std::optional<Axis> axis;
    const std::optional<Uuid> selected = *model_.guides().selected();
    if (selected) {
        if (const Guide* g = guide(*selected)) {
            axis = g->axis;
        }
    }
    const EditorKeyAction action = GuideEditing::keyAction(press, axis);
    using Kind = EditorKeyAction::Kind;
    switch (action.kind) {
    case Kind::finish:
        model_.guides().finishEditing();
        break;
    case Kind::selectNext:
        model_.guides().selectNext(true);
        break;
    case Kind::selectPrevious:
        model_.guides().selectNext(false);
        break;
    case Kind::removeSelected:
        if (selected) {
            model_.guides().remove(*selected);
        }
        break;
    case Kind::nudge:
        model_.guides().nudgeSelected(action.by);
        break;
    case Kind::addVertical:
        model_.guides().add(Axis::vertical);
        break;
    case Kind::addHorizontal:
        model_.guides().add(Axis::horizontal);
        break;
    case Kind::toggleUnit:
        model_.toggleUnit();
        break;
    case Kind::consume:
        break;
    case Kind::pass:
        return false;
    }
    return true;
}

} // namespace spanlet
