#pragma once

#include <memory>

#include <spanlet/model/Announcer.hpp>

class QObject;

namespace spanlet {

/// Announcements for screen readers. Qt 6.4 has no announcement event, so a hidden accessible
/// object with the Notification role stands in: each announcement becomes its name, followed
/// by NameChanged and ObjectShow events, which the AT-SPI bridge passes on as a live
/// notification.
class QtAnnouncer final : public Announcer {
public:
    QtAnnouncer();
    ~QtAnnouncer() override;
    QtAnnouncer(const QtAnnouncer&) = delete;
    QtAnnouncer& operator=(const QtAnnouncer&) = delete;

    void announce(const std::string& text) override;

    /// The object the events are sent for.
    [[nodiscard]] QObject* object() const noexcept { return object_.get(); }

private:
    std::unique_ptr<QObject> object_;
    unsigned id_ = 0;
};

} // namespace spanlet
