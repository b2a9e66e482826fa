#include "QuorKit/UI/Suite/QuorSuiteQuickActionsStrip.h"

#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorCapsuleButton.h"
#include "QuorKit/Design/QuorCapsuleLabel.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassScrollArea.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Suite/QuorSuiteCommandBus.h"
#include "QuorKit/UI/Suite/QuorSuiteColors.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>

namespace {

using Chip = QuorSuiteQuickActionsStrip::Chip;

enum class Shown { always, thawCount, wideOnly, killCount };

struct ChipRow {
    QuorSuiteApp target;
    Shown shown;
    const char* titleEN;
    const char* titleTR;
    const char* symbol;
    QColor (*tint)();
    const char* helpEN;
    const char* helpTR;
    QuorSuiteCommandKind kind;
    bool bringToFront;
    const char* toastEN;
    const char* toastTR;
};

// In display order: the memory tool's group, the process killer's, the system monitor's.
const QList<ChipRow>& chipRows()
{
    using K = QuorSuiteCommandKind;
    static const QList<ChipRow> rows{
        {QuorSuiteApp::vaskel, Shown::always, "Smart RAM Offload", "Akıllı RAM Aç", "bolt.fill",
         QuorSuiteColors::memoryViolet, "Trigger Vaskel smart memory offload in the background",
         "Arka planda Vaskel akıllı bellek rahatlatmayı çalıştır", K::ramSmartOffload, false,
         "Sent Smart RAM Offload to Vaskel", "Vaskel Akıllı RAM Açma tetiklendi"},
        {QuorSuiteApp::vaskel, Shown::thawCount, "Thaw Apps", "Donukları Uyandır", "sun.max.fill",
         QuorGlassTokens::warning, "Resume all apps frozen by Vaskel",
         "Vaskel tarafından dondurulan tüm uygulamaları uyandır", K::ramThawAll, false,
         "Sent Thaw All command to Vaskel", "Vaskel tüm donukları uyandırma komutu gönderildi"},
        {QuorSuiteApp::vaskel, Shown::wideOnly, "Virtual Disk Lab", "Sanal Disk Lab", "externaldrive.badge.timemachine",
         QuorSuiteColors::memoryViolet, "Open Vaskel Virtual Disk & mmap Pool Lab",
         "Vaskel Sanal Disk ve Bellek Havuzu Laboratuvarını aç", K::ramOpenDiskLab, true,
         "Opening Vaskel Virtual Disk Lab", "Vaskel Sanal Disk Laboratuvarı açılıyor"},
        {QuorSuiteApp::drummet, Shown::killCount, "Kill Frozen", "Donmuşları Öldür", "xmark.octagon.fill",
         QuorGlassTokens::danger, "Terminate unresponsive or frozen apps via Drummet",
         "Yanıt vermeyen/donmuş uygulamaları Drummet ile sonlandır", K::killAllFrozen, false,
         "Sent Kill All Frozen command to Drummet", "Drummet'e donmuş uygulamaları öldürme komutu gönderildi"},
        {QuorSuiteApp::drummet, Shown::always, "Target Window", "Pencere Hedefle", "scope", QuorSuiteColors::killerRose,
         "Activate Drummet crosshair to click-kill any frozen window",
         "Herhangi bir donmuş pencereyi tıklayıp öldürmek için Drummet nişangahını aç", K::killOpenCrosshair, false,
         "Drummet window targeter activated", "Drummet pencere hedefleme nişangahı açıldı"},
        {QuorSuiteApp::drummet, Shown::always, "Quick Kill HUD", "Hızlı Öldür HUD", "bolt.circle.fill",
         QuorSuiteColors::killerRose, "Toggle Drummet floating Quick Kill HUD",
         "Drummet yüzen Hızlı Öldürme panelini aç/kapat", K::killToggleQuickHUD, false, "Toggled Drummet Quick HUD",
         "Drummet Hızlı Öldür HUD açıldı/kapatıldı"},
        {QuorSuiteApp::drummet, Shown::wideOnly, "24h Usage", "24s Analiz", "chart.bar.xaxis",
         QuorSuiteColors::killerRose, "Open Drummet 24h CPU / RAM / Disk analytics",
         "Drummet 24 saatlik CPU / RAM / Disk analizini aç", K::killOpenAnalytics24h, true,
         "Opening Drummet 24h Analytics", "Drummet 24 Saatlik Analiz açılıyor"},
        {QuorSuiteApp::kestrine, Shown::always, "Pulse HUD", "Pulse HUD", "rectangle.inset.topright.filled",
         QuorSuiteColors::swapCyan, "Show or hide the Kestrine floating desktop telemetry HUD",
         "Kestrine masaüstü yüzen sensör HUD'unu aç/kapat", K::pulseToggleHUD, false, "Toggled Kestrine Floating HUD",
         "Kestrine Masaüstü HUD açıldı/kapatıldı"},
        {QuorSuiteApp::kestrine, Shown::wideOnly, "Thermals & Fan", "Sıcaklık & Fan", "thermometer.medium",
         QuorSuiteColors::swapCyan, "Open Kestrine live thermal sensors, fan RPM & power view",
         "Kestrine canlı sıcaklık sensörleri, fan RPM ve güç ekranını aç", K::pulseOpenThermalsPower, true,
         "Opening Kestrine Thermals & Power", "Kestrine Sıcaklık ve Fan ekranı açılıyor"},
    };
    return rows;
}

QString text(const char* en, const char* tr, QuorLanguage language)
{
    return quorText(QString::fromUtf8(en), QString::fromUtf8(tr), {}, language);
}

QString counted(const QString& title, qint64 count)
{
    return title + QStringLiteral(" (") + QString::number(count) + QLatin1Char(')');
}

} // namespace

