#pragma once

#include <functional>
#include <memory>

class QObject;
class QScreen;

namespace spanlet {

/// Qt's reports that a screen was added, removed, made primary, moved, resized or rescaled:
/// `each` runs at every report, `settled` once per event-loop turn that had any (one change of
/// the outputs comes as several reports in one turn). Main thread only.
class QtScreenChanges {
public:
    QtScreenChanges(std::function<void()> each, std::function<void()> settled);
    ~QtScreenChanges();
    QtScreenChanges(const QtScreenChanges&) = delete;
    QtScreenChanges& operator=(const QtScreenChanges&) = delete;

private:
    void watch(QScreen* screen);
    void reported();

    std::unique_ptr<QObject> context_;
    std::function<void()> each_;
    std::function<void()> settled_;
    bool pending_ = false;
};

} // namespace spanlet
