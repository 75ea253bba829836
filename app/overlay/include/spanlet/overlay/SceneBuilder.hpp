#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/Cross.hpp>
#include <spanlet/Geometry.hpp>
#include <spanlet/Guides.hpp>
#include <spanlet/Units.hpp>
#include <spanlet/Uuid.hpp>
#include <spanlet/model/MensorRecords.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/overlay/OverlayScene.hpp>
#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet {

class Mensor;

/// The model state an overlay scene is built from, copied once per rebuild so that every
/// display's scene is built from the same snapshot. Positions are global top-left points.
struct SceneInput {
    Point pointer;
    std::optional<std::uint32_t> pointerScreen;
    bool snapping = false;
    /// The colour sampler is open on the overlay: its loupe follows the pointer.
    bool picking = false;
    bool editingGuides = false;
    std::optional<Uuid> selectedGuide;
    std::optional<std::string> toast; ///< the message's text
    std::optional<std::string> captureProblem;
    std::optional<Cross> live;
    std::vector<Cross> pinned;
    std::optional<Loupe> loupe;
    MeasureUnit unit = MeasureUnit::points;
    bool showGuides = true;
    bool showGapLabels = true;
    bool showLoupe = true;
    GuideSet guides;
    /// The user's pickColor shortcut, named in the loupe's hint; none: no hint.
    std::optional<Shortcut> pickColorKeys = shortcut(MensorCommand::pickColor);
};

/// Reads the snapshot from the model's observed fields and preferences. While snapping, the
/// pointer and its display are those of the live frame.
SceneInput sceneInput(const Mensor& model);

/// The scene for `screen` from a snapshot. No side effects besides fresh gap-label ids.
OverlayScene buildScene(const ScreenInfo& screen, const SceneInput& input);

/// Subscribes `changed` to everything the scenes are built from, for an overlay that redraws
/// from observers alone. The pointer alone changes the scenes only while the guide editor is
/// active or a message shows: while snapping, the live frame brings the pointer with the
/// capture's results, so a move is drawn once, when its capture lands.
std::vector<Subscription> observeSceneInputs(const Mensor& model, std::function<void()> changed);

} // namespace spanlet
