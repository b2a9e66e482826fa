#include "QuorKit/Design/QuorLanguagePickerState.h"

#include "QuorKit/Localization/QuorLocalization.h"

QuorLanguagePickerState::QuorLanguagePickerState(QObject* parent)
    : QObject(parent), m_isFollowingSystem(QuorLanguages::isFollowingSystem())
{
}

void QuorLanguagePickerState::syncFromDefaults()
{
    setFollowingSystem(QuorLanguages::isFollowingSystem());
}

void QuorLanguagePickerState::setFollowingSystem(bool following)
{
    if (following != m_isFollowingSystem) {
        m_isFollowingSystem = following;
        emit isFollowingSystemChanged();
    }
}

void QuorLanguagePickerState::chooseSystem(const std::function<void(QuorLanguage)>& onSelect)
{
    setFollowingSystem(true);
    QuorLanguages::applyFollowSystem([&onSelect] {
        if (onSelect) {
            onSelect(QuorLanguages::systemResolved());
        }
    });
}

void QuorLanguagePickerState::chooseExplicit(QuorLanguage language, const std::function<void(QuorLanguage)>& onSelect)
{
    QuorLanguages::setCurrent(language);
    setFollowingSystem(false);
    if (onSelect) {
        onSelect(language);
    }
}

QString QuorLanguagePickerState::systemRowLabel(QuorLanguage textLanguage)
{
    return quorText(QStringLiteral("System Language"), QStringLiteral("Sistem Dili"), {}, textLanguage) +
           QStringLiteral(" (") + QuorLanguages::nativeName(QuorLanguages::systemResolved()) + QLatin1Char(')');
}
