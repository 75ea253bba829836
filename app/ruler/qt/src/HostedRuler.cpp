#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QStyleHints>
#include <cmath>

#include <spanlet/draw/qt/OverlayDamage.hpp>
#include <spanlet/model/Mensor.hpp>
#include <spanlet/ruler/RulerLayout.hpp>
#include <spanlet/ruler/RulerMenu.hpp>
#include <spanlet/ruler/qt/HostedRuler.hpp>
#include <spanlet/ruler/qt/RulerPanel.hpp>

namespace spanlet {

namespace {

/// How far (points) the second press of a double click may lie from the first.
constexpr double kDoubleClickDistance = 4;

bool darkAppearance() {
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

} // namespace

HostedRuler::HostedRuler(std::unique_ptr<PanelHost> host) : host_(std::move(host)) {
    host_->bind(
        [this](const OverlayCanvas& canvas, std::span<const Rect> rects) { paint(canvas, rects); },
        this);
    repaint_.setSingleShot(true);
    repaint_.setInterval(0);
    QObject::connect(&repaint_, &QTimer::timeout, [this] { repaintNow(); });
}

HostedRuler::~HostedRuler() {
    detach();
    host_->bind({}, nullptr);
}

void HostedRuler::attach(Mensor& model) {
    detach();
    model_ = &model;
    input_ = std::make_unique<RulerInput>(model);
    subscriptions_.push_back(
        model.tracking().pointer().subscribe([this](const Point&) { scheduleRepaint(); }));
    subscriptions_.push_back(
        model.prefs().subscribe([this](const Preferences&) { scheduleRepaint(); }));
    subscriptions_.push_back(model.screens().subscribe(
        [this](const std::vector<ScreenInfo>&) { place(*model_->ruler().shownFrame()); }));
    subscriptions_.push_back(model.ruler().shownFrame().subscribe(
        [this](const std::optional<Rect>& frame) { place(frame); }));
    place(*model.ruler().shownFrame());
}

void HostedRuler::detach() {
    subscriptions_.clear();
    host_->place(std::nullopt);
    placed_.reset();
    shown_ = {};
    input_.reset();
    model_ = nullptr;
}

RulerView HostedRuler::view() const {
    return RulerView::make(*model_->prefs(), *placed_, *model_->tracking().pointer(),
                           *model_->screens(), darkAppearance());
}

void HostedRuler::place(const std::optional<Rect>& frame) {
    if (!frame) {
        placed_.reset();
        shown_ = {};
        host_->place(std::nullopt);
        return;
    }
    // On whole points, as a window would be placed; the view is drawn for that frame.
    const QRect g = RulerPanel::windowGeometry(*frame);
    placed_ = Rect{double(g.x()), double(g.y()), double(g.width()), double(g.height())};
    // The drawing first: a panel made or resized now is painted from it.
    shown_ = RulerLayout::draw(view(), renderer_.measurer());
    host_->place(placed_);
    const Rect all{0, 0, placed_->width, placed_->height};
    host_->update({&all, 1});
}

void HostedRuler::scheduleRepaint() {
    if (!repaint_.isActive()) {
        repaint_.start();
    }
}

void HostedRuler::repaintNow() {
    repaint_.stop();
    if (model_ == nullptr || !placed_) {
        return;
    }
    draw::DrawList list = RulerLayout::draw(view(), renderer_.measurer());
    if (list == shown_) {
        return;
    }
    shown_ = std::move(list);
    // The ruler is small: all of it, rather than working out what changed.
    const Rect all{0, 0, placed_->width, placed_->height};
    host_->update({&all, 1});
}

void HostedRuler::paint(const OverlayCanvas& canvas, std::span<const Rect> rects) {
    QImage image(canvas.bits, canvas.width, canvas.height, canvas.stride,
                 canvas.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(canvas.scale);
    std::vector<QRect> logical;
    logical.reserve(rects.size());
    for (const Rect& r : rects) {
        logical.push_back(draw::QPainterBackend::damageRect(r, canvas.scale, 0));
    }
    draw::repaintImage(renderer_, image, shown_, logical);
}

void HostedRuler::hover(Point at) {
    if (model_ == nullptr || !placed_) {
        return;
    }
    if (!input_->inResizeZone({at.x - placed_->x, at.y - placed_->y})) {
        host_->setCursor(PanelCursor::openHand);
    } else if (model_->prefs()->rulerOrientation == RulerOrientation::horizontal) {
        host_->setCursor(PanelCursor::resizeLeftRight);
    } else {
        host_->setCursor(PanelCursor::resizeUpDown);
    }
}

void HostedRuler::pointerMoved(Point at) {
    if (input_ && input_->drag()) {
        input_->moved(at);
    } else {
        hover(at);
    }
}

void HostedRuler::buttonPressed(Point at, OverlayButton button) {
    if (!input_ || !placed_) {
        return;
    }
    if (button == OverlayButton::right) {
        showMenu(at);
        return;
    }
    if (button != OverlayButton::left) {
        return;
    }
    // Counted as a toolkit counts a double click: a second press soon after the first, near
    // it; a third starts afresh.
    const auto now = std::chrono::steady_clock::now();
    const std::chrono::milliseconds interval{
        QGuiApplication::styleHints()->mouseDoubleClickInterval()};
    const bool second =
        clicks_ == 1 && lastPress_ && now - *lastPress_ <= interval &&
        std::hypot(at.x - lastPressAt_.x, at.y - lastPressAt_.y) <= kDoubleClickDistance;
    clicks_ = second ? 2 : 1;
    lastPress_ = now;
    lastPressAt_ = at;
    const Point local{at.x - placed_->x, at.y - placed_->y};
    input_->press(at, local, clicks_);
    if (!input_->inResizeZone(local)) {
        host_->setCursor(PanelCursor::closedHand);
    }
}

void HostedRuler::buttonReleased(Point at, OverlayButton button) {
    if (!input_ || button != OverlayButton::left) {
        return;
    }
    input_->release();
    hover(at);
}

void HostedRuler::pointerLeft() {}

void HostedRuler::showMenu(Point at) {
    const Preferences& prefs = *model_->prefs();
    std::vector<RulerMenuEntry> entries =
        RulerMenu::entries(prefs.rulerOrientation, prefs.unit, at);
    std::vector<std::string> titles;
    titles.reserve(entries.size());
    for (const RulerMenuEntry& entry : entries) {
        titles.push_back(entry.title); // a separator's is empty
    }
    host_->showMenu(at, std::move(titles), [this, entries = std::move(entries)](std::size_t i) {
        if (model_ != nullptr && i < entries.size()) {
            perform(*model_, entries[i].action);
        }
    });
}

void HostedRuler::keyPressed(const OverlayKeyPress& key) {
    // A shortcut the desktop did not take, pressed while the ruler has the keyboard.
    if (model_ != nullptr) {
        if (const auto command = model_->prefs()->shortcuts.commandFor(key.text, key.modifiers())) {
            model_->perform(*command);
            return;
        }
    }
    if (input_) {
        input_->key(RulerKeys::fromKeyPress(key), key.shift, key.alt);
    }
}

} // namespace spanlet
