#include "MeasurementsView.hpp"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <spanlet/MeasurementText.hpp>
#include <spanlet/views/ToolViewInfo.hpp>
#include <spanlet/views/ViewText.hpp>

#include "TabularLabel.hpp"
#include "ViewStyle.hpp"

namespace spanlet::views {

namespace {

constexpr int kIdRole = Qt::UserRole;

/// A filled circle with a cross cut out of it, in the secondary text colour.
QIcon removeIcon(const QPalette& palette) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(palette.color(QPalette::WindowText), 0.45));
    painter.drawEllipse(QRectF(2, 2, 28, 28));
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(QPen(Qt::black, 3.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(11, 11), QPointF(21, 21));
    painter.drawLine(QPointF(21, 11), QPointF(11, 21));
    return QIcon(pixmap);
}

} // namespace

MeasurementsView::MeasurementsView(Mensor& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("measurementsView"));
    setFixedWidth(toolViewFrame(Windows::Kind::measurements).width);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(12);

    empty_ = new QWidget;
    empty_->setObjectName(QStringLiteral("noMeasurements"));
    auto* emptyLines = new QVBoxLayout(empty_);
    emptyLines->setContentsMargins(0, 0, 0, 0);
    QLabel* none = label(QStringLiteral("No measurements kept"));
    scaleFont(none, 1.2, true);
    emptyLines->addWidget(none);
    hint_ = label(qs(ViewText::noMeasurementsHint(model_.prefs()->shortcuts)));
    hint_->setObjectName(QStringLiteral("noMeasurementsHint"));
    makeSecondary(hint_);
    emptyLines->addWidget(hint_);
    column->addWidget(empty_);

    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("measurementList"));
    list_->setAccessibleName(QStringLiteral("Kept measurements"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setMinimumHeight(220);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->installEventFilter(this);
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = list_->selectedItems();
        selection_ = selected.isEmpty()
                         ? std::nullopt
                         : Uuid::parse(selected.front()->data(kIdRole).toString().toStdString());
    });
    column->addWidget(list_);

    auto* buttons = new QHBoxLayout;
    clearAll_ = new QPushButton(QStringLiteral("Clear All"));
    clearAll_->setObjectName(QStringLiteral("clearAll"));
    clearAll_->setAccessibleName(clearAll_->text());
    connect(clearAll_, &QPushButton::clicked, this, [this] { model_.measurements().clear(); });
    copy_ = new QPushButton;
    copy_->setObjectName(QStringLiteral("copyPreferred"));
    copy_->setShortcut(QKeySequence::Copy);
    connect(copy_, &QPushButton::clicked, this, [this] { copyPreferred(); });
    buttons->addWidget(clearAll_);
    buttons->addStretch(1);
    buttons->addWidget(copy_);
    column->addLayout(buttons);

    pinnedSubscription_ =
        model_.measurements().pinned().subscribe([this](const std::vector<Pinned>&) { display(); });
    prefsSubscription_ = model_.prefs().subscribe([this](const Preferences& p) {
        hint_->setText(qs(ViewText::noMeasurementsHint(p.shortcuts)));
        if (p.unit != shownUnit_ || p.copyStyle != shownStyle_) {
            display();
        }
    });
    display();
}

