#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace spanlet {

/// Keeps an observer registered; destroying or resetting it unregisters the observer. Safe to
/// outlive the observed value.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            reset();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    ~Subscription() { reset(); }

    void reset() noexcept {
        if (auto cancel = std::exchange(cancel_, {})) {
            cancel();
        }
    }

private:
    std::function<void()> cancel_;
};

/// One observed field of the model: a value plus the observers that want to hear when it
/// changes. Assigning a value equal to the current one (by T's operator==) notifies nobody.
template <class T>
class Observable {
public:
    using Observer = std::function<void(const T&)>;

    explicit Observable(T initial = T{}) : value_(std::move(initial)) {}
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;

    [[nodiscard]] const T& value() const noexcept { return value_; }
    const T& operator*() const noexcept { return value_; }
    const T* operator->() const noexcept { return &value_; }

    /// Stores `next` and notifies every observer when it differs from the current value.
    /// Returns whether the value changed.
    bool set(T next) {
        if (next == value_) {
            return false;
        }
        value_ = std::move(next);
        notify();
        return true;
    }

    /// Registers `observer` for changes from now on. Observers may subscribe and unsubscribe
    /// (themselves or others) while being notified.
    [[nodiscard]] Subscription subscribe(Observer observer) const {
        const std::uint64_t key = observers_->next++;
        observers_->entries.emplace(key, std::make_shared<Observer>(std::move(observer)));
        std::weak_ptr<Registry> registry = observers_;
        return Subscription([registry, key] {
            if (auto r = registry.lock()) {
                r->entries.erase(key);
            }
        });
    }

    [[nodiscard]] std::size_t observerCount() const noexcept { return observers_->entries.size(); }

private:
    struct Registry {
        std::uint64_t next = 0;
        std::map<std::uint64_t, std::shared_ptr<Observer>> entries;
    };

    void notify() {
        // Walk a snapshot of the keys so observers can change the registry meanwhile; an
        // observer removed during this walk is not called any more.
        std::vector<std::uint64_t> keys;
        keys.reserve(observers_->entries.size());
        for (const auto& entry : observers_->entries) {
            keys.push_back(entry.first);
        }
        const std::shared_ptr<Registry> registry = observers_;
        for (std::uint64_t key : keys) {
            const auto found = registry->entries.find(key);
            if (found == registry->entries.end()) {
                continue;
            }
            const std::shared_ptr<Observer> observer = found->second;
            (*observer)(value_);
        }
    }

    T value_;
    std::shared_ptr<Registry> observers_ = std::make_shared<Registry>();
};

} // namespace spanlet
