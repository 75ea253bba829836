#include <spanlet/Json.hpp>

namespace spanlet {

namespace json {

const Json& requireKey(const Json& object, const char* key) {
    if (!object.is_object()) {
        throw JsonDecodeError("not an object");
    }
    const auto it = object.find(key);
    if (it == object.end()) {
        throw JsonDecodeError(std::string("missing key ") + key);
    }
    return *it;
}

double requireDouble(const Json& object, const char* key) {
    const Json& v = requireKey(object, key);
    if (!v.is_number()) {
        throw JsonDecodeError(std::string("not a number: ") + key);
    }
    return v.get<double>();
}

std::int64_t requireInt64(const Json& object, const char* key) {
    const Json& v = requireKey(object, key);
    if (v.is_number_integer()) { // signed, or unsigned below 2^63
        if (v.is_number_unsigned() && v.get<std::uint64_t>() > INT64_MAX) {
            throw JsonDecodeError(std::string("integer out of range: ") + key);
        }
        return v.get<std::int64_t>();
    }
    throw JsonDecodeError(std::string("not an integer: ") + key);
}

bool requireBool(const Json& object, const char* key) {
    const Json& v = requireKey(object, key);
    if (!v.is_boolean()) {
        throw JsonDecodeError(std::string("not a boolean: ") + key);
    }
    return v.get<bool>();
}

std::string requireString(const Json& object, const char* key) {
    const Json& v = requireKey(object, key);
    if (!v.is_string()) {
        throw JsonDecodeError(std::string("not a string: ") + key);
    }
    return v.get<std::string>();
}

} // namespace json

void to_json(Json& j, const Uuid& u) {
    j = u.string();
}

void from_json(const Json& j, Uuid& u) {
    if (!j.is_string()) {
        throw JsonDecodeError("uuid is not a string");
    }
    const auto parsed = Uuid::parse(j.get_ref<const std::string&>());
    if (!parsed) {
        throw JsonDecodeError("malformed uuid");
    }
    u = *parsed;
}

} // namespace spanlet
