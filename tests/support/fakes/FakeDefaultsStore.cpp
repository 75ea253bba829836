#include "fakes/FakeDefaultsStore.hpp"

namespace spanlet::fakes {

std::optional<std::string> FakeDefaultsStore::data(std::string_view key) const {
    const auto it = values.find(key);
    if (it == values.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool FakeDefaultsStore::setData(std::string_view key, std::string_view bytes) {
    if (refusedKeys.contains(key)) {
        return false;
    }
    values.insert_or_assign(std::string(key), std::string(bytes));
    ++writes[std::string(key)];
    return true;
}

} // namespace spanlet::fakes
