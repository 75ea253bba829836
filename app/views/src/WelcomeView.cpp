#include "WelcomeView.hpp"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <spanlet/views/ToolViewInfo.hpp>
#include <spanlet/views/ViewText.hpp>

#include "ShortcutList.hpp"
#include "ViewStyle.hpp"

namespace spanlet::views {

WelcomeView::WelcomeView(Mensor& model, HotkeyStatus& hotkeys, const PermissionPort& permission,
                         std::function<void()> close, std::function<void(QWidget&)> openMenu,
                         bool overlayTakesClicks, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("welcomeView"));
    setFixedWidth(toolViewFrame(Windows::Kind::welcome).width);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);

    auto* heading = new QVBoxLayout;
    heading->setSpacing(4);
    QLabel* name = label(QStringLiteral("Spanlet"), false);
    scaleFont(name, 2.0, true);
    heading->addWidget(name);
    QLabel* tagline = label(QStringLiteral("Measure anything on your screen."));
    makeSecondary(tagline);
    heading->addWidget(tagline);
    column->addLayout(heading);

    column->addWidget(
        label(hotkeys.state().route == HotkeyRoute::configuration
                  ? QStringLiteral("Spanlet lives in the system tray, under the ruler icon. "
                                   "Its commands, with the keys it suggests:")
                  : QStringLiteral("Spanlet lives in the system tray, under the ruler icon. "
                                   "These shortcuts work in any app:")));
    column->addWidget(new ShortcutList(model, hotkeys, false));
    // Where reading the screen needs no permission (X11), nothing is asked for; where nothing
    // can allow it (Xwayland), say what works instead.
    QString permissionNote;
    switch (permission.access().state) {
    case CaptureAccess::State::allowed:
        permissionNote = QStringLiteral("Nothing here needs a permission: on this desktop edge "
                                        "snapping reads the screen without asking.");
        break;
    case CaptureAccess::State::grantable:
        permissionNote = QStringLiteral("The ruler and guides need no permissions. Edge snapping "
                                        "asks for Screen Recording the first time it is turned "
                                        "on.");
        break;
    case CaptureAccess::State::unavailable:
        permissionNote = qs(ViewText::captureUnavailable);
        break;
    }
    QLabel* note = label(permissionNote);
    note->setObjectName(QStringLiteral("permissionNote"));
    makeSecondary(note);
    column->addWidget(note);
    if (overlayTakesClicks) {
        QLabel* clicks = label(QStringLiteral(
            "While edge snapping is on, Spanlet takes the pointer: a click keeps the "
            "measurement on screen, and Escape turns snapping off."));
        clicks->setObjectName(QStringLiteral("overlayClicks"));
        makeSecondary(clicks);
        column->addWidget(clicks);
    }

    auto* buttons = new QHBoxLayout;
    if (openMenu) {
        // Every menu entry, reachable where no tray host shows the icon.
        auto* menu = new QPushButton(QStringLiteral("Menu"));
        menu->setObjectName(QStringLiteral("menu"));
        menu->setAccessibleName(QStringLiteral("Spanlet menu"));
        menu->setToolTip(QStringLiteral("The commands of the tray icon’s menu"));
        connect(menu, &QPushButton::clicked, this,
                [menu, openMenu = std::move(openMenu)] { openMenu(*menu); });
        buttons->addWidget(menu);
    }
    buttons->addStretch(1);
    auto* showRuler = new QPushButton(QStringLiteral("Show Ruler"));
    showRuler->setObjectName(QStringLiteral("showRuler"));
    showRuler->setAccessibleName(showRuler->text());
    connect(showRuler, &QPushButton::clicked, this, [&model] {
        if (!*model.ruler().visible()) {
            model.perform(MensorCommand::toggleRuler);
        }
    });
    getStarted_ = new QPushButton(QStringLiteral("Get Started"));
    getStarted_->setObjectName(QStringLiteral("getStarted"));
    getStarted_->setAccessibleName(getStarted_->text());
    getStarted_->setDefault(true);
    connect(getStarted_, &QPushButton::clicked, this, [close = std::move(close)] { close(); });
    buttons->addWidget(showRuler);
    buttons->addWidget(getStarted_);
    column->addLayout(buttons);
    fitHeight(this);
}

void WelcomeView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitHeight(this);
}

} // namespace spanlet::views

namespace spanlet::views {

void WelcomeView::keyPressEvent(QKeyEvent* event) {
    if (!pressDialogButton(event->key(), getStarted_, nullptr)) {
        QWidget::keyPressEvent(event);
    }
}

} // namespace spanlet::views
