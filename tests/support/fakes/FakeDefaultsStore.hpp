#pragma once

#include <map>
#include <set>
#include <string>

#include <spanlet/model/DefaultsStore.hpp>

namespace spanlet::fakes {

/// An in-memory defaults store. Writes to keys listed in `refusedKeys` fail with `refusal` and
/// change nothing; keys in `unreadableKeys` hold something that cannot be read.
class FakeDefaultsStore : public DefaultsStore {
public:
    std::map<std::string, std::string, std::less<>> values;
    std::set<std::string, std::less<>> unreadableKeys;
    std::set<std::string, std::less<>> refusedKeys;
    StoreFailure refusal = StoreFailure::denied;
    /// Successful writes, per key.
    std::map<std::string, int, std::less<>> writes;

    [[nodiscard]] StoredValue read(std::string_view key) const override {
        if (unreadableKeys.contains(key)) {
            return {StoredValue::State::unreadable, {}};
        }
        const auto it = values.find(key);
        if (it == values.end()) {
            return {};
        }
        return {StoredValue::State::readable, it->second};
    }
    StoreResult setData(std::string_view key, std::string_view bytes) override {
        if (refusedKeys.contains(key)) {
            return {refusal};
        }
        unreadableKeys.erase(std::string(key));
        values.insert_or_assign(std::string(key), std::string(bytes));
        ++writes[std::string(key)];
        return {};
    }
    StoreResult moveData(std::string_view from, std::string_view to) override {
        if (refusedKeys.contains(to) || hasData(to) || !hasData(from)) {
            return {refusal};
        }
        if (unreadableKeys.erase(std::string(from)) > 0) {
            unreadableKeys.insert(std::string(to));
        } else {
            values.insert_or_assign(std::string(to), values.extract(values.find(from)).mapped());
        }
        return {};
    }
    bool removeData(std::string_view key) override {
        return unreadableKeys.erase(std::string(key)) + values.erase(std::string(key)) > 0;
    }
    [[nodiscard]] std::vector<std::string> keys(std::string_view prefix) const override {
        std::set<std::string> all(unreadableKeys.begin(), unreadableKeys.end());
        for (const auto& [key, value] : values) {
            all.insert(key);
        }
        std::vector<std::string> found;
        for (const std::string& key : all) {
            if (key.starts_with(prefix)) {
                found.push_back(key);
            }
        }
        return found;
    }
    [[nodiscard]] std::string location(std::string_view key) const override {
        return "~/" + std::string(key) + ".json";
    }
};

} // namespace spanlet::fakes
