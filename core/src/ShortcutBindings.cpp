#include <algorithm>
#include <cctype>

#include <spanlet/ShortcutBindings.hpp>

namespace spanlet {

namespace {

using Modifiers = Shortcut::Modifiers;

constexpr Modifiers kKnown{Modifiers::control, Modifiers::option, Modifiers::shift,
                           Modifiers::command};
constexpr Modifiers kHolding{Modifiers::control, Modifiers::option, Modifiers::command};

// The shortcut table's key codes of A…Z and 0…9 (the ANSI numbering).
constexpr std::array<std::uint8_t, 26> kLetterCodes{
    0, 11, 8, 2, 14, 3, 5, 4, 34, 38, 40, 37, 46, 45, 31, 35, 12, 15, 1, 17, 32, 9, 13, 7, 16, 6};
constexpr std::array<std::uint8_t, 10> kDigitCodes{29, 18, 19, 20, 21, 23, 22, 26, 28, 25};

std::size_t slot(MensorCommand command) {
    return static_cast<std::size_t>(command);
}

} // namespace

std::optional<Shortcut> userShortcut(std::string_view key, Modifiers modifiers) {
    if (key.size() != 1 || !kKnown.contains(modifiers) ||
        modifiers.intersection(kHolding).isEmpty()) {
        return std::nullopt;
    }
    const auto c = static_cast<char>(std::toupper(static_cast<unsigned char>(key.front())));
    if (c >= 'A' && c <= 'Z') {
        return Shortcut{kLetterCodes.at(static_cast<std::size_t>(c - 'A')), modifiers,
                        std::string(1, c)};
    }
    if (c >= '0' && c <= '9') {
        return Shortcut{kDigitCodes.at(static_cast<std::size_t>(c - '0')), modifiers,
                        std::string(1, c)};
    }
    return std::nullopt;
}

ShortcutBindings::ShortcutBindings() {
    for (MensorCommand c : allCases<MensorCommand>) {
        shortcuts_.at(slot(c)) = spanlet::shortcut(c);
    }
}

const std::optional<Shortcut>& ShortcutBindings::shortcut(MensorCommand command) const {
    return shortcuts_.at(slot(command));
}

void ShortcutBindings::set(MensorCommand command, std::optional<Shortcut> shortcut) {
    shortcuts_.at(slot(command)) = std::move(shortcut);
}

bool ShortcutBindings::isDefault(MensorCommand command) const {
    return shortcut(command) == spanlet::shortcut(command);
}

bool ShortcutBindings::allDefault() const {
    return std::all_of(allCases<MensorCommand>.begin(), allCases<MensorCommand>.end(),
                       [this](MensorCommand c) { return isDefault(c); });
}

std::vector<MensorCommand> ShortcutBindings::sharing(MensorCommand command) const {
    std::vector<MensorCommand> others;
    const std::optional<Shortcut>& mine = shortcut(command);
    if (!mine) {
        return others;
    }
    for (MensorCommand c : allCases<MensorCommand>) {
        if (c != command && shortcut(c) == mine) {
            others.push_back(c);
        }
    }
    return others;
}

std::vector<Binding> ShortcutBindings::registrable() const {
    std::vector<Binding> list;
    for (MensorCommand c : allCases<MensorCommand>) {
        const std::optional<Shortcut>& s = shortcut(c);
        if (s && std::none_of(list.begin(), list.end(),
                              [&](const Binding& b) { return b.shortcut == *s; })) {
            list.push_back({c, *s});
        }
    }
    return list;
}

std::optional<MensorCommand> ShortcutBindings::commandFor(std::string_view key,
                                                          Modifiers modifiers) const {
    const std::optional<Shortcut> pressed = userShortcut(key, modifiers);
    if (!pressed) {
        return std::nullopt;
    }
    for (const Binding& b : registrable()) {
        if (b.shortcut == *pressed) {
            return b.command;
        }
    }
    return std::nullopt;
}

void to_json(Json& j, const ShortcutBindings& bindings) {
    j = Json::object();
    for (MensorCommand c : allCases<MensorCommand>) {
        if (bindings.isDefault(c)) {
            continue;
        }
        const std::string name(rawValue(c));
        if (const auto& s = bindings.shortcut(c)) {
            j[name] = Json{{"key", s->key}, {"modifiers", s->modifiers.rawValue()}};
        } else {
            j[name] = nullptr;
        }
    }
}

void from_json(const Json& j, ShortcutBindings& bindings) {
    bindings = ShortcutBindings();
    if (!j.is_object()) {
        return;
    }
    for (const auto& [name, entry] : j.items()) {
        const auto command = fromRawValue<MensorCommand>(name);
        if (!command) {
            continue;
        }
        if (entry.is_null()) {
            bindings.set(*command, std::nullopt);
            continue;
        }
        if (!entry.is_object()) {
            continue;
        }
        const auto key = entry.find("key");
        const auto mask = entry.find("modifiers");
        if (key == entry.end() || !key->is_string() || mask == entry.end() ||
            !mask->is_number_unsigned() || mask->get<std::uint64_t>() > 0xFFFFFFFFU) {
            continue;
        }
        if (auto s =
                userShortcut(key->get_ref<const std::string&>(),
                             Modifiers(static_cast<std::uint32_t>(mask->get<std::uint64_t>())))) {
            bindings.set(*command, std::move(s));
        }
    }
}

} // namespace spanlet
