#include "QuorKit/UI/Credits/QuorAppBudgetSummaryBlock.h"

#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorPlate.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/UI/Credits/QuorCompactProgressBar.h"
#include "QuorKit/UI/Credits/QuorCreditsViewParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
using QuorBoxLayouts::hbox;
using QuorBoxLayouts::vbox;
using QuorCreditsViewParts::setText;

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

QLabel* symbolLabel(const QString& symbol, double size, const QColor& color, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(QuorSymbols::pixmap(symbol, size, color));
    return label;
}
} // namespace

QuorAppBudgetSummaryBlock::QuorAppBudgetSummaryBlock(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("budgetSummary"));
    QVBoxLayout* layout = vbox(this, 8);

    QHBoxLayout* header = hbox(nullptr, 6);
    header->addWidget(symbolLabel(QStringLiteral("gauge.with.dots.needle.33percent"), 11, QuorGlassTokens::textSecondary(), this));
    m_title = QuorLabels::make(QString(), QuorFonts::system(11.5, QFont::DemiBold), QuorGlassTokens::textPrimary(), this);
    m_title->setObjectName(QStringLiteral("title"));
    header->addWidget(m_title);
    header->addStretch(1);
    m_badge = new QuorPlate(Qt::transparent, std::nullopt, -1, this);
    m_badge->setObjectName(QStringLiteral("badge"));
    m_badgeText = QuorLabels::make(QString(), QuorFonts::system(10, QFont::DemiBold), Qt::white, m_badge);
    hbox(m_badge, 0, QMargins(6, 2, 6, 2))->addWidget(m_badgeText);
    header->addWidget(m_badge);
    layout->addLayout(header);

    m_rows = {makeRow(QStringLiteral("todayRow")), makeRow(QStringLiteral("monthRow"))};
    for (const RowWidgets& row : std::as_const(m_rows)) {
        layout->addWidget(row.row);
    }
    m_noBudget = QuorLabels::make(QString(), QuorFonts::system(11), QuorGlassTokens::textMuted(), this);
    m_noBudget->setObjectName(QStringLiteral("noBudget"));
    m_noBudget->setWordWrap(true);
    layout->addWidget(m_noBudget);

    m_warnings = new QWidget(this);
    m_warnings->setObjectName(QStringLiteral("warnings"));
    m_warningsLayout = vbox(m_warnings, 5);
    layout->addWidget(m_warnings);
}

QuorAppBudgetSummaryBlock::RowWidgets QuorAppBudgetSummaryBlock::makeRow(const QString& name)
{
    RowWidgets widgets;
    widgets.row = new QWidget(this);
    widgets.row->setObjectName(name);
    QVBoxLayout* column = vbox(widgets.row, 4);
    QHBoxLayout* line = hbox(nullptr, 6);
    widgets.label = QuorLabels::make(QString(), QuorFonts::system(11), QuorGlassTokens::textSecondary(), widgets.row);
    line->addWidget(widgets.label);
    line->addStretch(1);
    widgets.amount = QuorLabels::make(QString(), QuorFonts::system(11), QuorGlassTokens::textPrimary(), widgets.row);
    widgets.amount->setObjectName(QStringLiteral("amount"));
    line->addWidget(widgets.amount);
    column->addLayout(line);
    widgets.bar = new QuorCompactProgressBar(0, QuorGlassTokens::success(), widgets.row);
    column->addWidget(widgets.bar);
    return widgets;
}

void QuorAppBudgetSummaryBlock::apply(const QuorAppBudgetSummaryPresentation& p)
{
    const bool first = !m_applied;
    if (!first && p == m_presentation) {
        return;
    }
    m_applied = true;
    setText(m_title, p.title);
    m_badge->setVisible(p.badge.has_value());
    if (p.badge) {
        setText(m_badgeText, p.badge->text);
        QuorLabels::setColor(m_badgeText, p.badge->color);
        m_badge->setColors(withAlpha(p.badge->color, 0.16), std::nullopt);
    }
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const RowWidgets& widgets = m_rows[i];
        widgets.row->setVisible(i < p.rows.size());
        if (i >= p.rows.size()) {
            continue;
        }
        const auto& row = p.rows[i];
        setText(widgets.label, row.label);
        setText(widgets.amount, row.amountText);
        widgets.amount->setFont(row.hasCap ? QuorFonts::system(11, QFont::Medium) : QuorFonts::system(11));
        QuorLabels::setColor(widgets.amount, row.hasCap ? QuorGlassTokens::textPrimary() : QuorGlassTokens::textSecondary());
        widgets.bar->setVisible(row.hasCap);
        widgets.bar->setRatio(row.ratio);
        widgets.bar->setTint(row.tint);
    }
    m_noBudget->setVisible(p.noBudgetText.has_value());
    setText(m_noBudget, p.noBudgetText.value_or(QString()));
    if (first || p.warnings != m_presentation.warnings) {
        applyWarnings(p.warnings);
    }
    m_presentation = p;
}

void QuorAppBudgetSummaryBlock::applyWarnings(const QList<QuorAppBudgetSummaryPresentation::Warning>& warnings)
{
    while (QLayoutItem* item = m_warningsLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const auto& warning : warnings) {
        auto* plate = new QuorPlate(withAlpha(warning.color, 0.14), withAlpha(warning.color, 0.32), 8, m_warnings);
        plate->setObjectName(QStringLiteral("warning"));
        QHBoxLayout* row = hbox(plate, 6, QMargins(8, 6, 8, 6));
        QLabel* symbol = symbolLabel(warning.symbol, 11, warning.color, plate);
        symbol->setObjectName(QStringLiteral("symbol"));
        symbol->setProperty("symbolName", warning.symbol);
        symbol->setContentsMargins(0, 1, 0, 0);
        row->addWidget(symbol, 0, Qt::AlignTop);
        // The message is the server's: plain text, wrapped.
        QLabel* message = QuorLabels::make(warning.message, QuorFonts::system(11), QuorGlassTokens::textPrimary(), plate);
        message->setObjectName(QStringLiteral("message"));
        message->setWordWrap(true);
        row->addWidget(message, 1);
        m_warningsLayout->addWidget(plate);
    }
    m_warnings->setVisible(!warnings.isEmpty());
}
