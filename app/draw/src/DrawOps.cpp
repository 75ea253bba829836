#include <algorithm>
#include <type_traits>

#include <spanlet/draw/DrawOps.hpp>

namespace spanlet::draw {

namespace {

Rect pointRect(Point p) {
    return {p.x, p.y, 0, 0};
}

std::optional<Rect> grown(const std::optional<Rect>& r, double by) {
    if (!r) {
        return std::nullopt;
    }
    return r->insetBy(-by, -by);
}

} // namespace

std::optional<Rect> united(const std::optional<Rect>& a, const std::optional<Rect>& b) {
    if (!a) {
        return b;
    }
    if (!b) {
        return a;
    }
    const double x0 = std::min(a->minX(), b->minX());
    const double y0 = std::min(a->minY(), b->minY());
    const double x1 = std::max(a->maxX(), b->maxX());
    const double y1 = std::max(a->maxY(), b->maxY());
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

Path& Path::moveTo(Point p) {
    elements.emplace_back(MoveTo{p});
    return *this;
}

Path& Path::lineTo(Point p) {
    elements.emplace_back(LineTo{p});
    return *this;
}

Path& Path::addLine(Point from, Point to) {
    return moveTo(from).lineTo(to);
}

Path& Path::addRect(const Rect& r) {
    elements.emplace_back(RectShape{r});
    return *this;
}

Path& Path::addRoundedRect(const Rect& r, double cornerRadius, bool continuousCorners) {
    elements.emplace_back(RoundedRectShape{r, cornerRadius, continuousCorners});
    return *this;
}

Path Path::rect(const Rect& r) {
    return Path{}.addRect(r);
}

Path Path::roundedRect(const Rect& r, double cornerRadius, bool continuousCorners) {
    return Path{}.addRoundedRect(r, cornerRadius, continuousCorners);
}

std::optional<Rect> Path::bounds() const {
    std::optional<Rect> result;
    for (const PathElement& element : elements) {
        const Rect r = std::visit(
            [](const auto& e) -> Rect {
                using E = std::decay_t<decltype(e)>;
                if constexpr (std::is_same_v<E, MoveTo> || std::is_same_v<E, LineTo>) {
                    return pointRect(e.point);
                } else {
                    return e.rect;
                }
            },
            element);
        result = united(result, r);
    }
    return result;
}

Path& Path::translate(double dx, double dy) {
    for (PathElement& element : elements) {
        std::visit(
            [dx, dy](auto& e) {
                using E = std::decay_t<decltype(e)>;
                if constexpr (std::is_same_v<E, MoveTo> || std::is_same_v<E, LineTo>) {
                    e.point.x += dx;
                    e.point.y += dy;
                } else {
                    e.rect.x += dx;
                    e.rect.y += dy;
                }
            },
            element);
    }
    return *this;
}

Path Path::translated(double dx, double dy) const {
    Path out = *this;
    return out.translate(dx, dy);
}

std::optional<Rect> bounds(const DrawOp& op) {
    return std::visit(
        [](const auto& o) -> std::optional<Rect> {
            using O = std::decay_t<decltype(o)>;
            if constexpr (std::is_same_v<O, FillRect>) {
                return o.rect;
            } else if constexpr (std::is_same_v<O, FillPixels>) {
                return o.pixels.pixels().empty() ? std::nullopt : std::optional<Rect>(o.rect);
            } else if constexpr (std::is_same_v<O, FillPath>) {
                return o.path.bounds();
            } else if constexpr (std::is_same_v<O, StrokePath>) {
                return grown(o.path.bounds(), o.lineWidth / 2);
            } else if constexpr (std::is_same_v<O, FillPathWithShadow>) {
                const std::optional<Rect> shape = o.path.bounds();
                if (!shape) {
                    return std::nullopt;
                }
                Rect shadow = shape->insetBy(-o.blurRadius, -o.blurRadius);
                shadow.x += o.shadowOffset.x;
                shadow.y += o.shadowOffset.y;
                return united(shape, shadow);
            } else if constexpr (std::is_same_v<O, DrawText>) {
                return o.box();
            } else {
                return std::nullopt; // clips draw nothing themselves
            }
        },
        op);
}

std::optional<DrawOp> moved(const DrawOp& op, double dx, double dy) {
    return std::visit(
        [&](const auto& o) -> std::optional<DrawOp> {
            using O = std::decay_t<decltype(o)>;
            if constexpr (std::is_same_v<O, FillPath> || std::is_same_v<O, StrokePath> ||
                          std::is_same_v<O, FillPathWithShadow>) {
                O copy = o;
                copy.path.translate(dx, dy);
                return copy;
            } else if constexpr (std::is_same_v<O, DrawText>) {
                DrawText copy = o;
                copy.position = {o.position.x + dx, o.position.y + dy};
                return copy;
            } else {
                return std::nullopt;
            }
        },
        op);
}

DrawOp translated(const DrawOp& op, double dx, double dy) {
    if (std::optional<DrawOp> shaped = moved(op, dx, dy)) {
        return std::move(*shaped);
    }
    const auto shift = [dx, dy](Rect r) { return Rect{r.x + dx, r.y + dy, r.width, r.height}; };
    if (const auto* fill = std::get_if<FillRect>(&op)) {
        return FillRect{shift(fill->rect), fill->color};
    }
    if (const auto* pixels = std::get_if<FillPixels>(&op)) {
        return FillPixels{shift(pixels->rect), pixels->pixels};
    }
    if (const auto* clip = std::get_if<PushClip>(&op)) {
        PushClip copy = *clip;
        copy.path.translate(dx, dy);
        return copy;
    }
    return op;
}

std::optional<Rect> DrawList::bounds() const {
    std::optional<Rect> result;
    for (const DrawOp& op : ops) {
        result = united(result, draw::bounds(op));
    }
    return result;
}

} // namespace spanlet::draw
