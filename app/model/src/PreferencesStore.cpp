#include <utility>

#include <spanlet/model/PreferencesStore.hpp>

namespace spanlet {

Preferences PreferencesStore::load() {
    unreadable_.reset();
    std::optional<std::string> bytes = store_.data(Preferences::key);
    if (!bytes) {
        return {};
    }
    if (auto decoded = decode<Preferences>(std::string_view(*bytes))) {
        return *decoded;
    }
    unreadable_ = std::move(bytes);
    return {};
}

bool PreferencesStore::save(const Preferences& preferences) {
    if (unreadable_) {
        if (!store_.hasData(unreadableKey) && !store_.setData(unreadableKey, *unreadable_)) {
            return false;
        }
        unreadable_.reset();
    }
    return preferences.save(store_);
}

} // namespace spanlet
