#include "ExplainerView.hpp"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
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
    title_ = label(QString());
    title_->setObjectName(QStringLiteral("title"));
    scaleFont(title_, 1.4, true);
    heading->addWidget(title_, 1);
    column->addLayout(heading);

    column->addWidget(label(QStringLiteral(
        "To find the edges under the pointer, Spanlet reads one thin row and one thin column of "
        "pixels through the pointer, plus a tiny square for the loupe, while edge snapping is "
        "on.")));
    privacy_ = label(QStringLiteral(
        "Those pixels stay in memory on this computer and are never recorded or sent anywhere. "
        "Only colors you choose to pick are kept, in your recent colors. Spanlet’s own ruler and "
        "guides are left out."));
    column->addWidget(privacy_);
    howToAllow_ = label(QString());
    howToAllow_->setObjectName(QStringLiteral("howToAllow"));
    column->addWidget(howToAllow_);
    worksWithout_ = label(QString());
    worksWithout_->setObjectName(QStringLiteral("worksWithout"));
    column->addWidget(worksWithout_);
    notAllowed_ = label(QString());
    notAllowed_->setObjectName(QStringLiteral("notAllowed"));
    scaleFont(notAllowed_, 1.0, true);
    column->addWidget(notAllowed_);

    auto* buttons = new QHBoxLayout;
    notNow_ = button(QStringLiteral("Not Now"), "notNow");
    connect(notNow_, &QPushButton::clicked, this, [this] { done_(); });
    continue_ = button(QStringLiteral("Continue"), "continue");
    connect(continue_, &QPushButton::clicked, this, [this] { proceed(); });
    grant_ = button(QString(), "grant");
    connect(grant_, &QPushButton::clicked, this,
            [this] { grantAfterAsking(this, permission_, grant_->text()); });
    checkAgain_ = button(QStringLiteral("Check Again"), "checkAgain");
    connect(checkAgain_, &QPushButton::clicked, this, [this] { checkAgain(); });
    ok_ = button(QStringLiteral("OK"), "ok");
    connect(ok_, &QPushButton::clicked, this, [this] { done_(); });
    continue_->setDefault(true);
    checkAgain_->setDefault(true);
    ok_->setDefault(true);
    buttons->addStretch(1);
    for (QPushButton* b : {notNow_, continue_, grant_, checkAgain_, ok_}) {
        buttons->addWidget(b);
    }
    column->addLayout(buttons);
    refresh();
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
    // The desktop may take a moment to take in a grant: the button rests until it answers.
    checkAgain_->setEnabled(false);
    permission_.checkAgain([view = QPointer<ExplainerView>(this)](bool allowed) {
        if (view.isNull()) {
            return;
        }
        view->checkAgain_->setEnabled(true);
        if (!allowed) {
            return;
        }
        view->setAsked(false);
        view->model_.enableSnapping();
        view->done_();
    });
}

void ExplainerView::setAsked(bool asked) {
    asked_ = asked;
    refresh();
}

void ExplainerView::refresh() {
    access_ = permission_.access();
    using State = CaptureAccess::State;
    title_->setText(unavailable() ? QStringLiteral("Edge snapping isn’t available in this session")
                                  : QStringLiteral("Edge snapping needs Screen Recording"));
    // Where reading the screen needs no permission (X11), say so instead of how to grant it.
    howToAllow_->setText(access_.state == State::allowed ? qs(ViewText::noPermissionNeeded)
                                                         : qs(access_.explanation));
    switch (access_.state) {
    case State::allowed:
        worksWithout_->setText(QStringLiteral(
            "Everything else works without it: the ruler, guides and the color picker."));
        break;
    case State::grantable:
        // The color picker's loupe reads the screen the same way.
        worksWithout_->setText(
            QStringLiteral("The ruler and guides work without it. The color picker needs it too."));
        break;
    case State::unavailable:
        worksWithout_->setText(qs(ViewText::captureUnavailable));
        break;
    }
    const QString action = qs(access_.action);
    notAllowed_->setText(QStringLiteral("Spanlet isn’t allowed yet. Choose “%1”, then choose "
                                        "Check Again.")
                             .arg(action));
    grant_->setText(action);
    // Named even while hidden, when there is no action.
    grant_->setAccessibleName(action.isEmpty() ? QStringLiteral("Allow reading the screen")
                                               : action);

    const bool canGrant = access_.state == State::grantable && !action.isEmpty();
    privacy_->setVisible(!unavailable());
    notAllowed_->setVisible(asked_ && canGrant);
    notNow_->setVisible(!unavailable());
    continue_->setVisible(!unavailable() && !asked_);
    grant_->setVisible(asked_ && canGrant);
    checkAgain_->setVisible(!unavailable() && asked_);
    ok_->setVisible(unavailable());
    fitHeight(this);
}

void ExplainerView::keyPressEvent(QKeyEvent* event) {
    // Return means the default button of the state shown; Escape means "Not Now" ("OK" where
    // that is the only button).
    QPushButton* byDefault = unavailable() ? ok_ : (asked_ ? checkAgain_ : continue_);
    if (!pressDialogButton(event->key(), byDefault, unavailable() ? ok_ : notNow_)) {
        QWidget::keyPressEvent(event);
    }
}

void ExplainerView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

} // namespace spanlet::views
