#include "QuorKit/UI/Suite/QuorVirtualMemoryGaugeCard.h"

#include "QuorKit/Design/QuorAdaptiveGridLayout.h"
#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorCapsuleGaugeBar.h"
#include "QuorKit/Design/QuorCapsuleLabel.h"
#include "QuorKit/Design/QuorFlowLayout.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassButtonStyle.h"
#include "QuorKit/Design/QuorGlassCard.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Suite/QuorSuiteCommandBus.h"
#include "QuorKit/UI/Suite/QuorSuiteColors.h"
#include "QuorKit/Utilities/QuorByteFormatter.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>

#include <algorithm>
#include <cmath>

namespace {

using Presentation = QuorVirtualMemoryGaugeCard::Presentation;
using QuorByteFormatter::format;
using QuorSuiteColors::withOpacity;

constexpr int kHeaderSpacing = 8;

QString bilingual(const QString& en, const QString& turkish, QuorLanguage language)
{
    return quorText(en, turkish, {}, language);
}

QString usedOfTotal(qint64 used, qint64 total)
{
    return format(used) + QStringLiteral(" / ") + format(total);
}

std::optional<QString> joinedNames(const QStringList& names)
{
    return names.isEmpty() ? std::nullopt : std::optional(names.join(QStringLiteral(", ")));
}

QColor statusColor(const QuorVirtualMemorySummary& summary)
{
    if (summary.pressureLevel == QStringLiteral("critical")) {
        return QuorGlassTokens::danger();
    }
    if (summary.isVaskelVirtualExpansionActive()) {
        return QuorSuiteColors::memoryViolet();
    }
    return summary.swapUsedBytes > 0 ? QuorSuiteColors::swapCyan() : QuorGlassTokens::success();
}

QList<QuorVirtualMemoryGaugeCard::StatPill> statPills(const QuorVirtualMemorySummary& s, QuorLanguage language)
{
    const QString off = bilingual(QStringLiteral("Off"), QStringLiteral("Kapalı"), language);
    QuorVirtualMemoryGaugeCard::StatPill swap;
    swap.label = s.swapFileCount < 1 ? QStringLiteral("Swap") : QStringLiteral("Swap (%1)").arg(s.swapFileCount);
    swap.value = usedOfTotal(s.swapUsedBytes, s.swapTotalBytes);
    if (s.swapTotalBytes >= 1) {
        const double share = static_cast<double>(s.swapUsedBytes) / static_cast<double>(s.swapTotalBytes) * 100.0;
        swap.detail = QString::number(QuorVirtualMemoryGaugeCard::roundedPercent(share)) + QStringLiteral("% • ")
            + (s.swapEncrypted ? QStringLiteral("dm-crypt") : QStringLiteral("Plain"));
    }
    swap.tint = s.swapUsedBytes >= 1 ? QuorSuiteColors::swapCyan() : QuorGlassTokens::textSecondary();

    const bool pools = s.activeDiskPoolCount >= 1;
    const QuorVirtualMemoryGaugeCard::StatPill diskPools{
        bilingual(QStringLiteral("mmap Disk Pools"), QStringLiteral("Disk Bellek Havuzu"), language),
        pools ? usedOfTotal(s.diskPoolActualDiskBytes, s.diskPoolVirtualBytes) : off, joinedNames(s.diskPoolNames),
        pools ? QuorSuiteColors::memoryViolet() : QuorGlassTokens::textMuted()};

    const bool sparse = s.mountedSparseDiskCount >= 1;
    const QuorVirtualMemoryGaugeCard::StatPill sparseDisks{
        bilingual(QStringLiteral("Virtual Disk"), QStringLiteral("Sanal Disk"), language),
        sparse ? usedOfTotal(s.sparseDiskActualBytes, s.sparseDiskVirtualBytes) : off,
        joinedNames(s.sparseDiskNames), sparse ? QuorSuiteColors::sparseDiskMint() : QuorGlassTokens::textMuted()};

    const bool ramDisks = s.mountedRAMDiskCount >= 1;
    const QuorVirtualMemoryGaugeCard::StatPill ramAndFrozen{
        bilingual(QStringLiteral("RAM-Disk / Frozen"), QStringLiteral("RAM-Disk / Donuk"), language),
        ramDisks ? format(s.ramDiskTotalBytes)
                 : QString::number(s.frozenAppCount) + QLatin1Char(' ') + bilingual(QStringLiteral("frozen"), QStringLiteral("donuk"), language),
        s.reclaimedFromFrozenBytes >= 1 ? std::optional(QStringLiteral("↓ ") + format(s.reclaimedFromFrozenBytes))
                                        : joinedNames(s.ramDiskNames),
        ramDisks || s.frozenAppCount >= 1 ? QuorGlassTokens::warning() : QuorGlassTokens::textMuted()};
    return {swap, diskPools, sparseDisks, ramAndFrozen};
}

// The badges beside the buttons when both fit on one line, else the badges above the buttons.
// Hidden buttons (the memory tool is not installed) take no room.
class HeaderArrangement : public QWidget {
public:
    HeaderArrangement(QWidget* badges, QWidget* buttons, QWidget* parent)
        : QWidget(parent), m_badges(badges), m_buttons(buttons)
    {
        m_badges->setParent(this);
        m_buttons->setParent(this);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        QSizePolicy policy = sizePolicy();
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool showsButtons() const { return !m_buttons->isHidden(); }

    void setShowsButtons(bool shown)
    {
        if (shown != showsButtons()) {
            m_buttons->setVisible(shown);
            arrange(width());
            updateGeometry();
        }
    }

    bool fitsOneRow(int width) const
    {
        return !showsButtons() || m_badges->sizeHint().width() + kHeaderSpacing + m_buttons->sizeHint().width() <= width;
    }

    bool hasHeightForWidth() const override { return true; }

    int heightForWidth(int width) const override
    {
        if (!showsButtons()) {
            return m_badges->heightForWidth(width);
        }
        if (fitsOneRow(width)) {
            return std::max(m_badges->sizeHint().height(), m_buttons->sizeHint().height());
        }
        return m_badges->heightForWidth(width) + kHeaderSpacing + m_buttons->sizeHint().height();
    }

    QSize sizeHint() const override
    {
        const int width = m_badges->sizeHint().width() + (showsButtons() ? kHeaderSpacing + m_buttons->sizeHint().width() : 0);
        return {width, heightForWidth(width)};
    }

    QSize minimumSizeHint() const override
    {
        const int buttons = showsButtons() ? m_buttons->sizeHint().width() : 0;
        return {std::max(m_badges->minimumSizeHint().width(), buttons), 0};
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        arrange(event->size().width());
    }

private:
    void arrange(int width)
    {
        if (!showsButtons()) {
            m_badges->setGeometry(0, 0, width, m_badges->heightForWidth(width));
            return;
        }
        const QSize buttons = m_buttons->sizeHint();
        if (fitsOneRow(width)) {
            const int height = heightForWidth(width);
            const QSize badges = m_badges->sizeHint();
            m_badges->setGeometry(0, (height - badges.height()) / 2, width - buttons.width() - kHeaderSpacing,
                                  badges.height());
            m_buttons->setGeometry(width - buttons.width(), (height - buttons.height()) / 2, buttons.width(),
                                   buttons.height());
        } else {
            const int badgesHeight = m_badges->heightForWidth(width);
            m_badges->setGeometry(0, 0, width, badgesHeight);
            m_buttons->setGeometry(0, badgesHeight + kHeaderSpacing, buttons.width(), buttons.height());
        }
    }

    QWidget* m_badges;
    QWidget* m_buttons;
};

// Label, value and detail on a faint rounded plate. The value shrinks to 0.8 of its size before it
// is cut; the detail (names from the memory tool) is cut in the middle.
class StatPillView : public QWidget {
public:
    StatPillView(QuorVirtualMemoryGaugeCard::StatPill pill, QWidget* parent) : QWidget(parent), m_pill(std::move(pill))
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setAccessibleName(m_pill.label + QStringLiteral(": ") + m_pill.value);
        setAccessibleDescription(m_pill.detail.value_or(QString()));
    }

