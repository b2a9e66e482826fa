#include "QuorKit/UI/Suite/QuorOffloadProgressBanner.h"

#include "QuorKit/Design/QuorAdaptiveGridLayout.h"
#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorCapsuleButton.h"
#include "QuorKit/Design/QuorCapsuleGaugeBar.h"
#include "QuorKit/Design/QuorCapsuleLabel.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassButtonStyle.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorSpinner.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/UI/Suite/QuorSuiteColors.h"
#include "QuorKit/Utilities/QuorByteFormatter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

using QuorSuiteColors::withOpacity;

struct StepTitle {
    const char* en;
    const char* tr;
};

constexpr StepTitle kStepTitles[] = {
    {"1. Measure RAM", "1. Bellek Ölçümü"},
    {"2. Freeze Idle Apps", "2. Pasifleri Dondur"},
    {"3. Swap Wave", "3. Swap Dalgası"},
    {"4. Release & Verify", "4. İade & Sonuç"},
};

QColor accentOf(const VaskelOffloadLiveProgress& progress)
{
    if (progress.isCompletedSummary) {
        return QuorGlassTokens::success();
    }
    if (progress.livePressure == QStringLiteral("critical")) {
        return QuorGlassTokens::danger();
    }
    if (progress.livePressure == QStringLiteral("warning")) {
        return QuorGlassTokens::warning();
    }
    return QuorSuiteColors::memoryViolet();
}

// Plain text wrapped to at most `maxLines` lines, the last one cut with an ellipsis.
class LineLimitedLabel : public QWidget {
public:
    LineLimitedLabel(QString text, QFont font, QColor color, int maxLines, QWidget* parent)
        : QWidget(parent), m_text(std::move(text)), m_font(std::move(font)), m_color(std::move(color)),
          m_maxLines(maxLines)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setAccessibleName(m_text);
        QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        const QFontMetricsF metrics(m_font);
        return static_cast<int>(std::ceil(metrics.lineSpacing() * static_cast<double>(lines(width).size())));
    }
    QSize sizeHint() const override { return {200, heightForWidth(200)}; }
    QSize minimumSizeHint() const override { return {0, QFontMetrics(m_font).height()}; }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setFont(m_font);
        painter.setPen(m_color);
        const QFontMetricsF metrics(m_font);
        double y = 0;
        for (const QString& line : lines(width())) {
            painter.drawText(QRectF(0, y, width(), metrics.lineSpacing()), Qt::AlignLeft | Qt::AlignVCenter, line);
            y += metrics.lineSpacing();
        }
    }

private:
    QStringList lines(int width) const
    {
        QTextLayout layout(m_text, m_font);
        layout.beginLayout();
        QStringList result;
        while (result.size() < m_maxLines) {
            QTextLine line = layout.createLine();
            if (!line.isValid()) {
                break;
            }
            line.setLineWidth(std::max(1, width));
            result.append(m_text.mid(line.textStart(), line.textLength()).trimmed());
            if (result.size() == m_maxLines && line.textStart() + line.textLength() < m_text.size()) {
                result.last() = QFontMetricsF(m_font).elidedText(m_text.mid(line.textStart()), Qt::ElideRight, width);
            }
        }
        layout.endLayout();
        return result;
    }

    QString m_text;
    QFont m_font;
    QColor m_color;
    int m_maxLines;
};

} // namespace

