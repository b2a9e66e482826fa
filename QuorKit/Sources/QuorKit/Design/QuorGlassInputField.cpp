#include "QuorKit/Design/QuorGlassInputField.h"

#include "QuorKit/Design/QuorCssColor.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"

#include <QLineEdit>

void quorGlassInputField(QLineEdit* field, double cornerRadius, double horizontalPadding, double verticalPadding)
{
    field->setFrame(false);
    field->setFont(QuorFonts::system(12.5));
    field->setStyleSheet(QStringLiteral("QLineEdit { color: %1; background: %2; border: 1px solid %3; "
                                        "border-radius: %4px; padding: %5px %6px; }")
                             .arg(quorCssColor(QuorGlassTokens::textPrimary()), quorCssColor(QuorGlassTokens::surface2()),
                                  quorCssColor(QuorGlassTokens::borderSubtle()))
                             .arg(cornerRadius)
                             .arg(verticalPadding)
                             .arg(horizontalPadding));
}
