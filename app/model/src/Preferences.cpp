#include <string>

#include <spanlet/model/Preferences.hpp>

namespace spanlet {

namespace {

// The value under `key`, or null when the key is missing or holds JSON null: both mean "use
// the default".
const Json* field(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() || it->is_null() ? nullptr : &*it;
}

double number(const Json& value, const char* key) {
    if (!value.is_number()) {
        throw JsonDecodeError(std::string("not a number: ") + key);
    }
    return value.get<double>();
}

bool flag(const Json& value, const char* key) {
    if (!value.is_boolean()) {
        throw JsonDecodeError(std::string("not a boolean: ") + key);
    }
    return value.get<bool>();
}

template <class E>
E enumeration(const Json& value, const char* key) {
    if (!value.is_string()) {
        throw JsonDecodeError(std::string("not a string: ") + key);
    }
    const auto decoded = fromRawValue<E>(value.get_ref<const std::string&>());
    if (!decoded) {
        throw JsonDecodeError(std::string("unknown value: ") + key);
    }
    return *decoded;
}

template <class E>
Json raw(E value) {
    return std::string(rawValue(value));
}

} // namespace

void to_json(Json& j, const Preferences& p) {
    j = Json::object();
    j["unit"] = raw(p.unit);
    j["tolerance"] = p.tolerance;
    j["showLoupe"] = p.showLoupe;
    j["copyStyle"] = raw(p.copyStyle);
    j["colorStyle"] = raw(p.colorStyle);
    j["showGuides"] = p.showGuides;
    j["showGapLabels"] = p.showGapLabels;
    j["hotkeysEnabled"] = p.hotkeysEnabled;
    j["rulerOrientation"] = raw(p.rulerOrientation);
    j["rulerLength"] = p.rulerLength;
    if (p.rulerX) {
        j["rulerX"] = *p.rulerX;
    }
    if (p.rulerY) {
        j["rulerY"] = *p.rulerY;
    }
    j["guides"] = p.guides;
    j["explainerSeen"] = p.explainerSeen;
    j["welcomed"] = p.welcomed;
    j["recentColors"] = p.recentColors;
    if (!p.shortcuts.allDefault()) {
        j["shortcuts"] = p.shortcuts;
    }
}

void from_json(const Json& j, Preferences& p) {
    if (!j.is_object()) {
        throw JsonDecodeError("preferences are not an object");
    }
    Preferences d;
    if (const Json* v = field(j, "unit")) {
        d.unit = enumeration<MeasureUnit>(*v, "unit");
    }
    if (const Json* v = field(j, "tolerance")) {
        d.tolerance = number(*v, "tolerance");
    }
    if (const Json* v = field(j, "showLoupe")) {
        d.showLoupe = flag(*v, "showLoupe");
    }
    if (const Json* v = field(j, "copyStyle")) {
        d.copyStyle = enumeration<CopyStyle>(*v, "copyStyle");
    }
    if (const Json* v = field(j, "colorStyle")) {
        d.colorStyle = enumeration<ColorStyle>(*v, "colorStyle");
    }
    if (const Json* v = field(j, "showGuides")) {
        d.showGuides = flag(*v, "showGuides");
    }
    if (const Json* v = field(j, "showGapLabels")) {
        d.showGapLabels = flag(*v, "showGapLabels");
    }
    if (const Json* v = field(j, "hotkeysEnabled")) {
        d.hotkeysEnabled = flag(*v, "hotkeysEnabled");
    }
    if (const Json* v = field(j, "rulerOrientation")) {
        d.rulerOrientation = enumeration<RulerOrientation>(*v, "rulerOrientation");
    }
    if (const Json* v = field(j, "rulerLength")) {
        d.rulerLength = number(*v, "rulerLength");
    }
    if (const Json* v = field(j, "rulerX")) {
        d.rulerX = number(*v, "rulerX");
    }
    if (const Json* v = field(j, "rulerY")) {
        d.rulerY = number(*v, "rulerY");
    }
    if (const Json* v = field(j, "guides")) {
        d.guides = v->get<GuideSet>();
    }
    if (const Json* v = field(j, "explainerSeen")) {
        d.explainerSeen = flag(*v, "explainerSeen");
    }
    if (const Json* v = field(j, "welcomed")) {
        d.welcomed = flag(*v, "welcomed");
    }
    if (const Json* v = field(j, "recentColors")) {
        if (!v->is_array()) {
            throw JsonDecodeError("recentColors is not an array");
        }
        d.recentColors = v->get<std::vector<SRGBColor>>();
    }
    if (const Json* v = field(j, "shortcuts")) {
        d.shortcuts = v->get<ShortcutBindings>();
    }
    p = std::move(d);
}

Preferences Preferences::load(const DefaultsStore& store) {
    const std::optional<std::string> bytes = store.data(key);
    if (!bytes) {
        return {};
    }
    return decode<Preferences>(std::string_view(*bytes)).value_or(Preferences{});
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