    QSize sizeHint() const override
    {
        double height = 2 * kPaddingV + QFontMetricsF(labelFont()).height() + kSpacing
            + QFontMetricsF(valueFont(1)).height();
        if (hasDetail()) {
            height += kSpacing + QFontMetricsF(detailFont()).height();
        }
        return {155, static_cast<int>(std::ceil(height))};
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        QuorPlatePainter::paint(painter, QRectF(rect()), 8, QuorGlassTokens::surface1(), std::nullopt);
        const double width = std::max(0.0, rect().width() - 2 * kPaddingH);
        double y = kPaddingV;
        const auto line = [&](const QFont& font, const QColor& color, const QString& text, Qt::TextElideMode mode) {
            const QFontMetricsF metrics(font);
            painter.setFont(font);
            painter.setPen(color);
            painter.drawText(QRectF(kPaddingH, y, width, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                             metrics.elidedText(text, mode, width));
            y += metrics.height() + kSpacing;
        };
        line(labelFont(), QuorGlassTokens::textMuted(), m_pill.label, Qt::ElideRight);
        const double natural = QFontMetricsF(valueFont(1)).horizontalAdvance(m_pill.value);
        const double scale = natural > width && natural > 0 ? std::max(0.8, width / natural) : 1.0;
        const double valueTop = y;
        line(valueFont(scale), m_pill.tint, m_pill.value, Qt::ElideRight);
        y = valueTop + QFontMetricsF(valueFont(1)).height() + kSpacing;
        if (hasDetail()) {
            line(detailFont(), QuorGlassTokens::textSecondary(), *m_pill.detail, Qt::ElideMiddle);
        }
    }

private:
    static constexpr double kPaddingH = 9;
    static constexpr double kPaddingV = 7;
    static constexpr double kSpacing = 2;

    bool hasDetail() const { return m_pill.detail && !m_pill.detail->isEmpty(); }
    static QFont labelFont() { return QuorFonts::system(9.5); }
    static QFont valueFont(double scale) { return QuorFonts::monospaced(10.5 * scale, QFont::Bold); }
    static QFont detailFont() { return QuorFonts::monospaced(9); }

    QuorVirtualMemoryGaugeCard::StatPill m_pill;
};

QWidget* gaugeView(const QuorVirtualMemoryGaugeCard::Gauge& gauge, QWidget* parent)
{
    auto* view = new QWidget(parent);
    view->setAttribute(Qt::WA_TranslucentBackground);
    view->setAccessibleName(gauge.title + QStringLiteral(": ") + gauge.valueText);
    auto* column = QuorBoxLayouts::vbox(view, 5);
    auto* row = QuorBoxLayouts::hbox(nullptr, 6);
    row->addWidget(QuorLabels::makeElided(gauge.title, QuorFonts::system(10, QFont::Bold), QuorGlassTokens::textSecondary()), 1);
    row->addWidget(QuorLabels::make(gauge.valueText, QuorFonts::monospaced(10.5, QFont::DemiBold), QuorGlassTokens::textPrimary()));
    column->addLayout(row);
    column->addWidget(new QuorCapsuleGaugeBar(
        gauge.fraction, {6, 4, withOpacity(Qt::white, 0.08), gauge.tint, withOpacity(gauge.tint, 0.55)}, view));
    return view;
}

QuorCapsuleLook badgeLook(const QString& text, const QFont& font, const QColor& foreground, const QColor& fill,
                          double paddingH)
{
    QuorCapsuleLook look;
    look.text = text;
    look.font = font;
    look.foreground = foreground;
    look.fill = fill;
    look.paddingH = paddingH;
    look.paddingV = 2;
    return look;
}

} // namespace

QuorVirtualMemoryGaugeCard::QuorVirtualMemoryGaugeCard(const QuorVirtualMemorySummary& summary, QuorLanguage language,
                                                       const QColor& accentColor, QuorSuiteApp sourceApp,
                                                       Feedback onFeedback, QWidget* parent)
    : QWidget(parent), m_summary(summary), m_language(language), m_accentColor(accentColor), m_sourceApp(sourceApp),
      m_onFeedback(std::move(onFeedback)),
      m_presentation(presentation(summary, language, accentColor, QuorSuiteApps::isInstalled(QuorSuiteApp::vaskel)))
{
    setAttribute(Qt::WA_TranslucentBackground);
    const Presentation& p = m_presentation;

    auto* badges = new QWidget;
    badges->setAttribute(Qt::WA_TranslucentBackground);
    auto* flow = new QuorFlowLayout(7, 5, badges);
    QuorCapsuleLook title = badgeLook(p.title, QuorFonts::system(11, QFont::Bold), QuorGlassTokens::textPrimary(),
                                      Qt::transparent, 0);
    title.paddingV = 0;
    title.spacing = 6;
    title.symbolName = QStringLiteral("externaldrive.badge.timemachine");
    title.symbolColor = p.statusColor;
    flow->addWidget(new QuorCapsuleLabel(title, badges));
    flow->addWidget(new QuorCapsuleLabel(badgeLook(p.stateBadge, QuorFonts::monospaced(9.5, QFont::Bold), p.statusColor,
                                                   withOpacity(p.statusColor, 0.22), 7),
                                         badges));
    if (p.showsLiveBadge) {
        flow->addWidget(new QuorCapsuleLabel(badgeLook(QStringLiteral("Vaskel Live"), QuorFonts::system(9.5, QFont::DemiBold),
                                                       QuorGlassTokens::success(),
                                                       withOpacity(QuorGlassTokens::success(), 0.18), 6),
                                             badges));
    }
    if (p.effectiveBadge) {
        flow->addWidget(new QuorCapsuleLabel(badgeLook(*p.effectiveBadge, QuorFonts::monospaced(9.5, QFont::DemiBold),
                                                       QuorGlassTokens::textSecondary(), QuorGlassTokens::surface2(), 6),
                                             badges));
    }

    // The buttons are made whether or not the memory tool is installed now: it may be installed by
    // the time the card shows again.
    auto* buttons = new QWidget;
    buttons->setAttribute(Qt::WA_TranslucentBackground);
    auto* row = QuorBoxLayouts::hbox(buttons, 6);
    for (const ActionButton& action : presentation(summary, language, accentColor, true).buttons) {
        auto* button = new QuorStyledButton(action.title, action.symbolName, QuorGlassButtonStyle{action.isActive}, buttons);
        button->setLabelFont(10, QFont::Bold);
        button->setFocusPolicy(Qt::StrongFocus);
        button->setAccessibleName(action.title);
        connect(button, &QAbstractButton::clicked, this, [this, action] { press(action); });
        row->addWidget(button);
        m_buttons.append(button);
    }
    buttons->setVisible(!p.buttons.isEmpty());

    auto* content = new QWidget;
    content->setAttribute(Qt::WA_TranslucentBackground);
    auto* column = QuorBoxLayouts::vbox(content, 10);
    m_header = new HeaderArrangement(badges, buttons, content);
    column->addWidget(m_header);
    auto* gauges = new QWidget(content);
    auto* gaugeGrid = new QuorAdaptiveGridLayout(260, 14, 10, gauges);
    for (const Gauge& gauge : p.gauges) {
        gaugeGrid->addWidget(gaugeView(gauge, gauges));
    }
    column->addWidget(gauges);
    auto* pills = new QWidget(content);
    auto* pillGrid = new QuorAdaptiveGridLayout(155, 8, 8, pills);
    for (const StatPill& pill : p.pills) {
        pillGrid->addWidget(new StatPillView(pill, pills));
    }
    column->addWidget(pills);

    auto* outer = QuorBoxLayouts::vbox(this, 0);
    outer->addWidget(new QuorGlassCard(14, 13, content, this));
    setAccessibleName(p.title);
}

QuorVirtualMemoryGaugeCard::Presentation QuorVirtualMemoryGaugeCard::presentation(
    const QuorVirtualMemorySummary& summary, QuorLanguage language, const QColor& accentColor, bool vaskelInstalled)
{
    Presentation p;
    p.statusColor = statusColor(summary);
    p.title = bilingual(QStringLiteral("Virtual Memory & Vaskel Pools"), QStringLiteral("Sanal Bellek & Vaskel Havuzları"), language);
    p.stateBadge = summary.isAnyVirtualMemoryActive() ? bilingual(QStringLiteral("ACTIVE"), QStringLiteral("AÇIK"), language)
                                                      : bilingual(QStringLiteral("STANDBY"), QStringLiteral("HAZIR"), language);
    p.showsLiveBadge = summary.isVaskelRunning;
    const qint64 allocated = summary.totalVirtualAllocatedBytes();
    if (allocated > 0) {
        const QString effective = format(summary.totalEffectiveMemoryCapacityBytes());
        p.effectiveBadge = bilingual(QStringLiteral("Effective: ") + effective, QStringLiteral("Efektif: ") + effective, language);
    }
    if (vaskelInstalled) {
        p.buttons.append({bilingual(QStringLiteral("Smart Offload"), QStringLiteral("Akıllı RAM Aç"), language),
                          QStringLiteral("bolt.fill"), true, QuorSuiteCommandKind::ramSmartOffload, false,
                          bilingual(QStringLiteral("Triggered Vaskel Smart RAM Offload"),
                             QStringLiteral("Vaskel Akıllı RAM Açma tetiklendi"), language)});
        if (summary.frozenAppCount >= 1) {
            const QString count = QString::number(summary.frozenAppCount);
            p.buttons.append({bilingual(QStringLiteral("Thaw (") + count + QLatin1Char(')'),
                                 QStringLiteral("Uyandır (") + count + QLatin1Char(')'), language),
                              QStringLiteral("sun.max.fill"), false, QuorSuiteCommandKind::ramThawAll, false,
                              bilingual(QStringLiteral("Sent Thaw All to Vaskel"),
                                 QStringLiteral("Vaskel donukları uyandırma komutu gönderildi"), language)});
        }
        p.buttons.append({QStringLiteral("Disk Lab"), QStringLiteral("externaldrive.badge.timemachine"), false,
                          QuorSuiteCommandKind::ramOpenDiskLab, true, std::nullopt});
    }
    const double physical = summary.physicalUsedPercent();
    p.gauges.append({bilingual(QStringLiteral("Physical RAM"), QStringLiteral("Fiziksel RAM"), language),
                     usedOfTotal(summary.physicalUsedBytes, summary.physicalTotalBytes) + QStringLiteral(" (")
                         + QString::number(roundedPercent(physical)) + QStringLiteral("%)"),
                     physical / 100.0, accentColor});
    const double virtualShare = summary.virtualUsedPercent();
    p.gauges.append({bilingual(QStringLiteral("Virtual RAM Area (Swap + Vaskel)"), QStringLiteral("Sanal RAM Alanı (Swap + Vaskel)"), language),
                     allocated < 1 ? bilingual(QStringLiteral("0 B (Standby)"), QStringLiteral("0 B (Boşta)"), language)
                                   : usedOfTotal(summary.totalVirtualUsedBytes(), allocated) + QStringLiteral(" (")
                                         + QString::number(roundedPercent(virtualShare)) + QStringLiteral("%)"),
                     virtualShare / 100.0, p.statusColor});
    p.pills = statPills(summary, language);
    return p;
}

qint64 QuorVirtualMemoryGaugeCard::roundedPercent(double percent)
{
    return std::isnan(percent) ? 0 : std::llround(std::clamp(percent, 0.0, 100.0));
}

QList<QAbstractButton*> QuorVirtualMemoryGaugeCard::actionButtons() const
{
    return m_buttons;
}

bool QuorVirtualMemoryGaugeCard::isHeaderOneRow() const
{
    return static_cast<const HeaderArrangement*>(m_header)->fitsOneRow(m_header->width());
}

void QuorVirtualMemoryGaugeCard::refreshInstallState()
{
    const bool installed = QuorSuiteApps::isInstalled(QuorSuiteApp::vaskel);
    if (installed == !m_presentation.buttons.isEmpty()) {
        return;
    }
    m_presentation = presentation(m_summary, m_language, m_accentColor, installed);
    static_cast<HeaderArrangement*>(m_header)->setShowsButtons(installed);
}

void QuorVirtualMemoryGaugeCard::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refreshInstallState();
}

void QuorVirtualMemoryGaugeCard::press(const ActionButton& button)
{
    // The send reads whether the memory tool runs or is installed now, not when the card was made.
    const QuorSuiteCommandBus::Delivery delivery = QuorSuiteCommandBus::shared().deliver(
        button.kind, m_sourceApp, QuorSuiteApp::vaskel, std::nullopt, std::nullopt, std::nullopt, true, button.bringToFront);
    if (delivery == QuorSuiteCommandBus::Delivery::notInstalled) {
        refreshInstallState();
    }
    // The host may delete this card from its feedback: call through a copy that outlives it.
    const Feedback feedback = m_onFeedback;
    if (!feedback) {
        return;
    }
    // A press that reached nothing says why; Disk Lab opens a window and needs no confirmation.
    if (delivery != QuorSuiteCommandBus::Delivery::delivered) {
        feedback(QuorSuiteCommandBus::failureText(delivery, QuorSuiteApp::vaskel, m_language));
    } else if (button.feedback) {
        feedback(*button.feedback);
    }
}
