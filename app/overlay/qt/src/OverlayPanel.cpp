#include <QBackingStore>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <spanlet/overlay/qt/GuideEditorView.hpp>
#include <spanlet/overlay/qt/OverlayDamage.hpp>
#include <spanlet/overlay/qt/OverlayPanel.hpp>

#include "OverlayX11.hpp"

namespace spanlet {

namespace {

constexpr Qt::WindowFlags baseFlags = Qt::Tool | Qt::FramelessWindowHint |
                                      Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                                      Qt::WindowDoesNotAcceptFocus;

} // namespace

OverlayPanel::OverlayPanel(std::uint32_t screenId, QScreen* screen, const QRect& frame,
                           bool shapeMode)
    : QWidget(nullptr, baseFlags | Qt::WindowTransparentForInput), screenId_(screenId),
      shapeMode_(shapeMode) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(false);
    setWindowTitle(QStringLiteral("Spanlet Overlay"));
    if (screen) {
        setScreen(screen);
    }
    setGeometry(frame);
    applyMask();
}

OverlayPanel::~OverlayPanel() = default;

void OverlayPanel::setEditorView(GuideEditorView* view) {
    editor_ = view;
    view->setParent(this);
    view->setGeometry(rect());
}

void OverlayPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (editor_) {
        editor_->setGeometry(rect());
    }
}

void OverlayPanel::setDrawList(draw::DrawList list) {
    if (list == list_) {
        return;
    }
    const double dpr = devicePixelRatioF();
    std::vector<QRect> next = draw::drawnRects(list, dpr);
    std::vector<QRect> damage = drawnRects_;
    damage.insert(damage.end(), next.begin(), next.end());
    damage = draw::mergedRects(std::move(damage));
    list_ = std::move(list);
    drawnRects_ = std::move(next);
    applyMask();
    QRegion area;
    for (const QRect& r : damage) {
        area += r;
    }
    pending_.insert(pending_.end(), damage.begin(), damage.end());
    update(area);
}

void OverlayPanel::applyMask() {
    if (!shapeMode_) {
        return;
    }
    // Set on the native window in device pixels: a logical-pixel mask (QWidget::setMask) would
    // take in unpainted, black device pixels beside every thin line on a scale-2 display.
    deviceShape_ = draw::drawnDeviceRegion(list_, devicePixelRatioF());
    overlayx11::setShape(static_cast<std::uint32_t>(winId()), deviceShape_);
}

void OverlayPanel::paintEvent(QPaintEvent* event) {
    // The rectangles this panel asked for, plus whatever else Qt wants repainted (exposure).
    QRegion asked;
    for (const QRect& r : pending_) {
        asked += r;
    }
    std::vector<QRect> rects = std::move(pending_);
    pending_.clear();
    const QRegion rest = event->region() - asked;
    rects.insert(rects.end(), rest.begin(), rest.end());
    rects = draw::mergedRects(std::move(rects));
    // A top-level panel owns its backing store: painting that image directly, off this thread,
    // spares a painter here whose clip (the paint event's region) would make every copy slow.
    QBackingStore* store = backingStore();
    QPaintDevice* device = store != nullptr ? store->paintDevice() : nullptr;
    if (device != nullptr && device->devType() == QInternal::Image) {
        draw::repaintImage(*static_cast<QImage*>(device), list_, rects);
        return;
    }
    QPainter painter(this);
    draw::repaintRects(painter, list_, rects);
}

void OverlayPanel::setInputEnabled(bool enabled) {
    if (enabled == inputEnabled_) {
        return;
    }
    inputEnabled_ = enabled;
    Qt::WindowFlags flags = baseFlags;
    if (!enabled) {
        flags |= Qt::WindowTransparentForInput;
    } else {
        flags &= ~Qt::WindowDoesNotAcceptFocus;
    }
    // QWidget::setWindowFlags would recreate (and hide) the window; the native window takes
    // the new input shape and focus hints as it is.
    overrideWindowFlags(flags);
    if (QWindow* w = windowHandle()) {
        w->setFlags(flags);
    }
}

void OverlayPanel::showOnTop() {
    show();
    raise();
}

void OverlayPanel::takeFocus() {
    showOnTop();
    activateWindow();
    if (editor_) {
        editor_->setFocus(Qt::OtherFocusReason);
    }
    // Override-redirect windows get no focus from a window manager; ask the server directly.
    overlayx11::setInputFocus(static_cast<std::uint32_t>(winId()));
}

} // namespace spanlet
