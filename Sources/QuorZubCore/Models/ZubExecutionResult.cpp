#include "QuorZubCore/Models/ZubExecutionResult.h"

#include "QuorKit/Localization/QuorLocalization.h"

QString ZubExecutionResult::localizedActionTitle(QuorLanguage language) const
{
    if (actionTitleEN.isEmpty() && actionTitleTR.isEmpty()) {
        return actionTitle;
    }
    QString title = quorText(actionTitleEN, actionTitleTR, {}, language);
    if (titleCaseStyle) {
        title += QStringLiteral(" · ") + ZubCaseTransformStyles::displayName(*titleCaseStyle, language);
    }
    return title;
}
