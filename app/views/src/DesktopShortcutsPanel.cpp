#include "DesktopShortcutsPanel.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "ViewStyle.hpp"

namespace spanlet::views {

DesktopShortcutsPanel::DesktopShortcutsPanel(Mensor& model, DesktopShortcuts& desktop,
                                             QWidget* parent)
    : QWidget(parent), model_(model), desktop_(desktop) {
    setObjectName(QStringLiteral("desktopShortcuts"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    QLabel* note = label(QStringLiteral("Your desktop’s keyboard settings can run Spanlet’s "
                                        "commands. Add these shortcuts there; they work once "
                                        "added, and you can change them there too."));
    note->setObjectName(QStringLiteral("desktopShortcutsNote"));
    makeCaption(note);
    column->addWidget(note);

    add_ = new QPushButton(qs(desktop_.action()));
    add_->setObjectName(QStringLiteral("addDesktopShortcuts"));
    add_->setAccessibleName(add_->text());
    connect(add_, &QPushButton::clicked, this, [this] { addAfterAsking(); });
    auto* addRow = new QHBoxLayout;
    addRow->addStretch(1);
    addRow->addWidget(add_);
    column->addLayout(addRow);

    problem_ = label(QString());
    problem_->setObjectName(QStringLiteral("desktopShortcutsProblem"));
    makeCaption(problem_);
    problem_->hide();
    column->addWidget(problem_);

    QLabel* heading = label(QStringLiteral("In the desktop’s keyboard settings now:"));
    makeCaption(heading);
    column->addWidget(heading);
    bound_ = label(QString());
    bound_->setTextFormat(Qt::PlainText);
    bound_->setObjectName(QStringLiteral("desktopShortcutsBound"));
    bound_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    makeCaption(bound_);
    makeSecondary(bound_);
    column->addWidget(bound_);
    showBound();
}

void DesktopShortcutsPanel::addAfterAsking() {
    const std::vector<Binding> bindings = model_.prefs()->shortcuts.registrable();
    if (QMessageBox::question(this, add_->text(), qs(desktop_.question(bindings)),
                              QMessageBox::Yes | QMessageBox::Cancel,
                              QMessageBox::Cancel) != QMessageBox::Yes) {
        return;
    }
    const std::string problem = desktop_.add(bindings);
    problem_->setText(qs(problem));
    problem_->setVisible(!problem.empty());
    showBound();
}

void DesktopShortcutsPanel::showBound() {
    QStringList lines;
    for (const DesktopTrigger& t : desktop_.read()) {
        const QString keys = t.description.empty() ? QStringLiteral("no keys") : qs(t.description);
        lines.append(qs(title(t.command)) + QStringLiteral(": ") + keys);
    }
    bound_->setText(lines.isEmpty() ? QStringLiteral("No shortcuts of Spanlet’s yet.")
                                    : lines.join(QLatin1Char('\n')));
    bound_->setAccessibleName(bound_->text());
}

} // namespace spanlet::views
