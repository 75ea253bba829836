#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include <spanlet/Enum.hpp>

namespace spanlet {

/// One key combination of a global shortcut.
struct Shortcut {
    /// A set of modifier keys as a bit mask. The bits are the Carbon event-modifier bits the
    /// shortcut table is written in; the hot-key layer maps them to X11 modifier masks.
    class Modifiers {
    public:
        static const Modifiers command;
        static const Modifiers shift;
        static const Modifiers option;
        static const Modifiers control;

        constexpr Modifiers() = default;
        constexpr explicit Modifiers(std::uint32_t rawValue) : rawValue_(rawValue) {}
        /// The union of the listed members: Modifiers{Modifiers::control, Modifiers::shift}.
        constexpr Modifiers(std::initializer_list<Modifiers> members) {
            for (Modifiers m : members) {
                rawValue_ |= m.rawValue_;
            }
        }

        [[nodiscard]] constexpr std::uint32_t rawValue() const noexcept { return rawValue_; }
        [[nodiscard]] constexpr bool isEmpty() const noexcept { return rawValue_ == 0; }

        [[nodiscard]] constexpr Modifiers unionWith(Modifiers other) const noexcept {
            return Modifiers(rawValue_ | other.rawValue_);
        }
        [[nodiscard]] constexpr Modifiers intersection(Modifiers other) const noexcept {
            return Modifiers(rawValue_ & other.rawValue_);
        }
        /// True when every bit of `member` is in the set (an empty member is always contained).
        [[nodiscard]] constexpr bool contains(Modifiers member) const noexcept {
            return (rawValue_ & member.rawValue_) == member.rawValue_;
        }
        constexpr void insert(Modifiers member) noexcept { rawValue_ |= member.rawValue_; }
        constexpr void remove(Modifiers member) noexcept { rawValue_ &= ~member.rawValue_; }

        friend constexpr Modifiers operator|(Modifiers a, Modifiers b) noexcept {
            return a.unionWith(b);
        }
        friend constexpr Modifiers operator&(Modifiers a, Modifiers b) noexcept {
            return a.intersection(b);
        }
        friend bool operator==(const Modifiers&, const Modifiers&) = default;

    private:
        std::uint32_t rawValue_ = 0;
    };

    /// Virtual key code of the key in the ANSI keyboard numbering of the shortcut table.
    std::uint32_t keyCode = 0;
    Modifiers modifiers;
    /// The key's label as printed, e.g. "R".
    std::string key;

    /// The one written form, as Linux desktops write key combinations: modifier names in the
    /// order Ctrl, Alt, Shift, Super, then the key, joined by "+": "Ctrl+Shift+R".
    [[nodiscard]] std::string display() const;
    /// Modifier words and the key separated by blanks, in the same order: "Control Shift R".
    [[nodiscard]] std::string spoken() const;

    friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

inline constexpr Shortcut::Modifiers Shortcut::Modifiers::command(0x100U);
inline constexpr Shortcut::Modifiers Shortcut::Modifiers::shift(0x200U);
inline constexpr Shortcut::Modifiers Shortcut::Modifiers::option(0x800U);
inline constexpr Shortcut::Modifiers Shortcut::Modifiers::control(0x1000U);

/// Every action the user can trigger from anywhere, in the order lists and registration walk.
enum class MensorCommand {
    toggleRuler,
    addVerticalGuide,
    addHorizontalGuide,
    editGuides,
    toggleUnit,
    toggleSnapping,
    pickColor,
    pinMeasurement,
    copyMeasurement,
    clearMeasurements,
};

template <>
struct EnumTraits<MensorCommand> {
    static constexpr std::array allCases{
        MensorCommand::toggleRuler,        MensorCommand::addVerticalGuide,
        MensorCommand::addHorizontalGuide, MensorCommand::editGuides,
        MensorCommand::toggleUnit,         MensorCommand::toggleSnapping,
        MensorCommand::pickColor,          MensorCommand::pinMeasurement,
        MensorCommand::copyMeasurement,    MensorCommand::clearMeasurements,
    };
};

/// The case name, which is also the stored form and the id.
constexpr std::string_view rawValue(MensorCommand c) {
    switch (c) {
    case MensorCommand::toggleRuler:
        return "toggleRuler";
    case MensorCommand::addVerticalGuide:
        return "addVerticalGuide";
    case MensorCommand::addHorizontalGuide:
        return "addHorizontalGuide";
    case MensorCommand::editGuides:
        return "editGuides";
    case MensorCommand::toggleUnit:
        return "toggleUnit";
    case MensorCommand::toggleSnapping:
        return "toggleSnapping";
    case MensorCommand::pickColor:
        return "pickColor";
    case MensorCommand::pinMeasurement:
        return "pinMeasurement";
    case MensorCommand::copyMeasurement:
        return "copyMeasurement";
    case MensorCommand::clearMeasurements:
        return "clearMeasurements";
    }
    return "";
}
constexpr std::string_view id(MensorCommand c) {
    return rawValue(c);
}
/// The title shown in menus and the shortcut list.
std::string_view title(MensorCommand c);
/// The default shortcut: Control-Shift and a letter.
Shortcut shortcut(MensorCommand c);

} // namespace spanlet

template <>
struct std::hash<spanlet::Shortcut::Modifiers> {
    std::size_t operator()(const spanlet::Shortcut::Modifiers& m) const noexcept {
        return std::hash<std::uint32_t>{}(m.rawValue());
    }
};

template <>
struct std::hash<spanlet::Shortcut> {
    std::size_t operator()(const spanlet::Shortcut& s) const noexcept {
        std::size_t h = std::hash<std::uint32_t>{}(s.keyCode);
        h = h * 31 + std::hash<spanlet::Shortcut::Modifiers>{}(s.modifiers);
        return h * 31 + std::hash<std::string>{}(s.key);
    }
};
