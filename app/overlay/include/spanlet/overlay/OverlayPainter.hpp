#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include <spanlet/Cross.hpp>
#include <spanlet/Geometry.hpp>
#include <spanlet/draw/DrawOps.hpp>
#include <spanlet/draw/LabelBox.hpp>
#include <spanlet/draw/TextMeasurer.hpp>
#include <spanlet/model/MensorRecords.hpp>
#include <spanlet/overlay/OverlayScene.hpp>

namespace spanlet {

/// Lays one overlay scene out as draw operations: geometry, colours, fonts and placement only;
/// what is shown was decided by the scene. Coordinates are the scene's local points.
class OverlayPainter {
public:
    /// Both are borrowed for the painter's lifetime.
    OverlayPainter(const OverlayScene& scene, const draw::TextMeasurer& measurer)
        : scene_(scene), measurer_(measurer) {}

    /// Where in a list the loupe's operations are: [first, last).
    struct Span {
        std::size_t first = 0;
        std::size_t last = 0;
    };

    /// The parts of a list that a host may show apart from the rest, as the window system's
    /// own moving surfaces.
    struct Parts {
        /// The loupe's operations (empty without one).
        Span loupe;
        /// The live measurement's vertical line: one opaque hairline operation of its own. What
        /// follows it in the list (its labels, the message) is placed beside it, so a host may
        /// show it above them.
        std::optional<std::size_t> column;
    };

    /// The whole scene, in paint order: unselected guides, selected guides, gap labels, kept
    /// measurements, the live one, the loupe, the message, the editing banner. Where `parts`
    /// is given, it is set to where they are.
    [[nodiscard]] draw::DrawList paint(Parts* parts = nullptr) const;

    void drawGuides(draw::DrawList& list, bool selected) const;
    void drawGapLabel(draw::DrawList& list, const OverlayScene::GapLabel& gap) const;
    /// The live cross's vertical line is an operation of its own, at the index returned.
    std::optional<std::size_t> drawCross(draw::DrawList& list, const Cross& cross,
                                         draw::Color color, bool live) const;
    /// `pointer` is the local pointer the loupe hangs beside.
    void drawLoupe(draw::DrawList& list, const Loupe& loupe, Point pointer) const;
    void drawMessage(draw::DrawList& list, const std::string& text) const;
    void drawEditingBanner(draw::DrawList& list) const;

    /// The banner shown while the guide editor is active.
    static const std::string editingBannerText;

private:
    Rect label(draw::DrawList& list, std::string text, Point at,
               const draw::LabelStyle& style) const;
    void drawDistanceLabels(draw::DrawList& list, const Cross& cross, double scale) const;
    void drawSizeLabel(draw::DrawList& list, const Cross& cross, double scale,
                       draw::Color color) const;

    const OverlayScene& scene_;
    const draw::TextMeasurer& measurer_;
};

/// OverlayPainter(scene, measurer).paint(parts).
draw::DrawList layoutOverlay(const OverlayScene& scene, const draw::TextMeasurer& measurer,
                             OverlayPainter::Parts* parts = nullptr);

} // namespace spanlet
