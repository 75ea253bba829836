#include <spanlet/Uuid.hpp>
#include <spanlet/model/Messages.hpp>

namespace spanlet {

Messages::Messages(Clock& clock, Announcer& announcer, std::function<void()> changed)
    : clock_(clock), announcer_(announcer), changed_(std::move(changed)) {}

Messages::~Messages() {
    // The timer holds only the lifetime token, which dies with this; it is cancelled so it does
    // not even wake up.
    toastTimer_.cancel();
}

void Messages::show(std::string text, std::optional<std::string> announcement) {
    const Toast toast{Uuid::random(), text};
    toast_.set(toast);
    announce(announcement.value_or(text));
    changed_();
    // Each message lasts its own full duration; a newer one makes this timer a no-op.
    toastTimer_ = clock_.schedule(toastDuration, [weak = weakSelf(), toast] {
        auto self = weak.lock();
        if (self && *self->toast_ == toast) {
            self->toast_.set(std::nullopt);
            self->changed_();
        }
    });
}

void Messages::announce(const std::string& text) {
    announcer_.announce(text);
}

} // namespace spanlet
