#include <QTimer>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/ruler/qt/QtRulerController.hpp>
#include <spanlet/ruler/qt/RulerPanel.hpp>

namespace spanlet {

QtRulerController::QtRulerController(const DisplayPort& displays, WindowSurfaces& surfaces)
    : displays_(displays), surfaces_(surfaces) {}

QtRulerController::~QtRulerController() {
    detach();
}

void QtRulerController::attach(Mensor& model) {
    detach();
    model_ = &model;
    subscriptions_.push_back(
        model.tracking().pointer().subscribe([this](const Point&) { repaint(); }));
    subscriptions_.push_back(model.prefs().subscribe([this](const Preferences&) { repaint(); }));
    subscriptions_.push_back(
        model.screens().subscribe([this](const std::vector<ScreenInfo>&) { repaint(); }));
    subscriptions_.push_back(model.ruler().shownFrame().subscribe(
        [this](const std::optional<Rect>& frame) { place(frame); }));
    place(*model.ruler().shownFrame());
}

void QtRulerController::detach() {
    subscriptions_.clear();
    panel_.reset();
    model_ = nullptr;
}

void QtRulerController::repaint() {
    if (panel_ && panel_->isVisible()) {
        panel_->update();
    }
}

void QtRulerController::restoreGeometry() {
    constexpr int maximumRestores = 3;
    if (restorePending_ || restoresInARow_ >= maximumRestores) {
        return;
    }
    restorePending_ = true;
    QTimer::singleShot(0, panel_.get(), [this] {
        restorePending_ = false;
        ++restoresInARow_;
        if (model_) {
            place(*model_->ruler().shownFrame());
        }
    });
}

void QtRulerController::place(const std::optional<Rect>& frame) {
    if (!frame) {
        if (panel_) {
            panel_->hide();
        }
        return;
    }
    if (!panel_) {
        panel_ = std::make_unique<RulerPanel>(*model_, displays_);
        surfaces_.addOwnWindow(panel_->winId()); // makes the native window, still unmapped
        panel_->setShaped(!surfaces_.compositing());
        QObject::connect(panel_.get(), &RulerPanel::geometryDisturbed, panel_.get(),
                         [this] { restoreGeometry(); });
    }
    const QRect geometry = RulerPanel::windowGeometry(*frame);
    if (panel_->geometry() == geometry) {
        restoresInARow_ = 0;
    } else {
        panel_->setGeometry(geometry);
        panel_->update();
    }
    if (!panel_->isVisible()) {
        panel_->show();
        panel_->raise();
    }
}

} // namespace spanlet
