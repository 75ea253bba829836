#include "ShortcutList.hpp"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>

#include <spanlet/views/ViewText.hpp>

#include "ViewStyle.hpp"

namespace spanlet::views {

namespace {

/// The shortcut drawn as a key cap: bold caption text on the accent colour at 0.18 opacity,
/// 5 points of padding left and right and 1 point above and below.
QLabel* keyCap(const Shortcut& shortcut) {
    QLabel* cap = label(qs(shortcut.display()), false);
    makeCaption(cap);
    scaleFont(cap, 1.0, true);
    const QColor accent = withAlpha(cap->palette().color(QPalette::Highlight), 0.18);
    cap->setStyleSheet(QStringLiteral("QLabel { background-color: rgba(%1, %2, %3, %4);"
                                      " padding: 1px 5px; border-radius: 4px; }")
                           .arg(accent.red())
                           .arg(accent.green())
                           .arg(accent.blue())
                           .arg(accent.alphaF()));
    cap->setAccessibleName(qs(shortcut.spoken()));
    return cap;
}

} // namespace

ShortcutList::ShortcutList(HotkeyStatus& hotkeys, QWidget* parent)
    : QWidget(parent), hotkeys_(hotkeys) {
    setObjectName(QStringLiteral("shortcutList"));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(4);

    // The titles share one column: as wide as the widest title.
    const QFontMetrics metrics(font());
    int titleWidth = 0;
    for (MensorCommand command : EnumTraits<MensorCommand>::allCases) {
        titleWidth = std::max(titleWidth, metrics.horizontalAdvance(qs(title(command))));
    }

    for (MensorCommand command : EnumTraits<MensorCommand>::allCases) {
        auto* row = new QWidget;
        row->setObjectName(QStringLiteral("shortcut.") + qs(rawValue(command)));
        row->setAccessibleName(qs(ViewText::shortcutRowLabel(command)));
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(12);
        QLabel* name = label(qs(title(command)), false);
        name->setMinimumWidth(titleWidth);
        line->addWidget(name);
        line->addWidget(keyCap(shortcut(command)));
        QLabel* mark = label(QStringLiteral("In use by another app"), false);
        mark->setObjectName(QStringLiteral("unavailable"));
        makeCaption(mark);
        QPalette orange = mark->palette();
        orange.setColor(QPalette::WindowText, QColor(0xFF, 0x95, 0x00));
        mark->setPalette(orange);
        line->addWidget(mark);
        line->addStretch(1);
        rows->addWidget(row);
        marks_.emplace_back(command, mark);
    }

    subscription_ = hotkeys_.onChange([this] { refresh(); });
    refresh();
}

void ShortcutList::refresh() {
    const std::vector<MensorCommand> taken = hotkeys_.unavailable();
    for (const auto& [command, mark] : marks_) {
        mark->setVisible(std::find(taken.begin(), taken.end(), command) != taken.end());
    }
}

} // namespace spanlet::views
