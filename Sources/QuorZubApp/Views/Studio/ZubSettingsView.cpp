#include "QuorZubApp/Views/Studio/ZubSettingsView.h"

#include "QuorKit/Design/QuorAdaptiveGridLayout.h"
#include "QuorZubApp/Views/Studio/ZubStudioButton.h"
#include "QuorZubApp/Views/Studio/ZubStudioLayout.h"
#include "QuorZubApp/Views/Studio/ZubStudioPlate.h"

#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassCard.h"
#include "QuorKit/Design/QuorGlassInputField.h"
#include "QuorKit/Design/QuorGlassScrollArea.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorLanguagePicker.h"
#include "QuorKit/Design/QuorMenuPicker.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorTextFit.h"
#include "QuorKit/UI/AI/QuorAIUnifiedSettingsCard.h"
#include "QuorZubCore/Models/ZubTargetLanguage.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollArea>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

using namespace ZubStudioLayout;

namespace {

// A check box drawn for the dark glass: a rounded box, filled with the accent and checked when on.
class GlassCheckBox : public QAbstractButton {
public:
    GlassCheckBox(QColor accent, QWidget* parent) : QAbstractButton(parent), m_accent(accent)
    {
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        setFont(QuorFonts::system(12.5));
    }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(font());
        return {static_cast<int>(std::ceil(kBox + kSpacing + metrics.horizontalAdvance(text()))),
                static_cast<int>(std::ceil(std::max(kBox, metrics.height()) + 4))};
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box(0.5, (height() - kBox) / 2 + 0.5, kBox - 1, kBox - 1);
        painter.setPen(QPen(isChecked() ? m_accent : QuorGlassTokens::borderStrong(), 1));
        painter.setBrush(isChecked() ? m_accent : QuorGlassTokens::surface2());
        painter.drawRoundedRect(box, 3.5, 3.5);
        if (isChecked()) {
            QuorSymbols::paint(painter, box, QStringLiteral("checkmark"), Qt::white, 10);
        }
        painter.setPen(QuorGlassTokens::textPrimary());
        painter.drawText(QRectF(kBox + kSpacing, 0, width() - kBox - kSpacing, height()),
                         Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    static constexpr double kBox = 15;
    static constexpr double kSpacing = 8;
    QColor m_accent;
};

// One permission: title and status, what it is for, and the button that checks again.
QWidget* permissionTile(const char* name, QWidget* parent)
{
    auto* tile = new ZubStudioPlate(QuorGlassTokens::surface1(), QuorGlassTokens::borderSubtle(), 10, parent);
    tile->setObjectName(QString::fromLatin1(name));
    QVBoxLayout* layout = vbox(tile, 8, QMargins(12, 12, 12, 12));
    auto* top = new QHBoxLayout;
    QLabel* title = QuorLabels::make(QString(), QuorFonts::system(13, QFont::Bold), QuorGlassTokens::textPrimary(), tile);
    title->setObjectName(QStringLiteral("title"));
    top->addWidget(title);
    top->addStretch(1);
    QLabel* badgeText = QuorLabels::make(QString(), QuorFonts::system(10.5, QFont::Bold), Qt::white, tile);
    badgeText->setObjectName(QStringLiteral("badgeText"));
    ZubStudioPlate* badge = plateAround(badgeText, Qt::transparent, -1, QMargins(8, 3, 8, 3), tile);
    badge->setObjectName(QStringLiteral("badge"));
    top->addWidget(badge);
    layout->addLayout(top);
    QLabel* subtitle = QuorLabels::make(QString(), QuorFonts::system(11), QuorGlassTokens::textSecondary(), tile);
    subtitle->setObjectName(QStringLiteral("subtitle"));
    subtitle->setWordWrap(true);
    layout->addWidget(subtitle);
    layout->addStretch(1);
    layout->addSpacing(4);
    auto* button = new QuorStyledButton(QString(), QString(), QuorGlassButtonStyle{false}, tile);
    button->setObjectName(QStringLiteral("button"));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(button);
    buttonRow->addStretch(1);
    layout->addLayout(buttonRow);
    return tile;
}

void syncTile(QWidget* tile, const ZubSettingsPresentation::PermissionTile& p)
{
    tile->findChild<QLabel*>(QStringLiteral("title"))->setText(p.title);
    tile->findChild<QLabel*>(QStringLiteral("subtitle"))->setText(p.subtitle);
    auto* badge = tile->findChild<ZubStudioPlate*>(QStringLiteral("badge"));
    badge->setColors(withAlpha(p.badgeColor, 0.16), std::nullopt);
    QLabel* badgeText = tile->findChild<QLabel*>(QStringLiteral("badgeText"));
    badgeText->setText(p.badge);
    QuorLabels::setColor(badgeText, p.badgeColor);
    auto* button = tile->findChild<QuorStyledButton*>(QStringLiteral("button"));
    button->setText(p.buttonTitle);
    button->setAccessibleName(p.buttonName);
    button->setButtonStyle(QuorGlassButtonStyle{p.buttonActive});
    button->updateGeometry();
}

} // namespace

ZubSettingsView::ZubSettingsView(ZubStudioModel& model, const QColor& accent, QWidget* parent)
    : QWidget(parent), m_model(model), m_accent(accent)
{
    setObjectName(QStringLiteral("settingsTab"));
    scrollingColumn(this, {buildPermissionsCard(), buildEngineCard(), buildBehaviorCard(), buildExcludedCard()});
    connect(&m_model, &ZubStudioModel::changed, this, &ZubSettingsView::sync);
    sync();
}

QWidget* ZubSettingsView::buildPermissionsCard()
{
    auto* box = new QWidget;
    QVBoxLayout* layout = vbox(box, 12);
    auto* header = new QHBoxLayout;
    m_permissionsTitle = cardTitle(box);
    m_permissionsSubtitle = cardSubtitle(box);
    header->addLayout(titleStack(m_permissionsTitle, m_permissionsSubtitle), 1);
    m_refreshButton = new QuorStyledButton(QString(), QStringLiteral("arrow.clockwise"), QuorGlassButtonStyle{false}, box);
    m_refreshButton->setObjectName(QStringLiteral("refreshPermissions"));
    connect(m_refreshButton, &QAbstractButton::clicked, this, &ZubSettingsView::refreshPermissions);
    header->addWidget(m_refreshButton, 0, Qt::AlignTop);
    layout->addLayout(header);

    auto* tiles = new QHBoxLayout;
    tiles->setSpacing(12);
    m_accessibilityTile = permissionTile("accessibilityTile", box);
    m_screenTile = permissionTile("screenRecordingTile", box);
    tiles->addWidget(m_accessibilityTile, 1);
    tiles->addWidget(m_screenTile, 1);
    layout->addLayout(tiles);
    // A check that finds the access still missing says so: nothing else would change on screen.
    connect(m_accessibilityTile->findChild<QAbstractButton*>(QStringLiteral("button")), &QAbstractButton::clicked, this,
            [this] {
                m_model.requestAccessibilityPermission();
                if (!m_model.accessibilityGranted()) {
                    m_model.showToast(m_presentation.accessibility.stillMissing, true);
                }
            });
    // The capture tool has no settings page to open: its button checks for the tool again.
    connect(m_screenTile->findChild<QAbstractButton*>(QStringLiteral("button")), &QAbstractButton::clicked, this, [this] {
        m_model.setScreenRecordingGranted(m_model.checkScreenRecordingGranted());
        if (!m_model.screenRecordingGranted()) {
            m_model.showToast(m_presentation.screenRecording.stillMissing, true);
        }
    });
    return glassCard(box);
}

QWidget* ZubSettingsView::buildEngineCard()
{
    auto* box = new QWidget;
    QVBoxLayout* layout = vbox(box, 14);
    m_engineTitle = cardTitle(box);
    layout->addWidget(m_engineTitle);

    auto* backend = new QVBoxLayout;
    backend->setSpacing(6);
    m_backendLabel = QuorLabels::make(QString(), QuorFonts::system(12, QFont::DemiBold), QuorGlassTokens::textSecondary(), box);
    backend->addWidget(m_backendLabel);
    auto* tiles = new QHBoxLayout;
    tiles->setSpacing(8);
    for (const ZubTranslationBackend choice : ZubTranslationBackends::allCases()) {
        ZubStudioButton* tile = textButton(QStringLiteral("backend:") + ZubTranslationBackends::rawValue(choice), 9, QString(),
                                           QuorFonts::system(11.5, QFont::Medium), QuorGlassTokens::textSecondary(),
                                           QMargins(11, 8, 11, 8), box);
        QLabel* title = tile->findChild<QLabel*>(QStringLiteral("text"));
        title->setAlignment(Qt::AlignCenter);
        title->setWordWrap(true);
        connect(tile, &QAbstractButton::clicked, this, [this, choice] { chooseBackend(choice); });
        tiles->addWidget(tile, 1);
        m_backendTiles.append(tile);
    }
    backend->addLayout(tiles);
    layout->addLayout(backend);

    auto* target = new QHBoxLayout;
    target->setSpacing(12);
    m_targetLabel = QuorLabels::make(QString(), QuorFonts::system(12.5, QFont::Medium), QuorGlassTokens::textPrimary(), box);
    target->addWidget(m_targetLabel);
    target->addStretch(1);
    m_targetPicker = new QuorMenuPicker(box);
    m_targetPicker->setObjectName(QStringLiteral("targetPicker"));
    m_targetPicker->setFixedWidth(240);
    connect(m_targetPicker, &QuorMenuPicker::activated, this, &ZubSettingsView::chooseTargetLanguage);
    target->addWidget(m_targetPicker);
    layout->addLayout(target);

    // Below the engine card, the AI settings card edits the AI part of the configuration through
    // the model and hands API keys only to the model's keyring operations.
    auto* card = new QWidget;
    QVBoxLayout* stack = vbox(card, 14);
    stack->addWidget(glassCard(box));
    m_aiCard = new QuorAIUnifiedSettingsCard(
        {[this] { return m_model.config().aiConfig; }, [this](const QuorAIConfig& config) { m_model.updateAIConfig(config); }},
        m_model.hasSavedAPIKey(), [this](QString key) { return m_model.saveAPIKeyToKeychain(std::move(key)); },
        [this] { return m_model.deleteAPIKeyFromKeychain(); }, {}, m_accent, m_model.language(),
        m_model.creditsStore(), m_model.catalogStore(), card);
    stack->addWidget(m_aiCard);
    return card;
}

QWidget* ZubSettingsView::buildBehaviorCard()
{
    auto* box = new QWidget;
    QVBoxLayout* layout = vbox(box, 12);
    m_behaviorTitle = cardTitle(box);
    layout->addWidget(m_behaviorTitle);

    m_autoShowToggle = new GlassCheckBox(m_accent, box);
    m_autoShowToggle->setObjectName(QStringLiteral("autoShowToggle"));
    connect(m_autoShowToggle, &QAbstractButton::clicked, this, [this](bool checked) { m_model.setAutoShowOnSelection(checked); });
    layout->addWidget(m_autoShowToggle);

    auto* hide = new QHBoxLayout;
    m_autoHideLabel = QuorLabels::make(QString(), QuorFonts::system(12.5), QuorGlassTokens::textPrimary(), box);
    m_autoHideLabel->setObjectName(QStringLiteral("autoHideLabel"));
    hide->addWidget(m_autoHideLabel);
    hide->addStretch(1);
    // In half seconds, so a delay of 6.5 s set in the file stands where its label says; the user
    // moves it in whole seconds.
    m_hideSlider = new QSlider(Qt::Horizontal, box);
    m_hideSlider->setObjectName(QStringLiteral("hideSlider"));
    m_hideSlider->setRange(ZubSettingsPresentation::hideSliderMinimum, ZubSettingsPresentation::hideSliderMaximum);
    m_hideSlider->setSingleStep(2);
    m_hideSlider->setPageStep(2);
    m_hideSlider->setFixedWidth(200);
    m_hideSlider->setStyleSheet(QStringLiteral(
        "QSlider::groove:horizontal { height: 4px; background: rgba(255, 255, 255, 0.16); border-radius: 2px; }"
        "QSlider::sub-page:horizontal { background: %1; border-radius: 2px; }"
        "QSlider::handle:horizontal { background: white; width: 14px; height: 14px; margin: -5px 0; border-radius: 7px; }")
                                    .arg(m_accent.name()));
    connect(m_hideSlider, &QSlider::actionTriggered, this, [this](int action) {
        // A step from a half second, or a drag, ends on a whole second: back towards where it came from.
        const int position = m_hideSlider->sliderPosition();
        if (position % 2 != 0) {
            const bool down = action == QAbstractSlider::SliderSingleStepSub || action == QAbstractSlider::SliderPageStepSub;
            m_hideSlider->setSliderPosition(position + (down ? 1 : -1));
        }
    });
    // Every value, also while dragging, is written.
    connect(m_hideSlider, &QSlider::valueChanged, this,
            [this](int halves) { setHideDelay(static_cast<int>(std::lround(halves / 2.0))); });
    hide->addWidget(m_hideSlider);
    // The label names the slider for screen readers.
    m_autoHideLabel->setBuddy(m_hideSlider);
    layout->addLayout(hide);

    m_launchToggle = new GlassCheckBox(m_accent, box);
    m_launchToggle->setObjectName(QStringLiteral("launchToggle"));
    connect(m_launchToggle, &QAbstractButton::clicked, this, [this](bool checked) { m_model.toggleLaunchAtLogin(checked); });
    layout->addWidget(m_launchToggle);

    auto* language = new QHBoxLayout;
    m_languageLabel = QuorLabels::make(QString(), QuorFonts::system(12.5), QuorGlassTokens::textPrimary(), box);
    language->addWidget(m_languageLabel);
    language->addStretch(1);
    m_languagePicker = new QuorLanguagePicker(std::nullopt, m_model.language(), false,
                                              [this](QuorLanguage chosen) { chooseInterfaceLanguage(chosen); }, box);
    m_languagePicker->setObjectName(QStringLiteral("interfaceLanguage"));
    language->addWidget(m_languagePicker);
    layout->addLayout(language);

    layout->addWidget(divider(box));

    auto* shortcuts = new QHBoxLayout;
    shortcuts->setSpacing(16);
    for (int i = 0; i < 2; ++i) {
        auto* badge = new QWidget(box);
        badge->setObjectName(QStringLiteral("shortcut:") + QString::number(i));
        QHBoxLayout* badgeLayout = hbox(badge, 8);
        QLabel* keyText = QuorLabels::make(QString(), QuorFonts::monospaced(11.5, QFont::Bold), m_accent, badge);
        keyText->setObjectName(QStringLiteral("keys"));
        badgeLayout->addWidget(plateAround(keyText, withAlpha(m_accent, 0.16), 6, QMargins(8, 4, 8, 4), badge));
        QLabel* label = QuorLabels::make(QString(), QuorFonts::system(12), QuorGlassTokens::textSecondary(), badge);
        label->setObjectName(QStringLiteral("label"));
        badgeLayout->addWidget(label);
        shortcuts->addWidget(badge);
        m_shortcuts.append(badge);
    }
    shortcuts->addStretch(1);
    layout->addLayout(shortcuts);
    return glassCard(box);
}

QWidget* ZubSettingsView::buildExcludedCard()
{
    auto* box = new QWidget;
    QVBoxLayout* layout = vbox(box, 12);
    auto* header = new QHBoxLayout;
    m_excludedTitle = cardTitle(box);
    m_excludedSubtitle = cardSubtitle(box);
    header->addLayout(titleStack(m_excludedTitle, m_excludedSubtitle), 1);
    m_refreshAppsButton = new QuorStyledButton(QString(), QStringLiteral("arrow.clockwise"), QuorGlassButtonStyle{false}, box);
    m_refreshAppsButton->setObjectName(QStringLiteral("refreshApps"));
    connect(m_refreshAppsButton, &QAbstractButton::clicked, this, [this] { m_model.refreshRunningApps(); });
    header->addWidget(m_refreshAppsButton, 0, Qt::AlignTop);
    layout->addLayout(header);

    auto* manual = new QHBoxLayout;
    manual->setSpacing(8);
    m_manualField = new QLineEdit(box);
    m_manualField->setObjectName(QStringLiteral("manualBundleID"));
    quorGlassInputField(m_manualField, 7, 9, 5);
    connect(m_manualField, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_manualBundleID = text;
        static_cast<QuorStyledButton*>(m_addButton)->setButtonStyle(QuorGlassButtonStyle{!text.isEmpty()});
    });
    manual->addWidget(m_manualField, 1);
    m_addButton = new QuorStyledButton(QString(), QString(), QuorGlassButtonStyle{false}, box);
    m_addButton->setObjectName(QStringLiteral("addBundleID"));
    connect(m_addButton, &QAbstractButton::clicked, this, &ZubSettingsView::addManualBundleID);
    manual->addWidget(m_addButton);
    layout->addLayout(manual);

