#include <spanlet/views/ToolViewInfo.hpp>

namespace spanlet {

std::string_view toolViewTitle(Windows::Kind kind) {
    switch (kind) {
    case Windows::Kind::welcome:
        return "Welcome to Spanlet";
    case Windows::Kind::settings:
        return "Spanlet Settings";
    case Windows::Kind::colors:
        return "Colors";
    case Windows::Kind::measurements:
        return "Measurements";
    case Windows::Kind::explainer:
        return "Edge Snapping";
    }
    return "Spanlet";
}

ToolViewFrame toolViewFrame(Windows::Kind kind) {
    switch (kind) {
    case Windows::Kind::welcome:
        return {480, std::nullopt};
    case Windows::Kind::settings:
        return {520, 640};
    case Windows::Kind::colors:
        return {560, std::nullopt};
    case Windows::Kind::measurements:
        return {440, std::nullopt};
    case Windows::Kind::explainer:
        return {500, std::nullopt};
    }
    return {480, std::nullopt};
}

} // namespace spanlet
