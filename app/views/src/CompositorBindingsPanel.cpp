#include "CompositorBindingsPanel.hpp"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextDocument>
#include <QVBoxLayout>

#include <spanlet/views/CompositorBindings.hpp>

#include "ViewStyle.hpp"

namespace spanlet::views {

CompositorBindingsPanel::CompositorBindingsPanel(Mensor& model, Clipboard& clipboard,
                                                 QWidget* parent)
    : QWidget(parent), clipboard_(clipboard) {
    setObjectName(QStringLiteral("compositorBindings"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    QLabel* note = label(QStringLiteral("This desktop gives applications no global shortcuts. "
                                        "Add these lines to your compositor’s configuration to "
                                        "bind the keys to Spanlet’s commands:"));
    note->setObjectName(QStringLiteral("bindInCompositor"));
    makeCaption(note);
    column->addWidget(note);

    const auto block = [&](const QString& name, const QString& where, const char* id) {
        auto* heading = new QHBoxLayout;
        QLabel* title = label(name + QStringLiteral(", in ") + where, false);
        makeCaption(title);
        heading->addWidget(title, 1);
        auto* copy = new QPushButton(QStringLiteral("Copy"));
        copy->setObjectName(QStringLiteral("copy.") + QString::fromLatin1(id));
        copy->setAccessibleName(QStringLiteral("Copy the lines for ") + name);
        heading->addWidget(copy);
        column->addLayout(heading);
        auto* lines = new QPlainTextEdit;
        lines->setObjectName(QStringLiteral("lines.") + QString::fromLatin1(id));
        lines->setAccessibleName(QStringLiteral("Lines for ") + name);
        lines->setReadOnly(true);
        lines->setLineWrapMode(QPlainTextEdit::NoWrap);
        lines->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        // Every line shows (and the empty one after the last newline), with the horizontal
        // scroll bar the long ones need.
        const QFontMetrics metrics(lines->font());
        lines->setFixedHeight(metrics.lineSpacing() *
                                  static_cast<int>(EnumTraits<MensorCommand>::allCases.size() + 1) +
                              static_cast<int>(2 * lines->document()->documentMargin()) +
                              2 * lines->frameWidth() +
                              lines->horizontalScrollBar()->sizeHint().height());
        column->addWidget(lines);
        connect(copy, &QPushButton::clicked, this,
                [this, lines] { clipboard_.setText(lines->toPlainText().toStdString()); });
        return lines;
    };
    sway_ = block(QStringLiteral("sway"), QStringLiteral("~/.config/sway/config"), "sway");
    hyprland_ = block(QStringLiteral("Hyprland"), QStringLiteral("~/.config/hypr/hyprland.conf"),
                      "hyprland");

    prefsSubscription_ = model.prefs().subscribe([this](const Preferences& p) { refresh(p); });
    refresh(*model.prefs());
}

QString CompositorBindingsPanel::program() {
    QString self = QCoreApplication::applicationFilePath();
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("spanlet"));
    if (!onPath.isEmpty() &&
        QFileInfo(onPath).canonicalFilePath() == QFileInfo(self).canonicalFilePath()) {
        return QStringLiteral("spanlet");
    }
    return self;
}

void CompositorBindingsPanel::refresh(const Preferences& prefs) {
    const std::string path = program().toStdString();
    sway_->setPlainText(qs(CompositorBindings::sway(prefs.shortcuts, path)));
    hyprland_->setPlainText(qs(CompositorBindings::hyprland(prefs.shortcuts, path)));
}

} // namespace spanlet::views
