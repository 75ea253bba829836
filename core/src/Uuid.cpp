#include <cctype>
#include <uuid/uuid.h>

#include <spanlet/Uuid.hpp>

namespace spanlet {

Uuid Uuid::random() {
    uuid_t raw;
    uuid_generate_random(raw);
    Bytes bytes{};
    std::copy(std::begin(raw), std::end(raw), bytes.begin());
    return Uuid(bytes);
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    // libuuid's parser wants exactly 36 characters with hyphens at 8, 13, 18 and 23; check the
    // shape ourselves so no other length or character ever reaches it.
    if (text.size() != 36) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        const auto c = static_cast<unsigned char>(text[i]);
        if (hyphen ? c != '-' : std::isxdigit(c) == 0) {
            return std::nullopt;
        }
    }
    const std::string terminated(text);
    uuid_t raw;
    if (uuid_parse(terminated.c_str(), raw) != 0) {
        return std::nullopt;
    }
    Bytes bytes{};
    std::copy(std::begin(raw), std::end(raw), bytes.begin());
    return Uuid(bytes);
}

std::string Uuid::string() const {
    uuid_t raw;
    std::copy(bytes_.begin(), bytes_.end(), std::begin(raw));
    char text[37] = {};
    uuid_unparse_upper(raw, text);
    return {text, 36};
}

} // namespace spanlet
