#include <QTimer>
#include <utility>

#include <spanlet/stillframe/FrameSource.hpp>

namespace spanlet::stillframe {

FirstFrameSource::FirstFrameSource(std::vector<std::unique_ptr<FrameSource>> sources)
    : sources_(std::move(sources)) {}

void FirstFrameSource::grab(const std::vector<ScreenInfo>& displays,
                            std::function<void(FrameResult)> done) {
    tryFrom(0, displays, std::move(done),
            {FrameRefusal::Kind::unavailable, "This desktop offers no way to capture the screen."});
}

void FirstFrameSource::tryFrom(std::size_t index, const std::vector<ScreenInfo>& displays,
                               std::function<void(FrameResult)> done, FrameRefusal last) {
    if (index >= sources_.size()) {
        // Later, as every source answers.
        QTimer::singleShot(0, [done = std::move(done), last = std::move(last)]() mutable {
            done(std::move(last));
        });
        return;
    }
    sources_[index]->grab(
        displays, [this, index, displays, done = std::move(done)](FrameResult result) mutable {
            const auto* refusal = std::get_if<FrameRefusal>(&result);
            if (refusal == nullptr || refusal->kind == FrameRefusal::Kind::refused) {
                done(std::move(result));
                return;
            }
            tryFrom(index + 1, displays, std::move(done), *refusal);
        });
}

} // namespace spanlet::stillframe
