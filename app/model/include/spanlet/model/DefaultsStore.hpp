#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace spanlet {

/// The user's defaults: opaque byte values under short keys ("preferences"). Implementations
/// never throw; failures are answered with nothing or false.
class DefaultsStore {
public:
    virtual ~DefaultsStore() = default;

    /// The bytes stored under `key`, or nothing when there are none or they cannot be read.
    [[nodiscard]] virtual std::optional<std::string> data(std::string_view key) const = 0;
    /// Replaces the value under `key` whole. False when it could not be stored; the previous
    /// value is then still in place.
    virtual bool setData(std::string_view key, std::string_view bytes) = 0;
    /// Whether a value is stored under `key`.
    [[nodiscard]] virtual bool hasData(std::string_view key) const { return data(key).has_value(); }
};

} // namespace spanlet
