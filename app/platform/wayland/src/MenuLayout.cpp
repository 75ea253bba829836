#include <algorithm>
#include <cmath>

#include <spanlet/wayland/MenuLayout.hpp>

namespace spanlet::wayland {

namespace {

constexpr draw::FontChoice font{}; // the system UI font at 13 points
constexpr draw::Color background{0.97, 0.97, 0.97, 1};
constexpr draw::Color border{0.62, 0.62, 0.64, 1};
constexpr draw::Color text{0.1, 0.1, 0.1, 1};
constexpr draw::Color highlight{0.0, 0.45, 0.85, 1};
constexpr draw::Color line{0.82, 0.82, 0.84, 1};

} // namespace

MenuLayout::MenuLayout(std::vector<std::string> titles, const draw::TextMeasurer& measurer)
    : titles_(std::move(titles)) {
    double width = minimumWidth;
    double y = padding;
    for (std::size_t i = 0; i < titles_.size(); ++i) {
        tops_.push_back(y);
        const Size measured = separator(i) ? Size{} : measurer.measure(titles_[i], font);
        textSizes_.push_back(measured);
        width = std::max(width, measured.width + 2 * textInset);
        y += separator(i) ? separatorHeight : rowHeight;
    }
    size_ = {std::ceil(width), y + padding};
}

std::optional<std::size_t> MenuLayout::entryAt(Point at) const {
    if (at.x < 0 || at.x >= size_.width) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < titles_.size(); ++i) {
        if (!separator(i) && at.y >= tops_[i] && at.y < tops_[i] + rowHeight) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> MenuLayout::step(std::optional<std::size_t> from, bool forward) const {
    const std::size_t n = titles_.size();
    std::size_t i = from ? *from : (forward ? n - 1 : 0);
    for (std::size_t tried = 0; tried < n; ++tried) {
        i = forward ? (i + 1) % n : (i + n - 1) % n;
        if (!separator(i)) {
            return i;
        }
    }
    return std::nullopt;
}

draw::DrawList MenuLayout::draw(std::optional<std::size_t> hovered) const {
    draw::DrawList list;
    const Rect all{0, 0, size_.width, size_.height};
    list.add(draw::FillRect{all, background});
    for (std::size_t i = 0; i < titles_.size(); ++i) {
        if (separator(i)) {
            const double y = tops_[i] + separatorHeight / 2;
            list.add(
                draw::FillRect{{textInset / 2, std::floor(y), size_.width - textInset, 1}, line});
            continue;
        }
        const bool lit = hovered && *hovered == i;
        if (lit) {
            list.add(draw::FillRect{{0, tops_[i], size_.width, rowHeight}, highlight});
        }
        list.add(draw::DrawText{titles_[i],
                                font,
                                {textInset, tops_[i] + rowHeight / 2},
                                {0, 0.5},
                                textSizes_[i],
                                lit ? draw::Color::white() : text});
    }
    list.add(draw::StrokePath{draw::Path::rect({0.5, 0.5, size_.width - 1, size_.height - 1}),
                              border, 1});
    return list;
}

} // namespace spanlet::wayland
