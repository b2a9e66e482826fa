#include "QuorKit/UI/Credits/QuorCreditsViewParts.h"

#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorPlate.h"
#include "QuorKit/Design/QuorSymbols.h"

#include <QHBoxLayout>
#include <QLabel>

#include <cmath>

namespace QuorCreditsViewParts {

QuorStyledButton* button(const QString& symbol, QuorButtonStyle style, QWidget* parent)
{
    auto* made = new QuorStyledButton(QString(), symbol, style, parent);
    QuorKeyboardReach::enable(made);
    return made;
}

void setTitle(QAbstractButton* button, const QString& title)
{
    if (button->text() != title) {
        button->setText(title);
        button->setAccessibleName(title);
        button->updateGeometry();
    }
}

void setText(QLabel* label, const QString& text)
{
    if (label->text() != text) {
        label->setText(text);
    }
}

ErrorBox errorBox(double padding, double textSize, QWidget* parent)
{
    QColor fill = QuorGlassTokens::danger();
    fill.setAlphaF(0.16F);
    ErrorBox box;
    box.plate = new QuorPlate(fill, std::nullopt, 8, parent);
    box.plate->setObjectName(QStringLiteral("errorBox"));
    const int inset = static_cast<int>(std::lround(padding));
    QHBoxLayout* row = QuorBoxLayouts::hbox(box.plate, 6, QMargins(inset, inset, inset, inset));
    auto* symbol = new QLabel(box.plate);
    symbol->setPixmap(QuorSymbols::pixmap(QStringLiteral("exclamationmark.triangle.fill"), 11, QuorGlassTokens::warning()));
    symbol->setContentsMargins(0, 1, 0, 0);
    row->addWidget(symbol, 0, Qt::AlignTop);
    box.text = QuorLabels::make(QString(), QuorFonts::system(textSize), QuorGlassTokens::textPrimary(), box.plate);
    box.text->setObjectName(QStringLiteral("errorText"));
    box.text->setWordWrap(true);
    row->addWidget(box.text, 1);
    box.plate->hide();
    return box;
}

void showError(const ErrorBox& box, const std::optional<QString>& error)
{
    setText(box.text, error.value_or(QString()));
    box.plate->setVisible(error.has_value());
}

} // namespace QuorCreditsViewParts
