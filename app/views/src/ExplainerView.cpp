#include "ExplainerView.hpp"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <spanlet/views/ToolViewInfo.hpp>
#include <spanlet/views/ViewText.hpp>

#include "ViewStyle.hpp"

namespace spanlet::views {

namespace {

/// A dashed rectangle with a recording badge, in the accent colour.
class RecordingSymbol : public QWidget {
public:
    RecordingSymbol() { setFixedSize(36, 30); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor accent = palette().color(QPalette::Highlight);
        painter.setPen(QPen(accent, 2, Qt::DashLine));
        painter.drawRoundedRect(QRectF(2, 4, 26, 20), 3, 3);
        painter.setPen(QPen(palette().color(QPalette::Window), 2));
        painter.setBrush(accent);
        painter.drawEllipse(QPointF(27, 22), 7, 7);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::Window));
        painter.drawEllipse(QPointF(27, 22), 3, 3);
    }
};

QPushButton* button(const QString& text, const char* name) {
    auto* b = new QPushButton(text);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(text);
    return b;
}

} // namespace

ExplainerView::ExplainerView(Mensor& model, PermissionPort& permission, std::function<void()> done,
                             QWidget* parent)
    : QWidget(parent), model_(model), permission_(permission), done_(std::move(done)) {
    setObjectName(QStringLiteral("explainerView"));
    setFixedWidth(toolViewFrame(Windows::Kind::explainer).width);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(14);

    auto* heading = new QHBoxLayout;
    heading->setSpacing(10);
    heading->addWidget(new RecordingSymbol);
    QLabel* title = label(QStringLiteral("Edge snapping needs Screen Recording"));
    scaleFont(title, 1.4, true);
    heading->addWidget(title, 1);
    column->addLayout(heading);

    column->addWidget(label(QStringLiteral(
        "To find the edges under the pointer, Spanlet reads one thin row and one thin column of "
        "pixels through the pointer, plus a tiny square for the loupe, while edge snapping is "
        "on.")));
    column->addWidget(label(QStringLiteral(
        "Those pixels stay in memory on this computer and are never recorded or sent anywhere. "
        "Only "
        "colors you choose to pick are kept, in your recent colors. Spanlet’s own ruler and "
        "guides are left out.")));
    // Where reading the screen needs no permission (X11), say so instead of how to grant it.
    const bool needed = !permission_.preflight();
    column->addWidget(label(
        needed ? QStringLiteral("macOS will ask you to allow Spanlet in System Settings under "
                                "Privacy & Security, Screen & System Audio Recording. You may "
                                "need to reopen Spanlet after allowing it.")
               : qs(ViewText::noPermissionNeeded)));
    column->addWidget(label(QStringLiteral(
        "Everything else works without it: the ruler, guides and the color picker.")));
    notAllowed_ = label(QStringLiteral("Spanlet isn’t allowed yet. Turn it on in System Settings, "
                                       "then choose Check Again."));
    notAllowed_->setObjectName(QStringLiteral("notAllowed"));
    scaleFont(notAllowed_, 1.0, true);
    column->addWidget(notAllowed_);

    auto* buttons = new QHBoxLayout;
    notNow_ = button(QStringLiteral("Not Now"), "notNow");
    connect(notNow_, &QPushButton::clicked, this, [this] { done_(); });
    continue_ = button(QStringLiteral("Continue"), "continue");
    connect(continue_, &QPushButton::clicked, this, [this] { proceed(); });
    openSettings_ = button(QStringLiteral("Open System Settings"), "openSystemSettings");
    settingsKnown_ = needed;
    connect(openSettings_, &QPushButton::clicked, this, [this] { permission_.openSettings(); });
    checkAgain_ = button(QStringLiteral("Check Again"), "checkAgain");
    connect(checkAgain_, &QPushButton::clicked, this, [this] { checkAgain(); });
    continue_->setDefault(true);
    checkAgain_->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(notNow_);
    buttons->addWidget(continue_);
    buttons->addWidget(openSettings_);
    buttons->addWidget(checkAgain_);
    column->addLayout(buttons);
    setAsked(false);
}

void ExplainerView::proceed() {
    model_.updatePrefs([](Preferences& p) { p.explainerSeen = true; });
    if (permission_.preflight() || permission_.request()) {
        model_.enableSnapping();
        done_();
        return;
    }
    setAsked(true);
}

void ExplainerView::checkAgain() {
    if (!permission_.preflight()) {
        return;
    }
    setAsked(false);
    model_.enableSnapping();
    done_();
}

void ExplainerView::setAsked(bool asked) {
    asked_ = asked;
    notAllowed_->setVisible(asked);
    continue_->setVisible(!asked);
    openSettings_->setVisible(asked && settingsKnown_);
    checkAgain_->setVisible(asked);
    fitHeight(this);
}

void ExplainerView::keyPressEvent(QKeyEvent* event) {
    // Return means the default button of the state shown; Escape means "Not Now".
    if (!pressDialogButton(event->key(), asked_ ? checkAgain_ : continue_, notNow_)) {
        QWidget::keyPressEvent(event);
    }
}

void ExplainerView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitHeight(this);
}

} // namespace spanlet::views
