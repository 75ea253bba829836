#include <utility>

#include <spanlet/stillframe/StillFrames.hpp>

namespace spanlet::stillframe {

namespace {

const ScreenCapture::Error kNoFrame{ScreenCapture::Failure::noImage};

} // namespace

void StillFrames::expect() {
    frames_.clear();
    state_ = State::expected;
}

void StillFrames::set(const std::vector<ScreenInfo>& displays,
                      const std::vector<DisplayFrame>& frames) {
    frames_.clear();
    for (const DisplayFrame& f : frames) {
        for (const ScreenInfo& display : displays) {
            if (display.id == f.displayId) {
                frames_[f.displayId] = {display, f.image.convertToFormat(QImage::Format_RGB32)};
            }
        }
    }
    state_ = State::ready;
    answer(std::nullopt);
    notifyWatcher();
}

void StillFrames::refuse(const std::string& message) {
    frames_.clear();
    state_ = State::none;
    answer(ScreenCapture::Error{message});
    notifyWatcher();
}

void StillFrames::drop() {
    frames_.clear();
    state_ = State::none;
    answer(kNoFrame);
    notifyWatcher();
}

const StillFrames::Frame* StillFrames::frame(std::uint32_t id) const {
    const auto found = frames_.find(id);
    return found == frames_.end() ? nullptr : &found->second;
}

void StillFrames::await(std::function<void(std::optional<ScreenCapture::Error>)> then) {
    if (state_ == State::expected) {
        waiting_.push_back(std::move(then));
        return;
    }
    std::optional<ScreenCapture::Error> outcome;
    if (state_ == State::none) {
        outcome = kNoFrame;
    }
    QMetaObject::invokeMethod(
        &context_, [then = std::move(then), outcome] { then(outcome); }, Qt::QueuedConnection);
}

void StillFrames::watch(std::function<void()> changed) {
    watcher_ = std::move(changed);
}

void StillFrames::notifyWatcher() {
    if (auto changed = std::exchange(watcher_, nullptr)) {
        QMetaObject::invokeMethod(&context_, std::move(changed), Qt::QueuedConnection);
    }
}

void StillFrames::answer(const std::optional<ScreenCapture::Error>& outcome) {
    for (auto& then : std::exchange(waiting_, {})) {
        QMetaObject::invokeMethod(
            &context_, [then = std::move(then), outcome] { then(outcome); }, Qt::QueuedConnection);
    }
}

} // namespace spanlet::stillframe
