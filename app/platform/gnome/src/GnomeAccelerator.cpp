#include <array>
#include <cctype>

#include <spanlet/gnome/GnomeAccelerator.hpp>

namespace spanlet::gnome {

namespace {

using M = Shortcut::Modifiers;

struct ModifierName {
    M modifier;
    std::string_view name;
};
/// Written in this order; read in any, with GTK's other names for the same modifier.
constexpr std::array kWritten{
    ModifierName{M::control, "Control"},
    ModifierName{M::option, "Alt"},
    ModifierName{M::shift, "Shift"},
    ModifierName{M::command, "Super"},
};
constexpr std::array kRead{
    ModifierName{M::control, "control"}, ModifierName{M::control, "ctrl"},
    ModifierName{M::control, "ctl"},     ModifierName{M::control, "primary"},
    ModifierName{M::option, "alt"},      ModifierName{M::option, "mod1"},
    ModifierName{M::shift, "shift"},     ModifierName{M::shift, "shft"},
    ModifierName{M::command, "super"},   ModifierName{M::command, "mod4"},
};

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

} // namespace

std::string accelerator(const Shortcut& shortcut) {
    std::string text;
    for (const ModifierName& m : kWritten) {
        if (shortcut.modifiers.contains(m.modifier)) {
            text += '<';
            text += m.name;
            text += '>';
        }
    }
    return text + lower(shortcut.key);
}

std::string display(std::string_view accelerator) {
    Shortcut shortcut;
    // Modifiers Spanlet has no word of its own for (Hyper, Meta) keep GTK's name.
    std::string others;
    while (!accelerator.empty() && accelerator.front() == '<') {
        const std::size_t close = accelerator.find('>');
        if (close == std::string_view::npos) {
            break;
        }
        const std::string_view name = accelerator.substr(1, close - 1);
        const std::string key = lower(name);
        bool known = false;
        for (const ModifierName& m : kRead) {
            if (m.name == key) {
                shortcut.modifiers.insert(m.modifier);
                known = true;
            }
        }
        if (!known) {
            others += std::string(name) + '+';
        }
        accelerator.remove_prefix(close + 1);
    }
    if (accelerator.empty()) {
        return {};
    }
    shortcut.key = std::string(accelerator);
    if (shortcut.key.size() == 1) {
        shortcut.key[0] =
            static_cast<char>(std::toupper(static_cast<unsigned char>(shortcut.key[0])));
    }
    if (others.empty()) {
        return shortcut.display();
    }
    // Spanlet's modifiers first, then the others, then the key.
    const std::string ours = shortcut.display();
    return ours.substr(0, ours.size() - shortcut.key.size()) + others + shortcut.key;
}

} // namespace spanlet::gnome
