#include "SettingsView.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include <spanlet/views/ToolViewInfo.hpp>
#include <spanlet/views/ViewText.hpp>

#include "CompositorBindingsPanel.hpp"
#include "DesktopShortcutsPanel.hpp"
#include "ShortcutList.hpp"
#include "ViewStyle.hpp"

namespace spanlet::views {

namespace {

QCheckBox* toggle(const QString& text, const char* name) {
    auto* box = new QCheckBox(text);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(text);
    return box;
}

QGroupBox* section(const QString& header, QLayout* content) {
    auto* group = new QGroupBox(header);
    group->setAccessibleName(header);
    group->setLayout(content);
    return group;
}

QFormLayout* form() {
    auto* rows = new QFormLayout;
    rows->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    rows->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return rows;
}

template <class E>
QComboBox* choice(const QString& accessibleName, const char* name) {
    auto* box = new QComboBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(accessibleName);
    for (E value : EnumTraits<E>::allCases) {
        box->addItem(qs(spanlet::name(value)));
    }
    return box;
}

template <class E>
E caseAt(int index) {
    const auto& cases = EnumTraits<E>::allCases;
    return cases[static_cast<std::size_t>(std::clamp<int>(index, 0, int(cases.size()) - 1))];
}

template <class E>
int indexOf(E value) {
    const auto& cases = EnumTraits<E>::allCases;
    return static_cast<int>(std::find(cases.begin(), cases.end(), value) - cases.begin());
}

QLabel* captionLine(const QString& text, const char* name = nullptr) {
    QLabel* line = label(text);
    makeCaption(line);
    makeSecondary(line);
    if (name != nullptr) {
        line->setObjectName(QString::fromLatin1(name));
    }
    return line;
}

} // namespace

SettingsView::SettingsView(Mensor& model, PermissionPort& permission, HotkeyStatus& hotkeys,
                           LoginItem& loginItem, Clipboard& clipboard, QWidget* parent)
    : QWidget(parent), model_(model), permission_(permission), loginItem_(loginItem),
      loginItemOn_(loginItem.isEnabled()) {
    setObjectName(QStringLiteral("settingsView"));
    const ToolViewFrame frame = toolViewFrame(Windows::Kind::settings);
    setFixedSize(frame.width, frame.height.value_or(640));

    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("settingsContent"));
    auto* sections = new QVBoxLayout(content);
    sections->setContentsMargins(16, 16, 16, 16);
    sections->setSpacing(12);
    sections->addWidget(unitsSection());
    sections->addWidget(guidesSection());
    sections->addWidget(snappingSection());
    sections->addWidget(copyingSection());
    sections->addWidget(shortcutsSection(hotkeys, clipboard));
    sections->addWidget(generalSection());
    sections->addStretch(1);

    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("settingsScroll"));
    scroll->setAccessibleName(QStringLiteral("Settings"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(scroll);

    prefsSubscription_ = model_.prefs().subscribe([this](const Preferences& p) { display(p); });
    display(*model_.prefs());
    refreshAllowed();
}

QWidget* SettingsView::unitsSection() {
    auto* segments = new QWidget;
    segments->setObjectName(QStringLiteral("unit"));
    segments->setAccessibleName(QStringLiteral("Measure in"));
    auto* line = new QHBoxLayout(segments);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(0);
    unit_ = new QButtonGroup(this);
    unit_->setExclusive(true);
    for (MeasureUnit u : EnumTraits<MeasureUnit>::allCases) {
        auto* segment = new QPushButton(u == MeasureUnit::points ? QStringLiteral("Points")
                                                                 : QStringLiteral("Pixels"));
        segment->setObjectName(QStringLiteral("unit.") + qs(rawValue(u)));
        segment->setAccessibleName(segment->text());
        segment->setCheckable(true);
        unit_->addButton(segment, indexOf(u));
        line->addWidget(segment);
    }
    line->addStretch(1);
    connect(unit_, &QButtonGroup::idClicked, this, [this](int id) {
        model_.updatePrefs([id](Preferences& p) { p.unit = caseAt<MeasureUnit>(id); });
    });

    QFormLayout* rows = form();
    rows->addRow(QStringLiteral("Measure in"), segments);
    rows->addRow(captionLine(QStringLiteral(
        "Pixels follow each display’s scale: a HiDPI display has two pixels to a point. "
        "Copied CSS and SwiftUI always use points.")));
    return section(QStringLiteral("Units"), rows);
}

QWidget* SettingsView::guidesSection() {
    showGuides_ = toggle(QStringLiteral("Show guides"), "showGuides");
    connect(showGuides_, &QCheckBox::toggled, this,
            [this](bool on) { model_.updatePrefs([on](Preferences& p) { p.showGuides = on; }); });
    showGapLabels_ = toggle(QStringLiteral("Show the gaps between guides"), "showGapLabels");
    connect(showGapLabels_, &QCheckBox::toggled, this, [this](bool on) {
        model_.updatePrefs([on](Preferences& p) { p.showGapLabels = on; });
    });
    QFormLayout* rows = form();
    rows->addRow(showGuides_);
    rows->addRow(showGapLabels_);
    return section(QStringLiteral("Guides"), rows);
}

QWidget* SettingsView::snappingSection() {
    tolerance_ = new QSlider(Qt::Horizontal);
    tolerance_->setObjectName(QStringLiteral("tolerance"));
    tolerance_->setAccessibleName(QStringLiteral("Edge tolerance"));
    tolerance_->setRange(
        static_cast<int>(std::lround(ViewText::toleranceMinimum * toleranceTicks)),
        static_cast<int>(std::lround(ViewText::toleranceMaximum * toleranceTicks)));
    tolerance_->setSingleStep(100);
    tolerance_->setPageStep(1000);
    connect(tolerance_, &QSlider::valueChanged, this, [this](int value) {
        model_.updatePrefs(
            [value](Preferences& p) { p.tolerance = static_cast<double>(value) / toleranceTicks; });
    });
    auto* slider = new QHBoxLayout;
    QLabel* faint = label(QStringLiteral("Faint"), false);
    makeCaption(faint);
    QLabel* strong = label(QStringLiteral("Strong"), false);
    makeCaption(strong);
    slider->addWidget(faint);
    slider->addWidget(tolerance_, 1);
    slider->addWidget(strong);

    toleranceState_ = label(QString(), false);
    toleranceState_->setObjectName(QStringLiteral("toleranceState"));
    makeCaption(toleranceState_);

    showLoupe_ = toggle(QStringLiteral("Show the loupe while snapping"), "showLoupe");
    connect(showLoupe_, &QCheckBox::toggled, this,
            [this](bool on) { model_.updatePrefs([on](Preferences& p) { p.showLoupe = on; }); });

    allowedText_ = label(QString(), false);
    allowedText_->setObjectName(QStringLiteral("screenRecording"));
    grant_ = new QPushButton;
    grant_->setObjectName(QStringLiteral("grantScreenRecording"));
    connect(grant_, &QPushButton::clicked, this, [this] {
        grantAfterAsking(this, permission_, grant_->text());
        permission_.checkAgain([view = QPointer<SettingsView>(this)](bool /*allowed*/) {
            if (!view.isNull()) {
                view->refreshAllowed();
            }
        });
    });
    auto* permissionRow = new QHBoxLayout;
    permissionRow->addWidget(allowedText_);
    permissionRow->addStretch(1);
    permissionRow->addWidget(grant_);
    accessNote_ = captionLine(QString(), "screenRecordingNote");

    QFormLayout* rows = form();
    rows->addRow(QStringLiteral("Edge tolerance"), slider);
    rows->addRow(QString(), toleranceState_);
    rows->addRow(captionLine(
        QStringLiteral(
            "Lower finds fainter edges; higher skips subtle borders, textures and noise."),
        "toleranceHelp"));
    rows->addRow(showLoupe_);
    rows->addRow(QStringLiteral("Screen Recording"), permissionRow);
    rows->addRow(accessNote_);
    return section(QStringLiteral("Edge snapping"), rows);
}

QWidget* SettingsView::copyingSection() {
    copyStyle_ = choice<CopyStyle>(QStringLiteral("Copy measurements as"), "copyStyle");
    connect(copyStyle_, &QComboBox::currentIndexChanged, this, [this](int index) {
        model_.updatePrefs([index](Preferences& p) { p.copyStyle = caseAt<CopyStyle>(index); });
    });
    colorStyle_ = choice<ColorStyle>(QStringLiteral("Copy colors as"), "colorStyle");
    connect(colorStyle_, &QComboBox::currentIndexChanged, this, [this](int index) {
        model_.updatePrefs([index](Preferences& p) { p.colorStyle = caseAt<ColorStyle>(index); });
    });
    QFormLayout* rows = form();
    rows->addRow(QStringLiteral("Copy measurements as"), copyStyle_);
    rows->addRow(QStringLiteral("Copy colors as"), colorStyle_);
    return section(QStringLiteral("Copying"), rows);
}

QWidget* SettingsView::shortcutsSection(HotkeyStatus& hotkeys, Clipboard& clipboard) {
    route_ = hotkeys.state().route;
    hotkeysEnabled_ = toggle(QStringLiteral("Use the global shortcuts"), "hotkeysEnabled");
    connect(hotkeysEnabled_, &QCheckBox::toggled, this, [this](bool on) {
        model_.updatePrefs([on](Preferences& p) { p.hotkeysEnabled = on; });
    });
    // The list, "Restore Defaults" and the note show and hide together with the shortcuts.
    shortcutList_ = new QWidget;
    auto* editor = new QVBoxLayout(shortcutList_);
    editor->setContentsMargins(0, 0, 0, 0);
    auto* rows = new QVBoxLayout;
    rows->addWidget(hotkeysEnabled_);
    rows->addWidget(shortcutList_);
    if (route_ == HotkeyRoute::configuration) {
        // Nothing here turns the keys on or off: the desktop's settings or the compositor's
        // configuration do.
        hotkeysEnabled_->hide();
        if (DesktopShortcuts* desktop = hotkeys.desktopShortcuts()) {
            editor->addWidget(new ShortcutList(model_, hotkeys, true));
            editor->addWidget(new DesktopShortcutsPanel(model_, *desktop));
        } else {
            editor->addWidget(new CompositorBindingsPanel(model_, clipboard));
        }
    } else {
        editor->addWidget(new ShortcutList(model_, hotkeys, true));
    }
    if (route_ == HotkeyRoute::desktop) {
        // The desktop keeps the keys; Spanlet's choices were only suggestions.
        editor->addWidget(captionLine(QStringLiteral("Your desktop binds these shortcuts. Spanlet "
                                                     "suggests its own keys; change them in "
                                                     "the desktop’s settings."),
                                      "boundByDesktop"));
        changeTriggers_ = new QPushButton(QStringLiteral("Change Shortcuts…"));
        changeTriggers_->setObjectName(QStringLiteral("changeTriggers"));
        changeTriggers_->setAccessibleName(QStringLiteral("Change the shortcuts in the desktop"));
        connect(changeTriggers_, &QPushButton::clicked, this,
                [&hotkeys] { hotkeys.changeTriggers(); });
        auto* changeRow = new QHBoxLayout;
        changeRow->addStretch(1);
        changeRow->addWidget(changeTriggers_);
        editor->addLayout(changeRow);
        const auto showChange = [this, &hotkeys] {
            changeTriggers_->setVisible(hotkeys.state().triggersChangeable);
        };
        hotkeysSubscription_ = hotkeys.onChange(showChange);
        showChange();
        return section(QStringLiteral("Keyboard shortcuts"), rows);
    }
    restoreDefaults_ = new QPushButton(QStringLiteral("Restore Defaults"));
    restoreDefaults_->setObjectName(QStringLiteral("restoreDefaults"));
    restoreDefaults_->setAccessibleName(restoreDefaults_->text());
    connect(restoreDefaults_, &QPushButton::clicked, this, [this] {
        model_.updatePrefs([](Preferences& p) { p.shortcuts = ShortcutBindings(); });
    });
    auto* restoreRow = new QHBoxLayout;
    restoreRow->addStretch(1);
    restoreRow->addWidget(restoreDefaults_);
    editor->addLayout(restoreRow);
    editor->addWidget(captionLine(qs(ViewText::sharedDefaultsNote()), "sharedDefaultsNote"));
    return section(QStringLiteral("Keyboard shortcuts"), rows);
}

QWidget* SettingsView::generalSection() {
    openAtLogin_ = toggle(QStringLiteral("Open at login"), "openAtLogin");
    openAtLogin_->setChecked(loginItemOn_);
    connect(openAtLogin_, &QCheckBox::toggled, this, [this](bool on) { changeLoginItem(on); });
    QFormLayout* rows = form();
    rows->addRow(openAtLogin_);
    return section(QStringLiteral("General"), rows);
}

void SettingsView::display(const Preferences& p) {
    {
        const QSignalBlocker blocker(unit_);
        unit_->button(indexOf(p.unit))->setChecked(true);
    }
    const auto setChecked = [](QCheckBox* box, bool on) {
        const QSignalBlocker blocker(box);
        box->setChecked(on);
    };
    setChecked(showGuides_, p.showGuides);
    setChecked(showGapLabels_, p.showGapLabels);
    setChecked(showLoupe_, p.showLoupe);
    setChecked(hotkeysEnabled_, p.hotkeysEnabled);
    {
        // The slider shows the stored value as near as its steps allow; only the user's own
        // moves write back, so a stored value between steps stays as it is.
        const QSignalBlocker blocker(tolerance_);
        const double shown =
            std::clamp(p.tolerance, ViewText::toleranceMinimum, ViewText::toleranceMaximum);
        tolerance_->setValue(static_cast<int>(std::lround(shown * toleranceTicks)));
    }
    toleranceState_->setText(qs(ViewText::toleranceState(p.tolerance)));
    {
        const QSignalBlocker blocker(copyStyle_);
        copyStyle_->setCurrentIndex(indexOf(p.copyStyle));
    }
    {
        const QSignalBlocker blocker(colorStyle_);
        colorStyle_->setCurrentIndex(indexOf(p.colorStyle));
    }
    shortcutList_->setVisible(p.hotkeysEnabled || route_ == HotkeyRoute::configuration);
    if (restoreDefaults_ != nullptr) {
        restoreDefaults_->setEnabled(!p.shortcuts.allDefault());
    }
}

void SettingsView::refreshAllowed() {
    using State = CaptureAccess::State;
    const CaptureAccess access = permission_.access();
    const bool allowed = access.state == State::allowed;
    allowedText_->setText(allowed ? QStringLiteral("Allowed")
                          : access.state == State::grantable
                              ? QStringLiteral("Not allowed")
                              : QStringLiteral("Not available in this session"));
    QPalette p = palette();
    p.setColor(QPalette::WindowText,
               allowed ? QColor(0x1E, 0x9E, 0x3A) : withAlpha(p.color(QPalette::WindowText), 0.6));
    allowedText_->setPalette(p);
    // A button only where the desktop has an action that allows Spanlet.
    const QString action = qs(access.action);
    grant_->setText(action);
    // Named even while hidden, when there is no action.
    grant_->setAccessibleName(action.isEmpty() ? QStringLiteral("Allow reading the screen")
                                               : action);
    grant_->setVisible(access.state == State::grantable && !action.isEmpty());
    // Where reading the screen needs no permission (X11), say so; otherwise why it is not allowed.
    accessNote_->setText(allowed ? qs(ViewText::noPermissionNeeded) : qs(access.explanation));
}

void SettingsView::changeLoginItem(bool on) {
    loginItemOn_ = on;
    if (!loginItem_.setEnabled(on)) {
        // Show what the desktop really does, never a state that did not take.
        loginItemOn_ = loginItem_.isEnabled();
        const QSignalBlocker blocker(openAtLogin_);
        openAtLogin_->setChecked(loginItemOn_);
    }
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshAllowed();
}

} // namespace spanlet::views
