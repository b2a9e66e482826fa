#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <Qt>

class QWidget;

// Right to left for Arabic, Persian and Hebrew; left to right for every other language.
Qt::LayoutDirection quorLayoutDirection(QuorLanguage language);
// Lays `widget` and its children out in the language's direction.
void quorContentLayoutDirection(QWidget* widget, QuorLanguage language);
// Gives `widget` and its children the locale named by the language's code ("pt-BR", "zh-Hans").
void quorLocaleEnvironment(QWidget* widget, QuorLanguage language);
