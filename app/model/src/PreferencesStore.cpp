#include <ctime>
#include <utility>
#include <vector>

#include <spanlet/model/PreferencesStore.hpp>

namespace spanlet {

namespace {

/// "20261207T030631Z": sorts as it happened, and is a plain file name.
std::string utcStamp(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    char text[32] = {};
    if (::gmtime_r(&seconds, &utc) == nullptr ||
        std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc) == 0) {
        return "unknown-time";
    }
    return text;
}

} // namespace

PreferencesStore::PreferencesStore(DefaultsStore& store, WallClock now)
    : store_(store), now_(std::move(now)) {}

Preferences PreferencesStore::load() {
    unreadable_.reset();
    StoredValue stored = store_.read(Preferences::key);
    switch (stored.state) {
    case StoredValue::State::missing:
        return {};
    case StoredValue::State::unreadable:
        unreadable_ = Unreadable{};
        return {};
    case StoredValue::State::readable:
        break;
    }
    std::optional<DecodedPreferences> decoded = decodePreferences(stored.bytes);
    if (!decoded || !decoded->fellBack.empty()) {
        // Saving would drop what could not be read, so the document is kept first.
        unreadable_ = Unreadable{std::move(stored.bytes)};
    }
    return decoded ? std::move(decoded->preferences) : Preferences{};
}

bool PreferencesStore::save(const Preferences& preferences) {
    if (unreadable_) {
        if (!setAside(*unreadable_)) {
            if (!std::exchange(toldNotKept_, true)) {
                notice_ = PreferencesNotice{
                    PreferencesNotice::Kind::unreadableNotKept, {}, StoreFailure::other};
            }
            return false;
        }
        unreadable_.reset();
    }
    std::string document;
    try {
        document = encode(preferences);
    } catch (...) {
        return false;
    }
    const StoreResult stored = store_.setData(Preferences::key, document);
    if (!stored) {
        if (!toldNotSaved_ && !notice_) {
            toldNotSaved_ = true;
            notice_ = PreferencesNotice{PreferencesNotice::Kind::notSaved, {}, stored.failure};
        }
        return false;
    }
    toldNotSaved_ = false;
    return true;
}

bool PreferencesStore::setAside(const Unreadable& document) {
    const std::string key = freshCopyKey();
    // A document that was read is copied, so a linked preferences file keeps its link; one
    // that could not be read is moved aside as it is.
    const StoreResult kept = document.bytes ? store_.setData(key, *document.bytes)
                                            : store_.moveData(Preferences::key, key);
    if (!kept) {
        return false;
    }
    notice_ = PreferencesNotice{PreferencesNotice::Kind::unreadableKept, store_.location(key),
                                StoreFailure::none};
    dropOldCopies(key);
    return true;
}

std::string PreferencesStore::freshCopyKey() const {
    const std::string base = std::string(unreadablePrefix) + utcStamp(now_());
    std::string key = base;
    for (int n = 2; store_.hasData(key) && n < 100; ++n) {
        key = base + "-" + std::to_string(n);
    }
    return key;
}

void PreferencesStore::dropOldCopies(std::string_view keep) {
    std::vector<std::string> copies = store_.keys(unreadablePrefix);
    std::erase(copies, keep); // the newest, whatever the clock said
    for (std::size_t i = 0; i + keptCopies < copies.size() + 1; ++i) {
        store_.removeData(copies[i]);
    }
}

} // namespace spanlet
