#include "CaptureFixture.hpp"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <cmath>
#include <optional>

#include <spanlet/NumberText.hpp>
#include <spanlet/screen/ScreenCapture.hpp>

#include "X11Env.hpp"

namespace spanlet::test {

namespace {

// A window of ours filled with one opaque colour, crossed by lines along the row and column
// through `cross` (window-local points).
class OwnWindow : public QRasterWindow {
public:
    OwnWindow(QScreen* screen, const QRect& geometry, QPointF cross, QColor fill)
        : cross_(cross), fill_(fill) {
        setFlags(Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint |
                 Qt::WindowStaysOnTopHint | Qt::Tool);
        setScreen(screen);
        setGeometry(geometry);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(QRectF(0, 0, width(), height()), fill_);
        // The crosshair: one point wide, through the very row and column a capture reads.
        painter.fillRect(QRectF(0, cross_.y(), width(), 1), QColor(0, 255, 0));
        painter.fillRect(QRectF(cross_.x(), 0, 1, height()), QColor(0, 255, 0));
    }

private:
    QPointF cross_;
    QColor fill_;
};

// Calls `start` with a completion and waits for it; an error when it never comes or when it
// runs inside the call.
template <class T, class Start>
CaptureResult<T> await(const Start& start) {
    std::optional<CaptureResult<T>> result;
    bool inside = true;
    bool calledInside = false;
    start([&](CaptureResult<T> r) {
        calledInside = inside;
        result = std::move(r);
    });
    inside = false;
    if (calledInside || !waitUntil([&] { return result.has_value(); })) {
        return ScreenCapture::Error{std::string("no completion, or one inside the call")};
    }
    return *result;
}

std::string number(double value) {
    return NumberText::string(value, 0);
}

std::string text(RGBA p) {
    return "(" + number(p.r) + "," + number(p.g) + "," + number(p.b) + "," + number(p.a) + ")";
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
    if (displayIndex >= all.size() || !scene_->ok()) {
        return;
    }
    display_ = all[displayIndex];
    for (QScreen* s : QGuiApplication::screens()) {
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

// Registers the window with the capture, shows it and waits until the root window shows it
// (its fill or the crosshair) at `devicePoint`.
bool CaptureFixture::cover(const QRect& geometry, QPointF cross, QColor fill, QPoint devicePoint) {
    auto window = std::make_unique<OwnWindow>(screen_, geometry, cross, fill);
    OwnWindow& w = *window;
    ownWindows_.push_back(std::move(window));
    w.create();
    capture_->ownWindows()->add(static_cast<std::uint32_t>(w.winId()));
    w.show();
    w.raise();
    if (!waitUntil([&] { return w.isExposed(); })) {
        return false;
    }
    const RGBA ours{std::uint8_t(fill.red()), std::uint8_t(fill.green()), std::uint8_t(fill.blue()),
                    255};
    return waitUntil([&] {
        const RGBA shown = scene_->rootImage(QRect(devicePoint, QSize(1, 1)))(0, 0);
        return shown == ours || shown == RGBA{0, 255, 0, 255};
    });
}

bool CaptureFixture::coverDisplay(QPointF cross) {
    const double scale = display_.info.scale.factor();
    return cover(
        qrect(display_.info.frame), cross, QColor(255, 0, 255),
        QPoint(int(display_.deviceFrame.x + 3 * scale), int(display_.deviceFrame.y + 3 * scale)));
}

bool CaptureFixture::coverPart(const QRectF& local, QColor fill) {
    const Rect frame = display_.info.frame;
    const QRect device = deviceRect({local.x(), local.y(), local.width(), local.height()});
    return cover(local.translated(frame.x, frame.y).toAlignedRect(), QPointF(-10, -10), fill,
                 device.center());
}

CaptureResult<ScreenCapture::Filter> CaptureFixture::filter(std::uint32_t displayId) {
    return await<ScreenCapture::Filter>(
        [&](auto done) { capture_->filter(displayId, std::move(done)); });
}

CaptureResult<PixelBuffer> CaptureFixture::pixels(const ScreenCapture::Filter& filter,
                                                  const Rect& rect) {
    return await<PixelBuffer>([&](auto done) {
        capture_->pixels(filter, rect, display_.info.scale.factor(), std::move(done));
    });
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

std::string describe(const ScreenCapture::Error& error) {
    if (const auto* text = std::get_if<std::string>(&error.reason)) {
        return *text;
    }
    return std::get<ScreenCapture::Failure>(error.reason) == ScreenCapture::Failure::noDisplay
               ? "noDisplay"
               : "noImage";
}

std::string compare(const PixelBuffer& actual, const PixelBuffer& expected) {
    if (actual.width() != expected.width() || actual.height() != expected.height()) {
        return "size " + number(double(actual.width())) + "x" + number(double(actual.height())) +
               ", expected " + number(double(expected.width())) + "x" +
               number(double(expected.height()));
    }
    std::string report;
    std::int64_t differing = 0;
    for (std::int64_t y = 0; y < actual.height(); ++y) {
        for (std::int64_t x = 0; x < actual.width(); ++x) {
            if (actual(x, y) != expected(x, y) && differing++ < 5) {
                report += " at " + number(double(x)) + "," + number(double(y)) + ": " +
                          text(actual(x, y)) + " expected " + text(expected(x, y)) + ";";
            }
        }
    }
    return differing == 0 ? "" : number(double(differing)) + " pixels differ" + report;
}

} // namespace spanlet::test
