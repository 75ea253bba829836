#include "CaptureFixture.hpp"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <spanlet/NumberText.hpp>
#include <spanlet/screen/ScreenCapture.hpp>

#include "X11Env.hpp"

namespace spanlet::test {

namespace {

bool compositorRunning(xcb_connection_t* c) {
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 13, "_NET_WM_CM_S0"), nullptr);
    if (!atom) {
        return false;
    }
    auto* owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    const bool running = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    std::free(atom);
    return running;
}

std::string text(RGBA p) {
    return "(" + NumberText::string(p.r, 0) + "," + NumberText::string(p.g, 0) + "," +
           NumberText::string(p.b, 0) + "," + NumberText::string(p.a, 0) + ")";
}

QRect qrect(const Rect& r) {
    return QRect(int(r.x), int(r.y), int(r.width), int(r.height));
}

} // namespace

CaptureFixture::CaptureFixture(std::size_t displayIndex, bool compositor,
                               X11Capture::Options options) {
    if (compositor && !startCompositor()) {
        return;
    }
    displays_ = std::make_unique<X11DisplayPort>();
    capture_ = std::make_unique<X11Capture>(*displays_, std::move(options));
    scene_ = std::make_unique<Scene>();
    const auto all = displays_->displays();
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (displayIndex >= all.size() || !scene_->ok()) {
        return;
    }
    display_ = all[displayIndex];
    for (QScreen* s : screens) {
        if (s->geometry() == qrect(display_.info.frame)) {
            screen_ = s;
        }
    }
    ok_ = screen_ != nullptr;
}

bool CaptureFixture::startCompositor() {
    compositor_ = Background({"xcompmgr"});
    return waitUntil([] { return compositorRunning(qtConnection()); });
}

CaptureFixture::~CaptureFixture() {
    ownWindows_.clear();
    capture_.reset();
    scene_.reset();
    compositor_.stop();
    settle();
}

bool CaptureFixture::coverDisplay(QPointF cross) {
    const Rect frame = display_.info.frame;
    auto window = std::make_unique<OwnWindow>(screen_, qrect(frame), cross, QColor(255, 0, 255));
    const double scale = display_.info.scale.factor();
    const QPoint probe(int(display_.deviceFrame.x + 3 * scale),
                       int(display_.deviceFrame.y + 3 * scale));
    const bool shown = window->showOver(*capture_, probe);
    ownWindows_.push_back(std::move(window));
    return shown;
}

bool CaptureFixture::coverPart(const QRectF& local, QColor fill) {
    const Rect frame = display_.info.frame;
    const QRect geometry = local.translated(frame.x, frame.y).toAlignedRect();
    auto window = std::make_unique<OwnWindow>(screen_, geometry, QPointF(-10, -10), fill);
    const QRect device = deviceRect({local.x(), local.y(), local.width(), local.height()});
    const bool shown = window->showOver(*capture_, device.center());
    ownWindows_.push_back(std::move(window));
    return shown;
}

CaptureResult<ScreenCapture::Filter> CaptureFixture::filter(std::uint32_t displayId) {
    const auto result = awaitResult<ScreenCapture::Filter>(
        [&](auto done) { capture_->filter(displayId, std::move(done)); });
    if (!result) {
        return ScreenCapture::Error{std::string("no completion, or one inside the call")};
    }
    return *result;
}

CaptureResult<PixelBuffer> CaptureFixture::pixels(const ScreenCapture::Filter& filter,
                                                  const Rect& rect) {
    const auto result = awaitResult<PixelBuffer>([&](auto done) {
        capture_->pixels(filter, rect, display_.info.scale.factor(), std::move(done));
    });
    if (!result) {
        return ScreenCapture::Error{std::string("no completion, or one inside the call")};
    }
    return *result;
}

QRect CaptureFixture::deviceRect(const Rect& rect) const {
    const double scale = display_.info.scale.factor();
    const ScreenCapture::PixelSize size = ScreenCapture::outputSize(rect, scale);
    return QRect(int(display_.deviceFrame.x + std::round(rect.x * scale)),
                 int(display_.deviceFrame.y + std::round(rect.y * scale)), int(size.width),
                 int(size.height));
}

PixelBuffer CaptureFixture::expected(const Rect& rect) const {
    return scene_->expected(deviceRect(rect), qrect(display_.deviceFrame));
}

std::string compare(const PixelBuffer& actual, const PixelBuffer& expected) {
    if (actual.width() != expected.width() || actual.height() != expected.height()) {
        return "size " + NumberText::string(double(actual.width()), 0) + "x" +
               NumberText::string(double(actual.height()), 0) + ", expected " +
               NumberText::string(double(expected.width()), 0) + "x" +
               NumberText::string(double(expected.height()), 0);
    }
    std::string report;
    int shown = 0;
    std::int64_t differing = 0;
    for (std::int64_t y = 0; y < actual.height(); ++y) {
        for (std::int64_t x = 0; x < actual.width(); ++x) {
            if (actual(x, y) == expected(x, y)) {
                continue;
            }
            ++differing;
            if (shown++ < 5) {
                report += " at " + NumberText::string(double(x), 0) + "," +
                          NumberText::string(double(y), 0) + ": " + text(actual(x, y)) +
                          " expected " + text(expected(x, y)) + ";";
            }
        }
    }
    if (differing == 0) {
        return {};
    }
    return NumberText::string(double(differing), 0) + " pixels differ" + report;
}

} // namespace spanlet::test
