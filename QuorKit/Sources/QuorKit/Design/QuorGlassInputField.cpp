#include "QuorKit/Design/QuorGlassInputField.h"

#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"

#include <QLineEdit>

namespace {
QString rgba(const QColor& color)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alphaF(), 0, 'f', 3);
}
} // namespace

void quorGlassInputField(QLineEdit* field, double cornerRadius, double horizontalPadding, double verticalPadding)
{
    field->setFrame(false);
    field->setFont(QuorFonts::system(12.5));
    field->setStyleSheet(QStringLiteral("QLineEdit { color: %1; background: %2; border: 1px solid %3; "
                                        "border-radius: %4px; padding: %5px %6px; }")
                             .arg(rgba(QuorGlassTokens::textPrimary()), rgba(QuorGlassTokens::surface2()),
                                  rgba(QuorGlassTokens::borderSubtle()))
                             .arg(cornerRadius)
                             .arg(verticalPadding)
                             .arg(horizontalPadding));
}
