// A full-screen window of known boxes, painted one device pixel per pixel, and the still frame
// that GNOME's screen cast gives of its display: they must be equal pixel for pixel. At a
// fractional scale (where Qt draws at the next whole one, so no window is one to one) the frame
// must instead have as many pixels as the displays port counts. Run on a headless mutter
// (mutter_screencast.sh). Prints the time one grab took; exits 1 on a mismatch or a refusal.
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <cmath>
#include <cstdio>
#include <memory>

#include <spanlet/stillframe/MutterScreenCast.hpp>
#include <spanlet/stillframe/ScreenDisplays.hpp>

using namespace spanlet;
using namespace spanlet::stillframe;

namespace {

// Channels that differ from each other, odd edges and one-pixel lines, so that a swapped
// channel, a scaled or shifted picture, or a wrong stride shows.
QImage scene(QSize pixels) {
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(QColor(0x20, 0x40, 0x60));
    QPainter painter(&image);
    painter.fillRect(QRect(1, 1, 101, 51), QColor(0xff, 0x00, 0x00));
    painter.fillRect(QRect(131, 77, 57, 203), QColor(0x00, 0xff, 0x00));
    painter.fillRect(QRect(301, 33, 99, 99), QColor(0x00, 0x00, 0xff));
    painter.fillRect(QRect(0, pixels.height() - 1, pixels.width(), 1), QColor(0xf0, 0xe0, 0x10));
    painter.fillRect(QRect(pixels.width() - 1, 0, 1, pixels.height()), QColor(0x12, 0x34, 0x56));
    painter.fillRect(QRect(pixels.width() / 2 + 1, pixels.height() / 2 + 1, 3, 1),
                     QColor(0xfe, 0xdc, 0xba));
    return image;
}

// Paints the scene at the size the compositor gave; once it has shown it (the first frame
// callback after the paint), hands it to `shown`.
class SceneWindow final : public QRasterWindow {
public:
    explicit SceneWindow(std::function<void(const QImage&)> shown) : shown_(std::move(shown)) {}

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        scene_ = scene((QSizeF(size()) * devicePixelRatio()).toSize());
        scene_.setDevicePixelRatio(devicePixelRatio());
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), scene_);
        requestUpdate();
    }

    bool event(QEvent* event) override {
        if (event->type() == QEvent::UpdateRequest && !scene_.isNull() && shown_) {
            auto shown = std::move(shown_);
            shown_ = nullptr;
            shown(scene_);
            return true;
        }
        return QRasterWindow::event(event);
    }

private:
    std::function<void(const QImage&)> shown_;
    QImage scene_;
};

// Where the two first differ, or an empty string.
std::string difference(const QImage& expected, const QImage& actual) {
    if (actual.size() != expected.size()) {
        return "size " + std::to_string(actual.width()) + "x" + std::to_string(actual.height()) +
               ", expected " + std::to_string(expected.width()) + "x" +
               std::to_string(expected.height());
    }
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb want = expected.pixel(x, y) & 0xffffffU;
            const QRgb got = actual.pixel(x, y) & 0xffffffU;
            if (want != got) {
                char text[96];
                std::snprintf(text, sizeof text, "pixel (%d, %d) is %06x, expected %06x", x, y, got,
                              want);
                return text;
            }
        }
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    const ScreenDisplays displays;
    const ScreenInfo display = displays.currentScreens().at(0);
    const double ratio = display.scale.factor();
    const bool whole = ratio == std::floor(ratio);
    const auto pixels = [&display](double points) {
        return static_cast<int>(std::lround(points * display.scale.factor()));
    };
    MutterScreenCast source(QDBusConnection::sessionBus());
    int status = 1;
    QElapsedTimer clock;
    SceneWindow window([&](const QImage& expected) {
        clock.start();
        source.grab({display}, [&, expected](FrameResult result) {
            const qint64 ms = clock.elapsed();
            if (const auto* refusal = std::get_if<FrameRefusal>(&result)) {
                std::fprintf(stderr, "no frame: %s\n", refusal->message.c_str());
            } else if (const auto& frames = std::get<std::vector<DisplayFrame>>(result);
                       frames.size() != 1 || frames[0].displayId != 1) {
                std::fprintf(stderr, "expected one frame of display 1\n");
            } else if (!whole && (frames[0].image.width() != pixels(display.frame.width) ||
                                  frames[0].image.height() != pixels(display.frame.height))) {
                std::fprintf(stderr, "the frame is %dx%d at scale %g, the displays port %dx%d\n",
                             frames[0].image.width(), frames[0].image.height(), ratio,
                             pixels(display.frame.width), pixels(display.frame.height));
            } else if (const std::string wrong =
                           whole ? difference(expected, frames[0].image) : std::string();
                       !wrong.empty()) {
                std::fprintf(stderr, "the frame differs at scale %g: %s\n", ratio, wrong.c_str());
            } else {
                std::printf("scale %g: %dx%d equal; one grab took %lld ms\n", ratio,
                            frames[0].image.width(), frames[0].image.height(),
                            static_cast<long long>(ms));
                status = 0;
            }
            QGuiApplication::exit(status);
        });
    });
    window.setScreen(screen);
    window.showFullScreen();
    return QGuiApplication::exec();
}
