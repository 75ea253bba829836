#include <QCloseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QRegion>
#include <cmath>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/ruler/RulerAccessibility.hpp>
#include <spanlet/ruler/RulerLayout.hpp>
#include <spanlet/ruler/qt/RulerAccessible.hpp>
#include <spanlet/ruler/qt/RulerPanel.hpp>

namespace spanlet {

namespace {

/// The corner radius of the face RulerLayout draws (points).
constexpr double kFaceCornerRadius = 5;

int rounded(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

RulerPanel::RulerPanel(Mensor& model, const DisplayPort& displays)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint),
      model_(model), displays_(displays), input_(model) {
    RulerAccessible::install();
    // Both before the native window exists: the translucent background picks an ARGB visual.
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Ruler"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setCursor(Qt::OpenHandCursor);
}

RulerPanel::~RulerPanel() = default;

QRect RulerPanel::windowGeometry(const Rect& frame) {
    return {rounded(frame.x), rounded(frame.y), rounded(frame.width), rounded(frame.height)};
}

Rect RulerPanel::frame() const {
    const QRect g = windowGeometry(model_.ruler().frame());
    return {double(g.x()), double(g.y()), double(g.width()), double(g.height())};
}

RulerView RulerPanel::view() const {
    return RulerView::make(*model_.prefs(), frame(), *model_.tracking().pointer(),
                           *model_.screens(), darkAppearance());
}

bool RulerPanel::darkAppearance() const {
    return palette().color(QPalette::Window).lightness() < 128;
}

QString RulerPanel::accessibleValue() const {
    return QString::fromStdString(RulerAccessibility::value(view()));
}

void RulerPanel::paintEvent(QPaintEvent* event) {
    // The backing store starts out clear (translucent background): only the ruler is drawn.
    QPainter painter(this);
    renderer_.paint(painter, RulerLayout::draw(view(), renderer_.measurer()),
                    QRectF(event->rect()));
}

void RulerPanel::checkGeometry() {
    if (isVisible() && geometry() != windowGeometry(model_.ruler().frame())) {
        Q_EMIT geometryDisturbed();
    }
}

void RulerPanel::setShaped(bool shaped) {
    shaped_ = shaped;
    updateShape();
}

void RulerPanel::updateShape() {
    if (!shaped_) {
        clearMask();
        return;
    }
    // The face's outline (corner radius 5), its stroke included.
    QPainterPath face;
    face.addRoundedRect(QRectF(rect()), kFaceCornerRadius, kFaceCornerRadius);
    setMask(QRegion(face.toFillPolygon().toPolygon()));
}

void RulerPanel::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    checkGeometry();
}

void RulerPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateShape();
    checkGeometry();
}

void RulerPanel::closeEvent(QCloseEvent* event) {
    // A window manager's close hides the ruler through the model, so the model keeps knowing
    // whether it is shown; the panel itself lives on.
    event->ignore();
    if (*model_.ruler().visible()) {
        model_.ruler().toggle();
    }
}

} // namespace spanlet