QWidget* MeasurementsView::row(const Pinned& pinned, int number, MeasureUnit unit) {
    const QString n = QString::number(number);
    auto* widget = new QWidget;
    widget->setObjectName(QStringLiteral("measurement.") + n);
    widget->setAccessibleName(QStringLiteral("Measurement ") + n);
    auto* line = new QHBoxLayout(widget);
    line->setContentsMargins(8, 4, 8, 4);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto* size = new TabularLabel(qs(MeasurementText::cross(pinned.cross, unit, CopyStyle::plain)));
    size->setObjectName(QStringLiteral("size"));
    texts->addWidget(size);
    auto* distances = new TabularLabel(qs(MeasurementText::distances(pinned.cross, unit)));
    distances->setObjectName(QStringLiteral("distances"));
    makeSecondary(distances);
    makeCaption(distances);
    texts->addWidget(distances);
    line->addLayout(texts, 1);

    auto* copy = new QToolButton;
    copy->setObjectName(QStringLiteral("copyMenu"));
    copy->setText(QStringLiteral("Copy"));
    copy->setAccessibleName(QStringLiteral("Copy measurement ") + n);
    copy->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(copy);
    for (CopyStyle style : EnumTraits<CopyStyle>::allCases) {
        QAction* action = menu->addAction(qs(name(style)));
        action->setObjectName(QStringLiteral("copy.") + qs(rawValue(style)));
        connect(action, &QAction::triggered, this,
                [this, cross = pinned.cross, style] { model_.measurements().copy(cross, style); });
    }
    copy->setMenu(menu);
    line->addWidget(copy);

    auto* remove = new QToolButton;
    remove->setObjectName(QStringLiteral("remove"));
    remove->setAutoRaise(true);
    remove->setIcon(removeIcon(palette()));
    remove->setIconSize(QSize(16, 16));
    remove->setAccessibleName(QStringLiteral("Remove measurement ") + n);
    remove->setToolTip(QStringLiteral("Remove"));
    connect(remove, &QToolButton::clicked, this,
            [this, id = pinned.id] { model_.measurements().remove(id); });
    line->addWidget(remove);
    return widget;
}

void MeasurementsView::display() {
    const std::vector<Pinned>& pinned = *model_.measurements().pinned();
    const Preferences& prefs = *model_.prefs();
    shownStyle_ = prefs.copyStyle;
    copy_->setText(QStringLiteral("Copy ") + qs(name(prefs.copyStyle)));
    copy_->setAccessibleName(copy_->text());
    clearAll_->setEnabled(!pinned.empty());
    copy_->setEnabled(!pinned.empty());
    empty_->setVisible(pinned.empty());
    list_->setVisible(!pinned.empty());

    if (pinned != shownPinned_ || prefs.unit != shownUnit_) {
        shownPinned_ = pinned;
        shownUnit_ = prefs.unit;
        // Row widgets of removed items are deleted later by the list, so a row's own remove
        // button can lead here.
        const QSignalBlocker blocker(list_);
        list_->clear();
        int number = 0;
        for (const Pinned& p : pinned) {
            ++number;
            auto* item = new QListWidgetItem(list_);
            item->setData(kIdRole, qs(p.id.string()));
            item->setData(Qt::AccessibleTextRole,
                          QStringLiteral("Measurement ") + QString::number(number));
            // The row's labels are not in the accessible tree: a screen reader reads the size
            // and the distances from the item itself.
            item->setData(Qt::AccessibleDescriptionRole,
                          qs(MeasurementText::cross(p.cross, prefs.unit, CopyStyle::plain)) +
                              QStringLiteral(", ") +
                              qs(MeasurementText::distances(p.cross, prefs.unit)));
            QWidget* widget = row(p, number, prefs.unit);
            item->setSizeHint(widget->sizeHint());
            list_->setItemWidget(item, widget);
            if (selection_ && p.id == *selection_) {
                item->setSelected(true);
                list_->setCurrentItem(item);
            }
        }
    }
    fitHeight(this);
}

bool MeasurementsView::eventFilter(QObject* watched, QEvent* event) {
    // The list claims Ctrl+C for itself (it would copy a row's display text, which is empty
    // here) before the Copy button's shortcut is tried; give the key the button's meaning.
    if (watched == list_ &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        if (event->type() == QEvent::KeyPress && copy_->isEnabled()) {
            copy_->click();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MeasurementsView::copyPreferred() {
    const std::vector<Pinned>& pinned = *model_.measurements().pinned();
    if (pinned.empty()) {
        return;
    }
    const Pinned* chosen = &pinned.back();
    if (selection_) {
        const auto found = std::find_if(pinned.begin(), pinned.end(),
                                        [this](const Pinned& p) { return p.id == *selection_; });
        if (found != pinned.end()) {
            chosen = &*found;
        }
    }
    model_.measurements().copy(chosen->cross, model_.prefs()->copyStyle);
}

void MeasurementsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitHeight(this); // fonts and styles are final once shown
}

} // namespace spanlet::views
