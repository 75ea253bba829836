#pragma once

#include <QWidget>
#include <functional>

#include <spanlet/PixelBuffer.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>

namespace spanlet {

/// The colour sampler's window: the loupe's magnified pixels around the pointer, drawn as the
/// overlay draws them, following the pointer; it holds the pointer and keyboard grabs while
/// the sampler is open.
class SamplerLoupe final : public QWidget {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void()> moved;
        std::function<void()> picked;
        std::function<void()> cancelled;
    };

    explicit SamplerLoupe(Handlers handlers);

    /// Shows the window beside the global point `pointer` (points) and takes the pointer and
    /// the keyboard, retrying while the window is not mapped yet.
    void open(QPoint pointer);
    /// Releases the grabs and hides the window.
    void dismiss();
    /// Keeps the window beside the pointer, on the screen that holds it.
    void follow(QPoint pointer);
    void setPatch(PixelBuffer patch);
    [[nodiscard]] bool isGrabbing() const noexcept { return grabbing_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void grab(int attemptsLeft);

    Handlers handlers_;
    PixelBuffer patch_;
    draw::QPainterBackend renderer_;
    bool grabbing_ = false;
};

} // namespace spanlet
