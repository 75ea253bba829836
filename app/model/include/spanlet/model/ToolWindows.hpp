#pragma once

#include <array>
#include <string_view>

#include <spanlet/Enum.hpp>

namespace spanlet {

class Mensor;

namespace Windows {

/// The tool windows; one window per kind, made on first use and reused.
enum class Kind { welcome, settings, colors, measurements, explainer };

} // namespace Windows

template <>
struct EnumTraits<Windows::Kind> {
    static constexpr std::array allCases{Windows::Kind::welcome, Windows::Kind::settings,
                                         Windows::Kind::colors, Windows::Kind::measurements,
                                         Windows::Kind::explainer};
};

namespace Windows {

constexpr std::string_view rawValue(Kind kind) {
    switch (kind) {
    case Kind::welcome:
        return "welcome";
    case Kind::settings:
        return "settings";
    case Kind::colors:
        return "colors";
    case Kind::measurements:
        return "measurements";
    case Kind::explainer:
        return "explainer";
    }
    return "welcome";
}

} // namespace Windows

/// The registry of tool windows.
class ToolWindows {
public:
    virtual ~ToolWindows() = default;
    /// The model the windows' views work on. The model outlives the registry's use of it: it
    /// lives for the whole program.
    virtual void attach(Mensor& model) = 0;
    /// Shows the window of `kind` in front, making it on first use.
    virtual void open(Windows::Kind kind) = 0;
    /// Closes the window of `kind` when it is open.
    virtual void close(Windows::Kind kind) = 0;
};

} // namespace spanlet
