#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include <spanlet/Uuid.hpp>

namespace spanlet {

using Json = nlohmann::json;

/// Thrown by the strict field readers below; never escapes decode().
struct JsonDecodeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

namespace json {

/// Strict readers for required keys: the key must exist and hold exactly the right JSON type.
/// Integers must be JSON integers that fit in 64 bits (no silent truncation of 1.5 or 1e300).
double requireDouble(const Json& object, const char* key);
std::int64_t requireInt64(const Json& object, const char* key);
bool requireBool(const Json& object, const char* key);
std::string requireString(const Json& object, const char* key);
const Json& requireKey(const Json& object, const char* key);

} // namespace json

/// Decodes a value; nothing on any failure. Never throws.
template <class T>
std::optional<T> decode(const Json& j) noexcept {
    try {
        return j.get<T>();
    } catch (...) {
        return std::nullopt;
    }
}

/// Parses and decodes JSON text; nothing on any failure. Never throws.
template <class T>
std::optional<T> decode(std::string_view text) noexcept {
    try {
        const Json j = Json::parse(text, nullptr, /*allow_exceptions=*/false);
        if (j.is_discarded()) {
            return std::nullopt;
        }
        return decode<T>(j);
    } catch (...) {
        return std::nullopt;
    }
}

template <class T>
std::optional<T> decode(const std::string& text) noexcept {
    return decode<T>(std::string_view(text));
}

template <class T>
std::optional<T> decode(const char* text) noexcept {
    return decode<T>(std::string_view(text));
}

/// Compact JSON text of a value (no pretty printing).
template <class T>
std::string encode(const T& value) {
    return Json(value).dump();
}

void to_json(Json& j, const Uuid& u);
void from_json(const Json& j, Uuid& u);

} // namespace spanlet