    m_excludedGrid = new QWidget(box);
    m_excludedGrid->setObjectName(QStringLiteral("excludedGrid"));
    m_excludedLayout = new QuorAdaptiveGridLayout(220, 8, 8, m_excludedGrid);
    layout->addWidget(m_excludedGrid);

    m_quickTitle = QuorLabels::make(QString(), QuorFonts::system(11.5, QFont::DemiBold), QuorGlassTokens::textSecondary(), box);
    m_quickTitle->setObjectName(QStringLiteral("quickExcludeTitle"));
    layout->addWidget(m_quickTitle);
    m_quickRow = new QWidget;
    m_quickRow->setObjectName(QStringLiteral("quickExcludeRow"));
    hbox(m_quickRow, 6);
    m_quickScroll = quorGlassScrollArea(m_quickRow, Qt::Horizontal, false, box);
    static_cast<QScrollArea*>(m_quickScroll)->setWidgetResizable(true);
    layout->addWidget(m_quickScroll);
    return glassCard(box);
}

void ZubSettingsView::sync()
{
    const ZubSettingsPresentation previous = m_presentation;
    m_presentation = ZubSettingsPresentation::make(m_model, m_manualBundleID);
    const ZubSettingsPresentation& p = m_presentation;

    m_permissionsTitle->setText(p.permissionsTitle);
    m_permissionsSubtitle->setText(p.permissionsSubtitle);
    m_refreshButton->setText(p.refreshTitle);
    m_refreshButton->setAccessibleName(p.refreshName);
    m_refreshButton->updateGeometry();
    syncPermissions();

    m_engineTitle->setText(p.engineTitle);
    m_backendLabel->setText(p.backendLabel);
    for (qsizetype i = 0; i < m_backendTiles.size() && i < p.backends.size(); ++i) {
        const auto& tile = p.backends[i];
        ZubStudioButton* button = m_backendTiles[i];
        button->setColors(tile.isSelected ? withAlpha(m_accent, 0.28) : QuorGlassTokens::surface1(),
                          tile.isSelected ? withAlpha(m_accent, 0.7) : QuorGlassTokens::borderSubtle());
        QLabel* title = button->findChild<QLabel*>(QStringLiteral("text"));
        title->setText(tile.title);
        title->setFont(QuorFonts::system(11.5, tile.isSelected ? QFont::DemiBold : QFont::Medium));
        QuorLabels::setColor(title, tile.isSelected ? QColor(Qt::white) : QuorGlassTokens::textSecondary());
        button->setAccessibleName(tile.title);
        QuorAccessibleButton::setChoice(button, QAccessible::RadioButton, tile.isSelected);
    }
    m_targetLabel->setText(p.targetLabel);
    m_targetPicker->setItems(menuItems(p.targetItems));
    m_targetPicker->setCurrentIndex(p.targetIndex);
    m_aiCard->setHasSavedAPIKey(m_model.hasSavedAPIKey());
    m_aiCard->setLanguageOverride(m_model.language());
    m_aiCard->sync();

    m_behaviorTitle->setText(p.behaviorTitle);
    m_autoShowToggle->setText(p.autoShowLabel);
    m_autoShowToggle->setChecked(p.autoShowOn);
    m_autoHideLabel->setText(p.autoHideLabel);
    {
        const QSignalBlocker blocker(m_hideSlider);
        m_hideSlider->setValue(p.hideSliderPosition);
    }
    m_launchToggle->setText(p.launchAtLoginLabel);
    m_launchToggle->setChecked(p.launchAtLoginOn);
    m_languageLabel->setText(p.languageLabel);
    m_languagePicker->setLanguage(m_model.language());
    for (qsizetype i = 0; i < m_shortcuts.size() && i < p.shortcuts.size(); ++i) {
        m_shortcuts[i]->findChild<QLabel*>(QStringLiteral("keys"))->setText(p.shortcuts[i].keys);
        m_shortcuts[i]->findChild<QLabel*>(QStringLiteral("label"))->setText(p.shortcuts[i].label);
    }

    m_excludedTitle->setText(p.excludedTitle);
    m_excludedSubtitle->setText(p.excludedSubtitle);
    m_refreshAppsButton->setText(p.refreshAppsTitle);
    m_refreshAppsButton->setAccessibleName(p.refreshAppsName);
    m_refreshAppsButton->updateGeometry();
    m_manualField->setPlaceholderText(p.manualPlaceholder);
    m_manualField->setAccessibleName(p.manualFieldTitle);
    m_addButton->setText(p.addTitle);
    static_cast<QuorStyledButton*>(m_addButton)->setButtonStyle(QuorGlassButtonStyle{p.addButtonActive});
    m_addButton->updateGeometry();
    m_quickTitle->setText(p.quickExcludeTitle);
    syncExcluded(previous);
    m_firstSync = false;
}