QuorSuiteQuickActionsStrip::QuorSuiteQuickActionsStrip(QuorSuiteApp currentApp,
                                                       const std::optional<QuorVirtualMemorySummary>& vmSummary,
                                                       const std::optional<DrummetLiveStatus>& killStatus,
                                                       QuorLanguage language, bool compact, Feedback onFeedback,
                                                       QWidget* parent)
    : QWidget(parent), m_currentApp(currentApp),
      m_frozenAppCount(vmSummary ? std::optional(vmSummary->frozenAppCount) : std::nullopt),
      m_problematicCount(killStatus ? std::optional(killStatus->problematicCount) : std::nullopt),
      m_language(language), m_compact(compact), m_onFeedback(std::move(onFeedback))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(headerTitle(language));
    refresh();
}

QList<Chip> QuorSuiteQuickActionsStrip::chips(QuorSuiteApp currentApp, std::optional<qint64> frozenAppCount,
                                              std::optional<qint64> problematicCount, QuorLanguage language,
                                              bool compact, const std::function<bool(QuorSuiteApp)>& isInstalled)
{
    QList<Chip> chips;
    QList<QuorSuiteApp> shownGroups;
    for (const ChipRow& row : chipRows()) {
        if (!shownGroups.contains(row.target)) {
            if (row.target == currentApp || !isInstalled(row.target)) {
                continue;
            }
            shownGroups.append(row.target);
        }
        if ((row.shown == Shown::wideOnly && compact) || (row.shown == Shown::thawCount && frozenAppCount.value_or(0) < 1)) {
            continue;
        }
        Chip chip{text(row.titleEN, row.titleTR, language), QString::fromLatin1(row.symbol), row.tint(), false,
                  text(row.helpEN, row.helpTR, language), row.kind, row.target, row.bringToFront,
                  QString::fromUtf8(row.toastEN), QString::fromUtf8(row.toastTR)};
        if (row.shown == Shown::thawCount) {
            chip.title = counted(chip.title, *frozenAppCount);
        }
        if (row.shown == Shown::killCount && problematicCount.value_or(0) >= 1) {
            chip.title = counted(chip.title, *problematicCount);
            chip.emphasized = true;
        }
        chips.append(chip);
    }
    return chips;
}

QuorCapsuleLook QuorSuiteQuickActionsStrip::chipLook(const Chip& chip, bool compact)
{
    using QuorSuiteColors::withOpacity;
    QuorCapsuleLook look;
    look.text = chip.title;
    look.font = QuorFonts::system(compact ? 10 : 11, QFont::DemiBold);
    look.foreground = chip.emphasized ? QColor(Qt::white) : chip.tint;
    look.symbolName = chip.symbolName;
    look.symbolSize = compact ? 9.5 : 10.5;
    look.fill = withOpacity(chip.tint, chip.emphasized ? 0.30 : 0.14);
    look.border = withOpacity(chip.tint, chip.emphasized ? 0.65 : 0.32);
    look.paddingH = compact ? 8 : 10;
    look.paddingV = compact ? 4 : 5;
    return look;
}

