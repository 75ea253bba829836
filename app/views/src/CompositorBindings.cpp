#include <cctype>
#include <utility>

#include <spanlet/views/CompositorBindings.hpp>

namespace spanlet::CompositorBindings {

namespace {

using M = Shortcut::Modifiers;

/// Each modifier with its name in sway and in Hyprland, in the order desktops write them.
struct ModifierNames {
    M modifier;
    const char* sway = nullptr;
    const char* hyprland = nullptr;
};
constexpr ModifierNames kModifiers[] = {
    {M::control, "Ctrl", "CTRL"},
    {M::option, "Mod1", "ALT"},
    {M::shift, "Shift", "SHIFT"},
    {M::command, "Mod4", "SUPER"},
};

std::string lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string invocation(MensorCommand command, std::string_view program) {
    return shellWord(program) + " --command " + std::string(rawValue(command));
}

template <class Line>
std::string lines(const ShortcutBindings& bindings, Line line) {
    std::string out;
    for (const MensorCommand command : EnumTraits<MensorCommand>::allCases) {
        if (const std::optional<Shortcut>& keys = bindings.shortcut(command)) {
            out += line(command, *keys);
            out += '\n';
        }
    }
    return out;
}

} // namespace

std::string sway(const ShortcutBindings& bindings, std::string_view program) {
    return lines(bindings, [program](MensorCommand command, const Shortcut& keys) {
        std::string combination;
        for (const ModifierNames& m : kModifiers) {
            if (keys.modifiers.contains(m.modifier)) {
                combination += m.sway;
                combination += '+';
            }
        }
        // sway matches keysym names, and a letter's is lower case.
        return "bindsym " + combination + lower(keys.key) + " exec " + invocation(command, program);
    });
}

std::string hyprland(const ShortcutBindings& bindings, std::string_view program) {
    return lines(bindings, [program](MensorCommand command, const Shortcut& keys) {
        std::string modifiers;
        for (const ModifierNames& m : kModifiers) {
            if (keys.modifiers.contains(m.modifier)) {
                modifiers += modifiers.empty() ? "" : " ";
                modifiers += m.hyprland;
            }
        }
        return "bind = " + modifiers + ", " + keys.key + ", exec, " + invocation(command, program);
    });
}

std::string shellWord(std::string_view path) {
    bool plain = !path.empty();
    for (const char c : path) {
        const bool safe = std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '/' ||
                          c == '.' || c == '_' || c == '+' || c == '-';
        plain = plain && safe;
    }
    if (plain) {
        return std::string(path);
    }
    std::string quoted = "'";
    for (const char c : path) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

} // namespace spanlet::CompositorBindings