void ZubSettingsView::syncPermissions()
{
    syncTile(m_accessibilityTile, m_presentation.accessibility);
    syncTile(m_screenTile, m_presentation.screenRecording);
}

void ZubSettingsView::syncExcluded(const ZubSettingsPresentation& previous)
{
    const ZubSettingsPresentation& p = m_presentation;
    if (m_firstSync || p.excludedRows != previous.excludedRows || p.removeExcludedTitle != previous.removeExcludedTitle) {
        // The rows go once the click that removed one is over; the focus in them moves to the
        // field for adding an identifier, never on to another row's remove button.
        QuorKeyboardReach::handFocus(m_excludedGrid, m_manualField);
        while (QLayoutItem* item = m_excludedLayout->takeAt(0)) {
            retireLater(item->widget());
            delete item;
        }
        for (const QString& entry : p.excludedRows) {
            auto* row = new ZubStudioPlate(QuorGlassTokens::surface2(), std::nullopt, 8, m_excludedGrid);
            row->setObjectName(QStringLiteral("excluded:") + entry);
            QHBoxLayout* layout = hbox(row, 6, QMargins(10, 6, 10, 6));
            QLabel* entryLabel = QuorLabels::makeElided(entry, QuorFonts::monospaced(11.5), QuorGlassTokens::textPrimary(), row);
            QuorTextFit::markShortensByDesign(entryLabel);
            layout->addWidget(entryLabel, 1);
            auto* remove = new ZubStudioButton(0, row);
            remove->setObjectName(QStringLiteral("remove"));
            remove->setToolTip(p.removeExcludedTitle + entry);
            auto* symbol = new QLabel(remove);
            symbol->setPixmap(QuorSymbols::pixmap(QStringLiteral("xmark.circle.fill"), 12, QuorGlassTokens::textMuted()));
            hbox(remove, 0)->addWidget(symbol);
            connect(remove, &QAbstractButton::clicked, this, [this, entry] { m_model.removeExcludedBundleID(entry); });
            layout->addWidget(remove);
            m_excludedLayout->addWidget(row);
            row->show();
        }
    }
    m_quickTitle->setVisible(p.showsQuickExclude);
    m_quickScroll->setVisible(p.showsQuickExclude);
    if (m_firstSync || p.runningChips != previous.runningChips) {
        QLayout* layout = m_quickRow->layout();
        QList<QPointer<QWidget>> oldChips;
        while (QLayoutItem* item = layout->takeAt(0)) {
            if (item->widget() != nullptr) {
                oldChips.append(item->widget());
            }
            delete item;
        }
        for (const ZubSettingsPresentation::RunningChip& chip : p.runningChips) {
            auto* button = new ZubStudioButton(-1, m_quickRow);
            button->setObjectName(QStringLiteral("running:") + chip.app.id);
            button->setAccessibleName(chip.accessibleName);
            QuorAccessibleButton::setChoice(button, QAccessible::CheckBox, chip.isExcluded);
            button->setColors(QuorGlassTokens::surface1(),
                              chip.isExcluded ? withAlpha(m_accent, 0.6) : QuorGlassTokens::borderSubtle());
            QHBoxLayout* chipLayout = hbox(button, 5, QMargins(9, 5, 9, 5));
            auto* symbol = new QLabel(button);
            symbol->setObjectName(QStringLiteral("symbol"));
            symbol->setProperty("symbolName", chip.symbol);
            symbol->setPixmap(QuorSymbols::pixmap(chip.symbol, 11.5,
                                                  chip.isExcluded ? m_accent : QuorGlassTokens::textSecondary()));
            chipLayout->addWidget(symbol);
            chipLayout->addWidget(QuorLabels::make(chip.app.name, QuorFonts::system(11.5, QFont::Medium),
                                                   QuorGlassTokens::textPrimary(), button));
            const RunningAppCandidate app = chip.app;
            connect(button, &QAbstractButton::clicked, this, [this, app] { toggleRunningApp(app); });
            layout->addWidget(button);
            button->show();
        }
        static_cast<QHBoxLayout*>(layout)->addStretch(1);
        m_quickScroll->setFixedHeight(m_quickRow->sizeHint().height() + 2);
        // The chip just toggled keeps the focus in its new form; the old chips go once its click is over.
        for (const QPointer<QWidget>& old : std::as_const(oldChips)) {
            if (old) {
                QuorKeyboardReach::carryFocus(old, m_quickRow, m_refreshAppsButton);
                retireLater(old);
            }
        }
    }
}

void ZubSettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        refreshPermissions();
        m_model.refreshRunningApps();
    }
}

void ZubSettingsView::refreshPermissions()
{
    m_model.setAccessibilityGranted(m_model.checkAccessibilityGranted());
    m_model.setScreenRecordingGranted(m_model.checkScreenRecordingGranted());
}

void ZubSettingsView::chooseBackend(ZubTranslationBackend backend)
{
    // Written and saved even when it is already the chosen one.
    m_model.editConfig([backend](ZubConfig& config) { config.translationBackend = backend; });
}

void ZubSettingsView::chooseTargetLanguage(int index)
{
    m_model.chooseTargetLanguage(index);
}

void ZubSettingsView::setHideDelay(int seconds)
{
    m_model.editConfig([seconds](ZubConfig& config) { config.hideDelaySeconds = seconds; });
}

void ZubSettingsView::chooseInterfaceLanguage(QuorLanguage language)
{
    m_model.setLanguage(language);
    // Inside the picker's follow-system answer this leaves "system" stored.
    QuorLanguages::setCurrent(language);
    m_model.setFloatingBarLanguage(language);
}

void ZubSettingsView::addManualBundleID()
{
    m_model.addExcludedBundleID(m_manualBundleID);
    m_manualField->clear();
}

void ZubSettingsView::toggleRunningApp(const RunningAppCandidate& app)
{
    if (ZubSettingsPresentation::isExcluded(m_model.config().excludedBundleIDs, app.bundleID)) {
        m_model.removeExcludedBundleID(app.bundleID);
    } else {
        m_model.addExcludedBundleID(app.bundleID);
    }
}
