// The least a pointer-following loupe can do with Qt on X11, as a yardstick for Spanlet's CPU
// figure in the same run (bench/run_latency.sh): every 16 ms it asks where the pointer is, and
// when it has moved, reads the 15×15 pixels around it from the root window, moves a small
// window beside it and repaints the pixels 10× with their hex colour below. No edges, no
// labels, no overlay over the display, no transparency.
#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kPatch = 15;
constexpr int kZoom = 10;
constexpr int kSide = kPatch * kZoom;
constexpr int kTextHeight = 20;

class ReferenceLoupe final : public QWidget {
public:
    ReferenceLoupe()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        resize(kSide, kSide + kTextHeight);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
        timer_.start(16);
    }

private:
    void tick() {
        const QPoint pointer = QCursor::pos();
        if (pointer == last_) {
            return;
        }
        last_ = pointer;
        patch_ =
            screen()
                ->grabWindow(0, pointer.x() - kPatch / 2, pointer.y() - kPatch / 2, kPatch, kPatch)
                .toImage();
        // Beside the pointer, so the window is never in its own patch.
        move(pointer + QPoint(kPatch, kPatch));
        update();
    }

    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.drawImage(QRect(0, 0, kSide, kSide), patch_);
        painter.fillRect(QRect(0, kSide, kSide, kTextHeight), Qt::black);
        const QColor middle =
            patch_.isNull() ? QColor(Qt::black) : patch_.pixelColor(kPatch / 2, kPatch / 2);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, kSide, kSide, kTextHeight), Qt::AlignCenter,
                         middle.name(QColor::HexRgb).toUpper());
    }

    QTimer timer_;
    QPoint last_{-1, -1};
    QImage patch_;
};

} // namespace

int main(int argc, char** argv) {
    const QApplication app(argc, argv);
    ReferenceLoupe loupe;
    loupe.show();
    return QApplication::exec();
}
