#include "ShortcutList.hpp"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <algorithm>

#include <spanlet/views/ViewText.hpp>

#include "ShortcutRecorder.hpp"
#include "ViewStyle.hpp"

namespace spanlet::views {

namespace {

/// Bold caption text on the accent colour at 0.18 opacity, 5 points of padding left and right
/// and 1 point above and below: a key cap.
void styleAsKeyCap(QWidget* cap) {
    makeCaption(cap);
    scaleFont(cap, 1.0, true);
    const QColor accent = withAlpha(cap->palette().color(QPalette::Highlight), 0.18);
    cap->setStyleSheet(QStringLiteral("background-color: rgba(%1, %2, %3, %4);"
                                      " padding: 1px 5px; border-radius: 4px; border: none;")
                           .arg(accent.red())
                           .arg(accent.green())
                           .arg(accent.blue())
                           .arg(accent.alphaF()));
}

} // namespace

ShortcutList::ShortcutList(Mensor& model, HotkeyStatus& hotkeys, bool editable, QWidget* parent)
    : QWidget(parent), model_(model), hotkeys_(hotkeys) {
    setObjectName(QStringLiteral("shortcutList"));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(4);
    const HotkeyRoute route = hotkeys_.state().route;
    // Only the keys Spanlet grabs itself, or adds to the desktop's settings, are Spanlet's to
    // change.
    const DesktopShortcuts* desktop = hotkeys_.desktopShortcuts();
    const bool editing = editable && (route == HotkeyRoute::grabbed ||
                                      (route == HotkeyRoute::configuration && desktop != nullptr));
    if (route == HotkeyRoute::configuration) {
        // No global key grabs here: the keys shown are what to bind, not what is bound.
        QLabel* note = label(
            desktop != nullptr
                ? QStringLiteral("Spanlet adds these keys to your desktop’s keyboard settings "
                                 "with “%1” in Settings.")
                      .arg(qs(desktop->action()))
                : QStringLiteral("Bind these keys to “spanlet --command NAME” in your "
                                 "compositor’s configuration: Settings shows the lines to "
                                 "paste."));
        note->setObjectName(QStringLiteral("boundByDesktop"));
        makeCaption(note);
        rows->addWidget(note);
    }

    // The titles share one column: as wide as the widest title.
    const QFontMetrics metrics(font());
    int titleWidth = 0;
    for (MensorCommand command : EnumTraits<MensorCommand>::allCases) {
        titleWidth = std::max(titleWidth, metrics.horizontalAdvance(qs(title(command))));
    }

    for (MensorCommand command : EnumTraits<MensorCommand>::allCases) {
        Row r{command};
        r.row = new QWidget;
        r.row->setObjectName(QStringLiteral("shortcut.") + qs(rawValue(command)));
        // Editable rows are wider: their mark goes on a line of its own under the title.
        auto* lines = new QVBoxLayout(r.row);
        lines->setContentsMargins(0, 0, 0, 0);
        lines->setSpacing(0);
        auto* line = new QHBoxLayout;
        lines->addLayout(line);
        line->setSpacing(editing ? 6 : 12);
        QLabel* name = label(qs(title(command)), false);
        name->setMinimumWidth(titleWidth);
        line->addWidget(name);
        if (editing) {
            r.recorder = new ShortcutRecorder(
                [this, command](const Shortcut& keys) { bind(command, keys); });
            r.recorder->setObjectName(QStringLiteral("record"));
            r.recorder->setAccessibleName(QStringLiteral("Change the shortcut of ") +
                                          qs(title(command)));
            styleAsKeyCap(r.recorder);
            line->addWidget(r.recorder);
            r.clear = new QToolButton;
            r.clear->setText(QStringLiteral("Clear"));
            r.clear->setObjectName(QStringLiteral("clear"));
            r.clear->setAccessibleName(QStringLiteral("Clear the shortcut of ") +
                                       qs(title(command)));
            makeCaption(r.clear);
            connect(r.clear, &QToolButton::clicked, this,
                    [this, command] { bind(command, std::nullopt); });
            line->addWidget(r.clear);
        } else {
            r.cap = label(QString(), false);
            r.cap->setObjectName(QStringLiteral("keys"));
            styleAsKeyCap(r.cap);
            line->addWidget(r.cap);
        }
        r.mark = label(QString(), false);
        r.mark->setObjectName(QStringLiteral("unavailable"));
        makeCaption(r.mark);
        QPalette orange = r.mark->palette();
        orange.setColor(QPalette::WindowText, QColor(0xFF, 0x95, 0x00));
        r.mark->setPalette(orange);
        line->addStretch(1);
        if (editing) {
            lines->addWidget(r.mark);
        } else {
            line->insertWidget(line->count() - 1, r.mark);
        }
        rows->addWidget(r.row);
        rows_.push_back(r);
    }

    hotkeysSubscription_ = hotkeys_.onChange([this] { refresh(); });
    prefsSubscription_ = model_.prefs().subscribe([this](const Preferences&) { refresh(); });
    refresh();
}

void ShortcutList::bind(MensorCommand command, std::optional<Shortcut> keys) {
    model_.updatePrefs([&](Preferences& p) { p.shortcuts.set(command, std::move(keys)); });
}

void ShortcutList::refresh() {
    const ShortcutBindings& bindings = model_.prefs()->shortcuts;
    const HotkeyState state = hotkeys_.state();
    if (state.route == HotkeyRoute::desktop) {
        for (const Row& r : rows_) {
            const QString bound = qs(state.trigger(r.command));
            r.cap->setText(bound.isEmpty() ? QStringLiteral("None") : bound);
            r.cap->setAccessibleName(bound.isEmpty() ? QStringLiteral("no shortcut") : bound);
            r.row->setAccessibleName(qs(title(r.command)) + QStringLiteral(", ") +
                                     r.cap->accessibleName());
            r.mark->hide();
        }
        return;
    }
    const std::vector<MensorCommand>& taken = state.unavailable;
    for (const Row& r : rows_) {
        const std::optional<Shortcut>& keys = bindings.shortcut(r.command);
        r.row->setAccessibleName(qs(ViewText::shortcutRowLabel(r.command, keys)));
        if (r.recorder != nullptr) {
            r.recorder->showKeys(keys);
            r.clear->setEnabled(keys.has_value());
        } else {
            r.cap->setText(keys ? qs(keys->display()) : QStringLiteral("None"));
            r.cap->setAccessibleName(keys ? qs(keys->spoken()) : QStringLiteral("no shortcut"));
        }
        const std::string why = ViewText::shortcutConflict(r.command, bindings, taken);
        r.mark->setText(qs(why));
        r.mark->setVisible(!why.empty());
    }
}

} // namespace spanlet::views
