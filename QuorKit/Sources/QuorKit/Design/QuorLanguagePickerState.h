#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QObject>

#include <functional>

// Whether a language control shows "follow the system" as its choice, and the two ways of choosing.
// The controls store nothing themselves: the language functions persist the preference and
// announce the change; the host hears the language now in force through `onSelect`.
class QuorLanguagePickerState : public QObject {
    Q_OBJECT
public:
    // Starts from the stored preference.
    explicit QuorLanguagePickerState(QObject* parent = nullptr);

    bool isFollowingSystem() const { return m_isFollowingSystem; }
    // Re-reads the stored preference; announces only a real change.
    void syncFromDefaults();

    // Follows the system and reports the system's language to `onSelect` while a language the host
    // makes current from inside `onSelect` does not overwrite the stored "system".
    void chooseSystem(const std::function<void(QuorLanguage)>& onSelect);
    // Makes `language` current (which stores it), then reports it.
    void chooseExplicit(QuorLanguage language, const std::function<void(QuorLanguage)>& onSelect);

    // "System Language (<the system language's own name>)" in `textLanguage`.
    static QString systemRowLabel(QuorLanguage textLanguage);

signals:
    void isFollowingSystemChanged();

private:
    void setFollowingSystem(bool following);

    bool m_isFollowingSystem;
};
