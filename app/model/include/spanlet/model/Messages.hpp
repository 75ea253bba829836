#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <spanlet/model/Announcer.hpp>
#include <spanlet/model/Clock.hpp>
#include <spanlet/model/MensorRecords.hpp>
#include <spanlet/model/Observable.hpp>

namespace spanlet {

/// The on-screen message and what is said to assistive technology. A message hides itself
/// after toastDuration; its timer reaches this through a lifetime token.
class Messages {
public:
    /// How long a message stays on screen.
    static constexpr std::chrono::milliseconds toastDuration{1400};

    /// `changed` runs after the message appeared or went. The ports must outlive this.
    Messages(Clock& clock, Announcer& announcer, std::function<void()> changed);
    ~Messages();
    Messages(const Messages&) = delete;
    Messages& operator=(const Messages&) = delete;

    [[nodiscard]] const Observable<std::optional<Toast>>& toast() const noexcept { return toast_; }

    /// Shows `text` for toastDuration and announces `announcement` (else the text itself).
    void show(std::string text, std::optional<std::string> announcement = std::nullopt);
    void announce(const std::string& text);

private:
    [[nodiscard]] std::weak_ptr<Messages> weakSelf() {
        return std::shared_ptr<Messages>(lifetime_, this);
    }

    Clock& clock_;
    Announcer& announcer_;
    std::function<void()> changed_;
    std::shared_ptr<char> lifetime_ = std::make_shared<char>();
    Observable<std::optional<Toast>> toast_;
    TimerHandle toastTimer_;
};

} // namespace spanlet
