#include <spanlet/Cross.hpp>

namespace spanlet {

std::vector<double> Cross::verticalEdges() const {
    std::vector<double> edges;
    if (!openLeft) {
        edges.push_back(minX);
    }
    if (!openRight) {
        edges.push_back(maxX);
    }
    return edges;
}

std::vector<double> Cross::horizontalEdges() const {
    std::vector<double> edges;
    if (!openUp) {
        edges.push_back(minY);
    }
    if (!openDown) {
        edges.push_back(maxY);
    }
    return edges;
}

Cross Cross::offsetBy(double dx, double dy) const noexcept {
    Cross moved = *this;
    moved.pointerX += dx;
    moved.minX += dx;
    moved.maxX += dx;
    moved.pointerY += dy;
    moved.minY += dy;
    moved.maxY += dy;
    return moved;
}

void to_json(Json& j, const Cross& c) {
    j = Json{{"pointerX", c.pointerX},   {"pointerY", c.pointerY}, {"minX", c.minX},
             {"maxX", c.maxX},           {"minY", c.minY},         {"maxY", c.maxY},
             {"left", c.left},           {"right", c.right},       {"up", c.up},
             {"down", c.down},           {"scale", c.scale},       {"openLeft", c.openLeft},
             {"openRight", c.openRight}, {"openUp", c.openUp},     {"openDown", c.openDown}};
}

void from_json(const Json& j, Cross& c) {
    using namespace json;
    Cross read;
    read.pointerX = requireDouble(j, "pointerX");
    read.pointerY = requireDouble(j, "pointerY");
    read.minX = requireDouble(j, "minX");
    read.maxX = requireDouble(j, "maxX");
    read.minY = requireDouble(j, "minY");
    read.maxY = requireDouble(j, "maxY");
    read.left = requireInt64(j, "left");
    read.right = requireInt64(j, "right");
    read.up = requireInt64(j, "up");
    read.down = requireInt64(j, "down");
    read.scale = requireDouble(j, "scale");
    read.openLeft = requireBool(j, "openLeft");
    read.openRight = requireBool(j, "openRight");
    read.openUp = requireBool(j, "openUp");
    read.openDown = requireBool(j, "openDown");
    c = read;
}

} // namespace spanlet

namespace {

void combine(std::size_t& seed, std::size_t h) noexcept {
    seed ^= h + 0x9E3779B97F4A7C15ULL + (seed << 6) + (seed >> 2);
}

} // namespace

std::size_t std::hash<spanlet::Cross>::operator()(const spanlet::Cross& c) const noexcept {
    std::size_t seed = 0;
    for (const double v : {c.pointerX, c.pointerY, c.minX, c.maxX, c.minY, c.maxY, c.scale}) {
        combine(seed, std::hash<double>{}(v));
    }
    for (const std::int64_t v : {c.left, c.right, c.up, c.down}) {
        combine(seed, std::hash<std::int64_t>{}(v));
    }
    const unsigned flags = (c.openLeft ? 1U : 0U) | (c.openRight ? 2U : 0U) | (c.openUp ? 4U : 0U) |
                           (c.openDown ? 8U : 0U);
    combine(seed, std::hash<unsigned>{}(flags));
    return seed;
}
