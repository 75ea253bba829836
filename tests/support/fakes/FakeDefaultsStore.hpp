#pragma once

#include <map>
#include <set>
#include <string>

#include <spanlet/model/DefaultsStore.hpp>

namespace spanlet::fakes {

/// An in-memory defaults store. Writes to keys listed in `refusedKeys` fail and change nothing.
class FakeDefaultsStore : public DefaultsStore {
public:
    std::map<std::string, std::string, std::less<>> values;
    std::set<std::string, std::less<>> refusedKeys;
    /// Successful writes, per key.
    std::map<std::string, int, std::less<>> writes;

    [[nodiscard]] std::optional<std::string> data(std::string_view key) const override {
        const auto it = values.find(key);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    bool setData(std::string_view key, std::string_view bytes) override {
        if (refusedKeys.contains(key)) {
            return false;
        }
        values.insert_or_assign(std::string(key), std::string(bytes));
        ++writes[std::string(key)];
        return true;
    }
};

} // namespace spanlet::fakes
