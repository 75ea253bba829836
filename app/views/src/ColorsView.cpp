#include "ColorsView.hpp"

#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include <spanlet/ColorText.hpp>
#include <spanlet/views/ToolViewInfo.hpp>
#include <spanlet/views/ViewText.hpp>

#include "Swatch.hpp"
#include "ViewStyle.hpp"

namespace spanlet::views {

namespace {

constexpr int kPadding = 20;
constexpr int kSpacing = 14;
/// Recent swatches: side, corner radius and gaps between columns and rows, in points.
constexpr int kRecentSide = 26;
constexpr double kRecentRadius = 5;
constexpr int kRecentColumnGap = 10;
constexpr int kRecentRowGap = 8;

QLabel* selectable(const QString& text) {
    QLabel* l = label(text, false);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return l;
}

/// The fixed-pitch font at `size` points; a point is one logical pixel, as everywhere in
/// the views' sizes.
QFont monospaced(int size, bool bold) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPixelSize(size);
    f.setBold(bold);
    return f;
}

} // namespace

ColorsView::ColorsView(Mensor& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("colorsView"));
    const int width = toolViewFrame(Windows::Kind::colors).width;
    setFixedWidth(width);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    column->setSpacing(kSpacing);

    // Nothing picked yet.
    empty_ = new QWidget;
    empty_->setObjectName(QStringLiteral("noColors"));
    auto* emptyLines = new QVBoxLayout(empty_);
    emptyLines->setContentsMargins(0, 0, 0, 0);
    QLabel* none = label(QStringLiteral("No colors yet"));
    scaleFont(none, 1.2, true);
    emptyLines->addWidget(none);
    hint_ = label(QString());
    hint_->setObjectName(QStringLiteral("noColorsHint"));
    makeSecondary(hint_);
    emptyLines->addWidget(hint_);
    column->addWidget(empty_);

    // The newest colour in detail, then every recent one.
    detail_ = new QWidget;
    detail_->setObjectName(QStringLiteral("colorDetail"));
    auto* details = new QVBoxLayout(detail_);
    details->setContentsMargins(0, 0, 0, 0);
    details->setSpacing(kSpacing);

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    swatch_ = new ColorSwatch(64, 10);
    swatch_->setObjectName(QStringLiteral("swatch"));
    top->addWidget(swatch_);
    auto* heading = new QVBoxLayout;
    heading->setSpacing(4);
    hex_ = selectable(QString());
    hex_->setObjectName(QStringLiteral("hex"));
    hex_->setFont(monospaced(20, true));
    heading->addStretch(1);
    heading->addWidget(hex_);
    contrast_ = label(QString(), false);
    contrast_->setObjectName(QStringLiteral("contrast"));
    makeSecondary(contrast_);
    heading->addWidget(contrast_);
    heading->addStretch(1);
    top->addLayout(heading, 1);
    details->addLayout(top);

    auto* styles = new QGridLayout;
    styles->setHorizontalSpacing(10);
    styles->setVerticalSpacing(6);
    styles->setColumnMinimumWidth(0, 62);
    styles->setColumnStretch(1, 1);
    for (std::size_t i = 0; i < EnumTraits<ColorStyle>::allCases.size(); ++i) {
        const ColorStyle style = EnumTraits<ColorStyle>::allCases[i];
        const int row = static_cast<int>(i);
        const QString styleName = qs(name(style));
        QLabel* nameLabel = label(styleName, false);
        nameLabel->setFixedWidth(62);
        makeSecondary(nameLabel);
        styles->addWidget(nameLabel, row, 0);
        QLabel* text = selectable(QString());
        text->setObjectName(QStringLiteral("text.") + qs(rawValue(style)));
        text->setFont(monospaced(12, false));
        text->setWordWrap(true); // the long styles wrap rather than being cut off
        styles->addWidget(text, row, 1);
        styleTexts_[i] = text;
        auto* copy = new QPushButton(QStringLiteral("Copy"));
        copy->setObjectName(QStringLiteral("copy.") + qs(rawValue(style)));
        copy->setAccessibleName(QStringLiteral("Copy as ") + styleName);
        connect(copy, &QPushButton::clicked, this, [this, style] {
            const std::vector<SRGBColor>& recent = model_.prefs()->recentColors;
            if (!recent.empty()) {
                model_.colors().copy(recent.front(), style);
            }
        });
        styles->addWidget(copy, row, 2);
    }
    details->addLayout(styles);

    auto* separator = new QFrame;
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    details->addWidget(separator);
    QLabel* recent = label(QStringLiteral("Recent"), false);
    scaleFont(recent, 1.0, true);
    details->addWidget(recent);
    grid_ = new QGridLayout;
    grid_->setHorizontalSpacing(kRecentColumnGap);
    grid_->setVerticalSpacing(kRecentRowGap);
    grid_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    details->addLayout(grid_);
    column->addWidget(detail_);

    auto* buttons = new QHBoxLayout;
    clear_ = new QPushButton(QStringLiteral("Clear"));
    clear_->setObjectName(QStringLiteral("clear"));
    clear_->setAccessibleName(clear_->text());
    connect(clear_, &QPushButton::clicked, this, [this] { model_.colors().clearRecent(); });
    pick_ = new QPushButton(QStringLiteral("Pick Color"));
    pick_->setObjectName(QStringLiteral("pickColor"));
    pick_->setAccessibleName(pick_->text());
    connect(pick_, &QPushButton::clicked, this,
            [this] { model_.perform(MensorCommand::pickColor); });
    buttons->addWidget(clear_);
    buttons->addStretch(1);
    buttons->addWidget(pick_);
    column->addLayout(buttons);

    prefsSubscription_ = model_.prefs().subscribe([this](const Preferences& p) {
        showShortcut(p.shortcuts);
        if (p.recentColors != shown_) {
            display(p.recentColors);
        }
    });
    showShortcut(model_.prefs()->shortcuts);
    display(model_.prefs()->recentColors);
}

