#include <string_view>

#include <spanlet/Commands.hpp>
#include <spanlet/NumberText.hpp>
#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/SceneBuilder.hpp>

namespace spanlet {

namespace {

/// Half-open: a point on the right or bottom edge belongs to the next display.
bool frameHolds(const Rect& frame, double x, double y) {
    return x >= frame.minX() && x < frame.maxX() && y >= frame.minY() && y < frame.maxY();
}

std::optional<Cross> localCross(const Cross& cross, const Rect& frame) {
    if (!frameHolds(frame, cross.pointerX, cross.pointerY)) {
        return std::nullopt;
    }
    return cross.offsetBy(-frame.x, -frame.y);
}

/// Where the gap labels' measuring lines sit: next to the pointer while editing on this
/// display, else a fixed 80 points in from the top (vertical gaps) or left (horizontal gaps).
double acrossFor(Axis axis, const SceneInput& input, const std::optional<Point>& pointer) {
    if (input.editingGuides && pointer) {
        return axis == Axis::horizontal ? pointer->x + 34 : pointer->y + 34;
    }
    return 80;
}

void addGuides(OverlayScene& scene, const ScreenInfo& screen, const SceneInput& input) {
    const Rect& frame = screen.frame;
    for (const Guide& guide : input.guides.guides) {
        const bool vertical = guide.axis == Axis::vertical;
        const double local = guide.position - (vertical ? frame.x : frame.y);
        const double extent = vertical ? frame.width : frame.height;
        if (local >= 0 && local <= extent) {
            scene.guides.push_back({guide.id, guide.axis, local,
                                    input.selectedGuide && *input.selectedGuide == guide.id});
        }
    }
}

void addGaps(OverlayScene& scene, const ScreenInfo& screen, const SceneInput& input) {
    const Rect& frame = screen.frame;
    const double factor = screen.scale.factor();
    const std::string_view symbol = spanlet::symbol(input.unit);
    for (const Axis axis : allCases<Axis>) {
        const bool vertical = axis == Axis::vertical;
        const double origin = vertical ? frame.x : frame.y;
        const double extent = vertical ? frame.width : frame.height;
        const double across = acrossFor(axis, input, scene.pointer);
        for (const Gap& gap : input.guides.gaps(axis)) {
            const double from = gap.from - origin;
            const double to = gap.to - origin;
            if (!(to > 0 && from < extent)) {
                continue;
            }
            const double length =
                input.unit == MeasureUnit::pixels ? gap.length() * factor : gap.length();
            std::string text = NumberText::string(length, 2);
            text += ' ';
            text += symbol;
            scene.gaps.push_back({axis, from, to, across, std::move(text)});
        }
    }
}

std::optional<std::string> messageFor(const SceneInput& input) {
    if (input.toast) {
        return input.toast;
    }
    if (input.snapping) {
        return input.captureProblem;
    }
    return std::nullopt;
}

} // namespace

SceneInput sceneInput(const Mensor& model) {
    SceneInput input;
    input.snapping = *model.snapping();
    const LiveFrame& frame = *model.tracking().liveFrame();
    // While snapping, what is drawn beside the pointer comes with the capture it belongs to.
    input.pointer = input.snapping ? frame.pointer : *model.tracking().pointer();
    input.pointerScreen = input.snapping ? frame.pointerScreen : *model.tracking().pointerScreen();
    input.editingGuides = *model.guides().editing();
    input.selectedGuide = *model.guides().selected();
    if (const std::optional<Toast>& toast = *model.messages().toast()) {
        input.toast = toast->text;
    }
    input.captureProblem = frame.captureProblem;
    input.live = frame.cross;
    for (const Pinned& pinned : *model.measurements().pinned()) {
        input.pinned.push_back(pinned.cross);
    }
    input.loupe = frame.loupe;
    const Preferences& prefs = *model.prefs();
    input.unit = prefs.unit;
    input.showGuides = prefs.showGuides;
    input.showGapLabels = prefs.showGapLabels;
    input.showLoupe = prefs.showLoupe;
    input.guides = prefs.guides;
    input.pickColorKeys = prefs.shortcuts.shortcut(MensorCommand::pickColor);
    return input;
}

OverlayScene buildScene(const ScreenInfo& screen, const SceneInput& input) {
    const Rect& frame = screen.frame;
    OverlayScene scene;
    scene.size = frame.size();
    scene.scale = screen.scale;
    scene.unit = input.unit;

    const bool pointerOnScreen = input.pointerScreen && *input.pointerScreen == screen.id;
    if (pointerOnScreen &&
        (input.snapping || input.picking || input.editingGuides || input.toast)) {
        scene.pointer = Point{input.pointer.x - frame.x, input.pointer.y - frame.y};
    }

    if (input.showGuides || input.editingGuides) {
        addGuides(scene, screen, input);
        if (input.showGapLabels) {
            addGaps(scene, screen, input);
        }
    }

    for (const Cross& cross : input.pinned) {
        if (std::optional<Cross> local = localCross(cross, frame)) {
            scene.pinned.push_back(*local);
        }
    }
    if (input.live) {
        scene.live = localCross(*input.live, frame);
    }

    // The sampler's loupe is the sampler itself: it shows whatever the preference says.
    if (pointerOnScreen && ((input.snapping && input.showLoupe) || input.picking)) {
        scene.loupe = input.loupe;
    }
    if (input.pickColorKeys && !input.picking) {
        scene.loupeHint = input.pickColorKeys->display() + " copies";
    }
    if (pointerOnScreen) {
        scene.message = messageFor(input);
    }
    scene.editing = pointerOnScreen && input.editingGuides;
    return scene;
}

namespace {

template <class T>
void observe(std::vector<Subscription>& into, const Observable<T>& field,
             const std::function<void()>& changed) {
    into.push_back(field.subscribe([changed](const T&) { changed(); }));
}

} // namespace

std::vector<Subscription> observeSceneInputs(const Mensor& model, std::function<void()> changed) {
    std::vector<Subscription> subscriptions;
    const std::function<void()> pointerMoved = [&model, changed] {
        if (!*model.snapping() &&
            (*model.guides().editing() || model.messages().toast()->has_value())) {
            changed();
        }
    };
    observe(subscriptions, model.prefs(), changed);
    observe(subscriptions, model.screens(), changed);
    observe(subscriptions, model.tracking().pointer(), pointerMoved);
    observe(subscriptions, model.tracking().pointerScreen(), pointerMoved);
    observe(subscriptions, model.guides().editing(), changed);
    observe(subscriptions, model.guides().selected(), changed);
    observe(subscriptions, model.snapping(), changed);
    observe(subscriptions, model.tracking().liveFrame(), changed);
    observe(subscriptions, model.measurements().pinned(), changed);
    observe(subscriptions, model.messages().toast(), changed);
    return subscriptions;
}

} // namespace spanlet