QuorOffloadProgressBanner::QuorOffloadProgressBanner(const VaskelOffloadLiveProgress& progress, QuorLanguage language,
                                                     bool compact, std::function<void()> onCancel,
                                                     std::function<void()> onDismiss, QWidget* parent)
    : QWidget(parent), m_presentation(presentation(progress, language, compact, bool(onCancel), bool(onDismiss))),
      m_compact(compact)
{
    setAttribute(Qt::WA_TranslucentBackground);
    const Presentation& p = m_presentation;
    const auto size = [compact](double small, double regular) { return compact ? small : regular; };
    auto* column = QuorBoxLayouts::vbox(this, compact ? 6 : 8, compact ? QMargins(10, 8, 10, 8) : QMargins(14, 10, 14, 10));

    auto* header = QuorBoxLayouts::hbox(nullptr, 8);
    header->setAlignment(Qt::AlignVCenter);
    if (p.showsActivity) {
        // A ring that turns while the run goes.
        header->addWidget(new QuorSpinner(p.accent, this, static_cast<int>(std::ceil(size(12, 14)))));
    } else {
        QuorCapsuleLook seal;
        seal.symbolName = QStringLiteral("checkmark.seal.fill");
        seal.symbolSize = size(12, 14);
        seal.foreground = QuorGlassTokens::success();
        header->addWidget(new QuorCapsuleLabel(seal, this));
    }
    QuorCapsuleLook badge;
    badge.text = p.stepBadge;
    badge.font = QuorFonts::monospaced(size(9, 9.5), QFont::Bold);
    badge.foreground = p.accent;
    badge.fill = withOpacity(p.accent, 0.24);
    badge.paddingH = 6;
    badge.paddingV = 2;
    header->addWidget(new QuorCapsuleLabel(badge, this));
    header->addWidget(QuorLabels::makeElided(p.phaseTitle, QuorFonts::system(size(11, 12.5), QFont::DemiBold),
                                             QuorGlassTokens::textPrimary(), this), 1);
    header->addSpacing(4);
    if (p.byteProgress) {
        header->addWidget(QuorLabels::make(*p.byteProgress, QuorFonts::monospaced(size(9.5, 10.5), QFont::DemiBold),
                                           QuorGlassTokens::textSecondary(), this));
    }
    header->addWidget(QuorLabels::make(p.percentText, QuorFonts::monospaced(size(10.5, 11.5), QFont::Bold), p.accent, this));
    if (p.trailingButton == TrailingButton::cancel) {
        auto* cancel = new QuorStyledButton(quorText(QStringLiteral("Cancel"), QStringLiteral("İptal"), {}, language),
                                            QString(), QuorGlassButtonStyle{false}, this);
        cancel->setLabelFont(size(9.5, 10.5), QFont::DemiBold);
        cancel->setFocusPolicy(Qt::StrongFocus);
        cancel->setAccessibleName(cancel->text());
        connect(cancel, &QAbstractButton::clicked, this, [onCancel] { onCancel(); });
        m_trailingButton = cancel;
    } else if (p.trailingButton == TrailingButton::dismiss) {
        QuorCapsuleLook close;
        close.symbolName = QStringLiteral("xmark");
        close.symbolSize = 9.5;
        close.foreground = QuorGlassTokens::textMuted();
        auto* dismiss = new QuorCapsuleButton(close, this);
        dismiss->setHelpText(quorText(QStringLiteral("Close"), QStringLiteral("Kapat"), {}, language));
        connect(dismiss, &QAbstractButton::clicked, this, [onDismiss] { onDismiss(); });
        m_trailingButton = dismiss;
    }
    if (m_trailingButton != nullptr) {
        header->addWidget(m_trailingButton);
    }
    column->addLayout(header);

    column->addWidget(new QuorCapsuleGaugeBar(
        p.fraction, {size(5, 7), 6, withOpacity(Qt::white, 0.1), withOpacity(p.accent, 0.75), p.accent}, this));
    if (p.detail) {
        column->addWidget(new LineLimitedLabel(*p.detail, QuorFonts::monospaced(size(9.5, 10.5)),
                                               QuorGlassTokens::textSecondary(), compact ? 2 : 1, this));
    }
    if (!p.stepPills.isEmpty()) {
        auto* pills = new QWidget(this);
        auto* grid = new QuorAdaptiveGridLayout(135, 6, 6, pills);
        for (const StepPill& pill : p.stepPills) {
            QuorCapsuleLook look;
            look.text = pill.title;
            look.font = QuorFonts::system(9.5, pill.emphasized ? QFont::DemiBold : QFont::Normal);
            look.foreground = pill.color;
            look.symbolName = pill.symbolName;
            look.symbolSize = 9.5;
            look.spacing = 4;
            look.fill = withOpacity(pill.color, pill.fillOpacity);
            look.paddingH = 7;
            look.paddingV = 3;
            grid->addWidget(new QuorCapsuleLabel(look, pills));
        }
        column->addWidget(pills);
    }
    setAccessibleName(p.stepBadge + QLatin1Char(' ') + p.phaseTitle + QLatin1Char(' ') + p.percentText);
}

