#include <string>
#include <type_traits>

#include <spanlet/model/Preferences.hpp>

namespace spanlet {

namespace {

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

template <class E>
concept RawValued = std::is_enum_v<E> && requires(E e) {
    rawValue(e);
};

// One stored value: plain numbers, flags and enumeration texts are checked here; the records
// bring their own decoders.
template <class T>
Json encodeValue(const T& value) {
    if constexpr (RawValued<T>) {
        return std::string(rawValue(value));
    } else {
        return value;
    }
}

template <class T>
T decodeValue(const Json& value, const char* key) {
    if constexpr (std::is_same_v<T, double>) {
        if (!value.is_number()) {
            throw JsonDecodeError(std::string("not a number: ") + key);
        }
        return value.get<double>();
    } else if constexpr (std::is_same_v<T, bool>) {
        if (!value.is_boolean()) {
            throw JsonDecodeError(std::string("not a boolean: ") + key);
        }
        return value.get<bool>();
    } else if constexpr (RawValued<T>) {
        if (!value.is_string()) {
            throw JsonDecodeError(std::string("not a string: ") + key);
        }
        const auto decoded = fromRawValue<T>(value.get_ref<const std::string&>());
        if (!decoded) {
            throw JsonDecodeError(std::string("unknown value: ") + key);
        }
        return *decoded;
    } else {
        if constexpr (std::is_same_v<T, std::vector<SRGBColor>>) {
            if (!value.is_array()) {
                throw JsonDecodeError(std::string("not an array: ") + key);
            }
        }
        return value.get<T>();
    }
}

/// One key of the stored document and the field it holds.
struct Field {
    const char* key;
    void (*write)(Json& object, const Preferences& p, const char* key);
    /// Throws when the value is unusable; `value` is never null.
    void (*read)(const Json& value, Preferences& p, const char* key);
};

template <auto member>
constexpr Field field(const char* key) {
    using T = std::remove_cvref_t<decltype(std::declval<Preferences>().*member)>;
    return Field{
        key,
        [](Json& object, const Preferences& p, const char* k) {
            const T& value = p.*member;
            if constexpr (IsOptional<T>::value) {
                if (value) { // absent values are left out
                    object[k] = encodeValue(*value);
                }
            } else if constexpr (std::is_same_v<T, ShortcutBindings>) {
                if (!value.allDefault()) { // as versions without custom shortcuts wrote it
                    object[k] = value;
                }
            } else {
                object[k] = encodeValue(value);
            }
        },
        [](const Json& value, Preferences& p, const char* k) {
            if constexpr (IsOptional<T>::value) {
                p.*member = decodeValue<typename T::value_type>(value, k);
            } else {
                p.*member = decodeValue<T>(value, k);
            }
        },
    };
}

constexpr Field fields[] = {
    field<&Preferences::unit>("unit"),
    field<&Preferences::tolerance>("tolerance"),
    field<&Preferences::showLoupe>("showLoupe"),
    field<&Preferences::copyStyle>("copyStyle"),
    field<&Preferences::colorStyle>("colorStyle"),
    field<&Preferences::showGuides>("showGuides"),
    field<&Preferences::showGapLabels>("showGapLabels"),
    field<&Preferences::hotkeysEnabled>("hotkeysEnabled"),
    field<&Preferences::rulerOrientation>("rulerOrientation"),
    field<&Preferences::rulerLength>("rulerLength"),
    field<&Preferences::rulerX>("rulerX"),
    field<&Preferences::rulerY>("rulerY"),
    field<&Preferences::guides>("guides"),
    field<&Preferences::explainerSeen>("explainerSeen"),
    field<&Preferences::welcomed>("welcomed"),
    field<&Preferences::recentColors>("recentColors"),
    field<&Preferences::shortcuts>("shortcuts"),
};

// Missing keys and JSON null both mean "use the default".
const Json* storedValue(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() || it->is_null() ? nullptr : &*it;
}

} // namespace

void to_json(Json& j, const Preferences& p) {
    j = Json::object();
    for (const Field& f : fields) {
        f.write(j, p, f.key);
    }
}

void from_json(const Json& j, Preferences& p) {
    if (!j.is_object()) {
        throw JsonDecodeError("preferences are not an object");
    }
    Preferences decoded;
    for (const Field& f : fields) {
        if (const Json* value = storedValue(j, f.key)) {
            f.read(*value, decoded, f.key);
        }
    }
    p = std::move(decoded);
}

std::optional<DecodedPreferences> decodePreferences(std::string_view document) noexcept {
    try {
        const Json j = Json::parse(document, nullptr, /*allow_exceptions=*/false);
        if (!j.is_object()) { // also text that is not JSON at all
            return std::nullopt;
        }
        DecodedPreferences decoded;
        for (const Field& f : fields) {
            const Json* value = storedValue(j, f.key);
            if (value == nullptr) {
                continue;
            }
            try { // a field is assigned only once its whole value decoded
                f.read(*value, decoded.preferences, f.key);
            } catch (...) {
                decoded.fellBack.emplace_back(f.key);
            }
        }
        return decoded;
    } catch (...) {
        return std::nullopt;
    }
}

Preferences Preferences::load(const DefaultsStore& store) {
    const std::optional<std::string> bytes = store.data(key);
    if (!bytes) {
        return {};
    }
    auto decoded = decodePreferences(*bytes);
    return decoded ? std::move(decoded->preferences) : Preferences{};
}

bool Preferences::save(DefaultsStore& store) const {
    std::string document;
    try {
        document = encode(*this);
    } catch (...) {
        return false;
    }
    return static_cast<bool>(store.setData(key, document));
}

} // namespace spanlet
