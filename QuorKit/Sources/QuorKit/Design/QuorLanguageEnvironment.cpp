#include "QuorKit/Design/QuorLanguageEnvironment.h"

#include <QWidget>

Qt::LayoutDirection quorLayoutDirection(QuorLanguage language)
{
    return QuorLanguages::isRTL(language) ? Qt::RightToLeft : Qt::LeftToRight;
}

void quorContentLayoutDirection(QWidget* widget, QuorLanguage language)
{
    widget->setLayoutDirection(quorLayoutDirection(language));
}

void quorLocaleEnvironment(QWidget* widget, QuorLanguage language)
{
    widget->setLocale(QLocale(QuorLanguages::rawValue(language)));
}
