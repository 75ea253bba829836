#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <spanlet/overlay/DrawOps.hpp>

namespace spanlet::testing {

/// Test-name generator for cases that carry a `name`.
struct CaseName {
    template <class Info>
    std::string operator()(const Info& info) const {
        return info.param.name;
    }
};

/// Every operation of type Op in the list, in order.
template <class Op>
std::vector<Op> opsOf(const draw::DrawList& list) {
    std::vector<Op> found;
    for (const draw::DrawOp& op : list.ops) {
        if (const auto* typed = std::get_if<Op>(&op)) {
            found.push_back(*typed);
        }
    }
    return found;
}

/// Index of the first text operation whose text is `text`, or nothing.
inline std::optional<std::size_t> textIndex(const draw::DrawList& list, std::string_view text) {
    for (std::size_t i = 0; i < list.ops.size(); ++i) {
        const auto* t = std::get_if<draw::DrawText>(&list.ops[i]);
        if (t != nullptr && t->text == text) {
            return i;
        }
    }
    return std::nullopt;
}

/// The box of the label showing `text`: the filled path drawn right before the text.
inline std::optional<Rect> labelBox(const draw::DrawList& list, std::string_view text) {
    const std::optional<std::size_t> i = textIndex(list, text);
    if (!i || *i == 0) {
        return std::nullopt;
    }
    const auto* fill = std::get_if<draw::FillPath>(&list.ops[*i - 1]);
    if (fill == nullptr) {
        return std::nullopt;
    }
    return fill->path.bounds();
}

/// Every text drawn, in order.
inline std::vector<std::string> texts(const draw::DrawList& list) {
    std::vector<std::string> found;
    for (const draw::DrawText& t : opsOf<draw::DrawText>(list)) {
        found.push_back(t.text);
    }
    return found;
}

} // namespace spanlet::testing