QuorOffloadProgressBanner::Presentation QuorOffloadProgressBanner::presentation(const VaskelOffloadLiveProgress& progress,
                                                                                QuorLanguage language, bool compact,
                                                                                bool hasCancel, bool hasDismiss)
{
    Presentation p;
    p.accent = accentOf(progress);
    p.showsActivity = progress.isRunning;
    const QString steps = QString::number(progress.stepIndex) + QLatin1Char('/') + QString::number(progress.totalSteps);
    p.stepBadge = progress.isCompletedSummary
        ? quorText(QStringLiteral("DONE"), QStringLiteral("TAMAMLANDI"), {}, language)
        : quorText(QStringLiteral("STEP ") + steps, QStringLiteral("ADIM ") + steps, {}, language);
    p.phaseTitle = quorText(progress.phaseTitleEN, progress.phaseTitleTR, {}, language);
    if (progress.isRunning && progress.targetBytes >= 1) {
        p.byteProgress = QuorByteFormatter::format(progress.allocatedBytes) + QStringLiteral(" / ")
            + QuorByteFormatter::format(progress.targetBytes);
    }
    p.percentText = QString::number(percent(progress.fractionCompleted)) + QLatin1Char('%');
    if (progress.isRunning && hasCancel) {
        p.trailingButton = TrailingButton::cancel;
    } else if (!progress.isRunning && hasDismiss) {
        p.trailingButton = TrailingButton::dismiss;
    }
    p.fraction = std::isnan(progress.fractionCompleted) ? 0.0 : std::clamp(progress.fractionCompleted, 0.0, 1.0);
    const QString detail = quorText(progress.detailEN, progress.detailTR, {}, language);
    if (!detail.isEmpty()) {
        p.detail = detail;
    }
    if (compact) {
        return p;
    }
    for (qint64 index = 1; index <= 4; ++index) {
        const bool done = progress.isCompletedSummary || index < progress.stepIndex;
        const bool current = progress.isRunning && index == progress.stepIndex;
        const StepTitle& title = kStepTitles[index - 1];
        StepPill pill;
        pill.title = quorText(QString::fromUtf8(title.en), QString::fromUtf8(title.tr), {}, language);
        pill.color = done ? QuorGlassTokens::success() : current ? p.accent : QuorGlassTokens::textMuted();
        pill.symbolName = done      ? QStringLiteral("checkmark.circle.fill")
                          : current ? QStringLiteral("bolt.circle.fill")
                                    : QStringLiteral("circle");
        pill.fillOpacity = current ? 0.22 : done ? 0.14 : 0.06;
        pill.emphasized = done || current;
        p.stepPills.append(pill);
    }
    return p;
}

qint64 QuorOffloadProgressBanner::percent(double fractionCompleted)
{
    return std::isnan(fractionCompleted) ? 0 : std::llround(std::clamp(fractionCompleted, 0.0, 1.0) * 100.0);
}

void QuorOffloadProgressBanner::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    QuorPlatePainter::paint(painter, QRectF(rect()), m_compact ? 10 : 11, withOpacity(m_presentation.accent, 0.12),
                            withOpacity(m_presentation.accent, 0.4));
}
