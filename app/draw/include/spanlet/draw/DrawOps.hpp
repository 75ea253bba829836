#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <spanlet/Geometry.hpp>
#include <spanlet/PixelBuffer.hpp>

/// Draw operations: what the overlay and ruler layouts produce and a painting backend executes,
/// in list order (later operations cover earlier ones). All coordinates are points in the
/// canvas's local space (origin top-left, y down); the backend maps points to device pixels.
namespace spanlet::draw {

/// A non-linear sRGB colour, components 0–1, with an opacity 0–1 (not premultiplied).
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double opacity = 1;

    [[nodiscard]] constexpr Color withOpacity(double o) const { return {red, green, blue, o}; }
    static constexpr Color white() { return {1, 1, 1, 1}; }
    static constexpr Color black(double o = 1) { return {0, 0, 0, o}; }

    friend bool operator==(const Color&, const Color&) = default;
};

/// Starts a new subpath at `point`.
struct MoveTo {
    Point point;
    friend bool operator==(const MoveTo&, const MoveTo&) = default;
};

/// A straight segment from the current point to `point`.
struct LineTo {
    Point point;
    friend bool operator==(const LineTo&, const LineTo&) = default;
};

/// A closed axis-aligned rectangle subpath.
struct RectShape {
    Rect rect;
    friend bool operator==(const RectShape&, const RectShape&) = default;
};

/// A closed rounded-rectangle subpath; `continuousCorners` asks for a smooth (squircle-like)
/// corner curve instead of circular arcs. A backend without one may draw circular arcs.
struct RoundedRectShape {
    Rect rect;
    double cornerRadius = 0;
    bool continuousCorners = true;
    friend bool operator==(const RoundedRectShape&, const RoundedRectShape&) = default;
};

using PathElement = std::variant<MoveTo, LineTo, RectShape, RoundedRectShape>;

/// A path of subpaths. Filled with the non-zero winding rule, antialiased.
struct Path {
    std::vector<PathElement> elements;

    Path& moveTo(Point p);
    Path& lineTo(Point p);
    /// moveTo(from) then lineTo(to).
    Path& addLine(Point from, Point to);
    Path& addRect(const Rect& r);
    Path& addRoundedRect(const Rect& r, double cornerRadius, bool continuousCorners = true);

    static Path rect(const Rect& r);
    static Path roundedRect(const Rect& r, double cornerRadius, bool continuousCorners = true);

    /// Smallest rect holding every point and shape; nothing for an empty path.
    [[nodiscard]] std::optional<Rect> bounds() const;
    /// Moves every point and shape by (dx, dy).
    Path& translate(double dx, double dy);
    /// A copy moved by (dx, dy).
    [[nodiscard]] Path translated(double dx, double dy) const;

    friend bool operator==(const Path&, const Path&) = default;
};

struct FillRect {
    Rect rect;
    Color color;
    friend bool operator==(const FillRect&, const FillRect&) = default;
};

/// Fills `rect` with `pixels` magnified: each pixel an equal cell of it, row by row from the
/// top, edge to edge and unsmoothed (a loupe's magnified pixels). Colours are straight RGBA.
struct FillPixels {
    Rect rect;
    PixelBuffer pixels;
    friend bool operator==(const FillPixels&, const FillPixels&) = default;
};

struct FillPath {
    Path path;
    Color color;
    friend bool operator==(const FillPath&, const FillPath&) = default;
};

/// Strokes centred on the path, butt caps, miter joins. A `hairline` is crisp instead: each of
/// its axis-aligned segments covers whole device pixels, as many as the width rounds to (at
/// least one), from the pixel that holds its coordinate; its ends move to the nearest pixel
/// boundary. Lines that mark pixels (crosses, guides, ticks) are hairlines.
struct StrokePath {
    Path path;
    Color color;
    double lineWidth = 1;
    bool hairline = false;
    friend bool operator==(const StrokePath&, const StrokePath&) = default;
};

/// Fills `path` and, beneath that fill only, its drop shadow: the same shape in `shadowColor`,
/// moved by `shadowOffset` and blurred so that it spreads at most `blurRadius` points beyond
/// the moved shape (normal blend mode).
struct FillPathWithShadow {
    Path path;
    Color color;
    Color shadowColor;
    double blurRadius = 0;
    Point shadowOffset;
    friend bool operator==(const FillPathWithShadow&, const FillPathWithShadow&) = default;
};

enum class FontWeight { regular, medium, semibold, bold };

/// The system UI font at `size` points.
struct FontChoice {
    double size = 13;
    FontWeight weight = FontWeight::regular;
    bool monospacedDigits = false; ///< tabular figures, so numbers do not jitter as they change
    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

/// One line of text, already measured by the layout's TextMeasurer as `size`. Its box is
/// placed so that the unit point `anchor` of the box ((0, 0) top-left, (0.5, 0.5) centre,
/// (1, 1) bottom-right) lies on `position`: origin = position − anchor × size.
struct DrawText {
    std::string text;
    FontChoice font;
    Point position;
    Point anchor{0.5, 0.5};
    Size size;
    Color color;

    [[nodiscard]] Rect box() const {
        return {position.x - anchor.x * size.width, position.y - anchor.y * size.height, size.width,
                size.height};
    }
    friend bool operator==(const DrawText&, const DrawText&) = default;
};

/// Intersects the current clip with `path` until the matching PopClip. Clips nest.
struct PushClip {
    Path path;
    friend bool operator==(const PushClip&, const PushClip&) = default;
};

struct PopClip {
    friend bool operator==(const PopClip&, const PopClip&) = default;
};

using DrawOp = std::variant<FillRect, FillPixels, FillPath, StrokePath, FillPathWithShadow,
                            DrawText, PushClip, PopClip>;

/// The area an operation may touch (stroke half-width and shadow spread included), before any
/// clip; nothing for clip operations and empty paths. Geometric: a backend rounds outward to
/// device pixels and allows one pixel more for antialiasing.
std::optional<Rect> bounds(const DrawOp& op);

/// `op` moved by (dx, dy) points; nothing for fills of rectangles and pixels and for clips,
/// which no cache keys by shape.
std::optional<DrawOp> moved(const DrawOp& op, double dx, double dy);
/// `op` moved by (dx, dy) points, whatever it is.
DrawOp translated(const DrawOp& op, double dx, double dy);

/// Operations in paint order.
struct DrawList {
    std::vector<DrawOp> ops;

    template <class Op>
    void add(Op op) {
        ops.emplace_back(std::move(op));
    }

    /// Union of every operation's bounds; nothing when nothing is drawn. The backend repaints
    /// old ∪ new bounds when the list changes.
    [[nodiscard]] std::optional<Rect> bounds() const;

    friend bool operator==(const DrawList&, const DrawList&) = default;
};

/// Smallest rect holding both; `a` or `b` alone when the other is absent.
std::optional<Rect> united(const std::optional<Rect>& a, const std::optional<Rect>& b);

} // namespace spanlet::draw
