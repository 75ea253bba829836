#include <algorithm>

#include <spanlet/screen/Desktop.hpp>
#include <spanlet/wayland/OutputLayout.hpp>

namespace spanlet::OutputLayout {

double deviceScale(const Output& output) {
    const bool turned = (output.transform % 2) != 0;
    const std::int32_t width = turned ? output.modeHeight : output.modeWidth;
    if (width > 0 && output.logical.width > 0) {
        return width / output.logical.width;
    }
    return output.integerScale > 0 ? output.integerScale : 1;
}

std::uint32_t idForName(std::string_view name) {
    std::uint32_t hash = 2166136261U;
    for (const char c : name) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 16777619U;
    }
    return hash;
}

namespace {

std::vector<std::size_t> screenOrder(std::span<const Output> outputs) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (!outputs[i].logical.isEmpty()) {
            order.push_back(i);
        }
    }
    const auto byXThenY = [&](std::size_t a, std::size_t b) {
        const Rect& ra = outputs[a].logical;
        const Rect& rb = outputs[b].logical;
        return ra.x != rb.x ? ra.x < rb.x : ra.y < rb.y;
    };
    std::stable_sort(order.begin(), order.end(), byXThenY);
    auto primary = std::find_if(order.begin(), order.end(), [&](std::size_t i) {
        return outputs[i].logical.contains({0, 0});
    });
    if (primary == order.end()) {
        primary = std::min_element(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const Rect& ra = outputs[a].logical;
            const Rect& rb = outputs[b].logical;
            return ra.y != rb.y ? ra.y < rb.y : ra.x < rb.x;
        });
    }
    if (primary != order.end()) {
        std::rotate(order.begin(), primary, primary + 1);
    }
    return order;
}

} // namespace

std::vector<Placed> place(std::span<const Output> outputs) {
    const std::vector<std::size_t> order = screenOrder(outputs);
    const double primaryHeight = order.empty() ? 0 : outputs[order.front()].logical.height;
    std::vector<Placed> result;
    for (const std::size_t i : order) {
        std::uint32_t id = idForName(outputs[i].name);
        while (std::any_of(result.begin(), result.end(),
                           [id](const Placed& p) { return p.screen.id == id; })) {
            ++id;
        }
        result.push_back({i, Desktop::makeScreenInfo(id, outputs[i].logical,
                                                     deviceScale(outputs[i]), primaryHeight)});
    }
    return result;
}

} // namespace spanlet::OutputLayout
