#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace spanlet {

/// What reading a key found. `unreadable`: something is stored there that cannot be read (no
/// permission, not a plain file, too large); it is not the same as nothing stored.
struct StoredValue {
    enum class State { missing, readable, unreadable };
    State state = State::missing;
    /// The bytes, when readable.
    std::string bytes;
};

/// Why a value could not be stored.
enum class StoreFailure { none, readOnly, diskFull, denied, other };

/// The outcome of a write: true when stored.
struct StoreResult {
    StoreFailure failure = StoreFailure::none;
    explicit operator bool() const noexcept { return failure == StoreFailure::none; }
};

/// The user's defaults: opaque byte values under short keys ("preferences"). Implementations
/// never throw; failures are answered with nothing or false.
class DefaultsStore {
public:
    virtual ~DefaultsStore() = default;

    [[nodiscard]] virtual StoredValue read(std::string_view key) const = 0;
    /// The bytes stored under `key`, or nothing when there are none or they cannot be read.
    [[nodiscard]] std::optional<std::string> data(std::string_view key) const {
        StoredValue value = read(key);
        if (value.state != StoredValue::State::readable) {
            return std::nullopt;
        }
        return std::move(value.bytes);
    }
    /// Replaces the value under `key` whole. On failure the previous value is still in place.
    virtual StoreResult setData(std::string_view key, std::string_view bytes) = 0;
    /// Whether anything, readable or not, is stored under `key`.
    [[nodiscard]] virtual bool hasData(std::string_view key) const {
        return read(key).state != StoredValue::State::missing;
    }
    /// Moves what is stored under `from` to `to` as it is, without reading it. Fails when
    /// something is stored under `to` already.
    virtual StoreResult moveData(std::string_view from, std::string_view to) = 0;
    /// Removes the value under `key`; false when it could not.
    virtual bool removeData(std::string_view key) = 0;
    /// The keys that start with `prefix`, sorted.
    [[nodiscard]] virtual std::vector<std::string> keys(std::string_view prefix) const = 0;
    /// Where the value under `key` is kept, as the user would look for it.
    [[nodiscard]] virtual std::string location(std::string_view key) const = 0;
};

} // namespace spanlet