void ColorsView::showShortcut(const ShortcutBindings& bindings) {
    const std::optional<Shortcut>& keys = bindings.shortcut(MensorCommand::pickColor);
    hint_->setText(qs(ViewText::noColorsHint(bindings)));
    pick_->setShortcut(keys ? keySequence(*keys) : QKeySequence());
    pick_->setToolTip(keys ? QStringLiteral("Pick Color (") + qs(keys->display()) +
                                 QStringLiteral(")")
                           : QStringLiteral("Pick Color"));
}

void ColorsView::display(const std::vector<SRGBColor>& colors) {
    shown_ = colors;
    empty_->setVisible(colors.empty());
    detail_->setVisible(!colors.empty());
    clear_->setEnabled(!colors.empty());
    if (!colors.empty()) {
        const SRGBColor& newest = colors.front();
        swatch_->setColor(newest);
        swatch_->setAccessibleName(QStringLiteral("Color, ") + qs(ColorText::spoken(newest)));
        hex_->setText(qs(ColorText::string(newest, ColorStyle::hex)));
        contrast_->setText(qs(ViewText::contrastLine(newest)));
        for (std::size_t i = 0; i < styleTexts_.size(); ++i) {
            styleTexts_[i]->setText(
                qs(ColorText::string(newest, EnumTraits<ColorStyle>::allCases[i])));
        }
    }
    rebuildGrid(colors);
    fitHeight(this);
}

void ColorsView::rebuildGrid(const std::vector<SRGBColor>& colors) {
    // A swatch may be the one whose click led here, so the old ones go once it has returned.
    for (QWidget* old : gridSwatches_) {
        grid_->removeWidget(old);
        old->hide();
        old->setParent(nullptr);
        old->deleteLater();
    }
    gridSwatches_.clear();
    const int available = width() - 2 * kPadding;
    const int columns =
        std::max(1, (available + kRecentColumnGap) / (kRecentSide + kRecentColumnGap));
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const SRGBColor color = colors[i];
        auto* swatch = new SwatchButton(color, kRecentSide, kRecentRadius);
        swatch->setObjectName(QStringLiteral("recent.") + QString::number(i));
        swatch->setToolTip(qs(ColorText::string(color, ColorStyle::hex)));
        swatch->setAccessibleName(qs(ColorText::spoken(color)));
        connect(swatch, &QAbstractButton::clicked, this,
                [this, color] { model_.colors().use(color, false); });
        const int index = static_cast<int>(i);
        grid_->addWidget(swatch, index / columns, index % columns);
        gridSwatches_.push_back(swatch);
    }
}

void ColorsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitHeight(this); // fonts and styles are final once shown
}

} // namespace spanlet::views