QString QuorSuiteQuickActionsStrip::headerTitle(QuorLanguage language)
{
    return quorText(QStringLiteral("Suite Actions"), QStringLiteral("Suite Hızlı İşlemler"), {}, language);
}

QString QuorSuiteQuickActionsStrip::feedbackText(const Chip& chip, QuorSuiteCommandBus::Delivery delivery,
                                                 QuorLanguage language)
{
    if (delivery == QuorSuiteCommandBus::Delivery::delivered) {
        return quorText(chip.toastEN, chip.toastTR, {}, language);
    }
    return QuorSuiteCommandBus::failureText(delivery, chip.target, language);
}

QList<QAbstractButton*> QuorSuiteQuickActionsStrip::chipButtons() const
{
    QList<QAbstractButton*> buttons;
    for (QuorCapsuleButton* button : m_buttons) {
        buttons.append(button);
    }
    return buttons;
}

void QuorSuiteQuickActionsStrip::refresh()
{
    const QList<Chip> next = chips(m_currentApp, m_frozenAppCount, m_problematicCount, m_language, m_compact,
                                   [](QuorSuiteApp app) { return QuorSuiteApps::isInstalled(app); });
    if (next == m_chips && m_row != nullptr) {
        return;
    }
    m_chips = next;
    rebuildRow();
}

void QuorSuiteQuickActionsStrip::rebuildRow()
{
    delete layout();
    qDeleteAll(findChildren<QScrollArea*>(Qt::FindDirectChildrenOnly));
    m_buttons.clear();
    m_row = new QWidget;
    m_row->setAttribute(Qt::WA_TranslucentBackground);
    QHBoxLayout* row = m_compact ? QuorBoxLayouts::hbox(m_row, 6, QMargins(2, 0, 2, 0))
                                 : QuorBoxLayouts::hbox(m_row, 8, QMargins(14, 7, 14, 7));
    row->setAlignment(Qt::AlignVCenter);
    if (!m_compact) {
        QuorCapsuleLook header;
        header.text = headerTitle(m_language);
        header.font = QuorFonts::system(10.5, QFont::Bold);
        header.foreground = QuorGlassTokens::textMuted();
        header.symbolName = QStringLiteral("square.grid.2x2.fill");
        header.symbolSize = 10;
        row->addWidget(new QuorCapsuleLabel(header, m_row));
        row->addSpacing(2);
    }
    for (const Chip& chip : m_chips) {
        auto* button = new QuorCapsuleButton(chipLook(chip, m_compact), m_row);
        button->setHelpText(chip.help);
        connect(button, &QAbstractButton::clicked, this, [this, chip] { trigger(chip); });
        row->addWidget(button);
        m_buttons.append(button);
    }
    // The row scrolls rather than squeezing its header and chips.
    m_row->setMinimumSize(m_row->sizeHint());
    m_row->resize(m_row->sizeHint());
    auto* outer = QuorBoxLayouts::vbox(this, 0);
    if (!m_chips.isEmpty()) {
        outer->addWidget(quorGlassScrollArea(m_row, Qt::Horizontal, false, this));
    } else {
        delete m_row;
        m_row = nullptr;
    }
    // With no sibling to drive the strip takes no room at all.
    setFixedHeight(m_row != nullptr ? m_row->sizeHint().height() : 0);
    updateGeometry();
    update();
}

void QuorSuiteQuickActionsStrip::trigger(const Chip& chip)
{
    const QuorSuiteCommandBus::Delivery delivery = QuorSuiteCommandBus::shared().deliver(
        chip.kind, m_currentApp, chip.target, std::nullopt, std::nullopt, std::nullopt, true, chip.bringToFront);
    // The host may delete this strip from its feedback: call through a copy that outlives it.
    if (const Feedback feedback = m_onFeedback) {
        feedback(feedbackText(chip, delivery, m_language));
    }
}

QSize QuorSuiteQuickActionsStrip::sizeHint() const
{
    return m_row != nullptr ? m_row->sizeHint() : QSize(0, 0);
}

void QuorSuiteQuickActionsStrip::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

void QuorSuiteQuickActionsStrip::paintEvent(QPaintEvent* /*event*/)
{
    if (m_compact || m_chips.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), QuorGlassTokens::surface1());
}
