#include "QuorKit/UI/Credits/QuorLanguageAwareUIState.h"

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Utilities/QuorNotificationCenter.h"

#include <QPointer>

QuorLanguageAwareUIState::QuorLanguageAwareUIState(QObject* parent) : QuorViewState(parent)
{
    // The observer ends with this object; the bump runs in a later turn and finds it gone or not.
    QuorNotificationCenter::defaultCenter().addObserver(quorLanguageDidChange, this, [this](const QuorNotification&) {
        const QPointer<QuorLanguageAwareUIState> self(this);
        QMetaObject::invokeMethod(
            this,
            [self] {
                if (self) {
                    ++self->m_languageRevision;
                    emit self->languageRevisionChanged();
                }
            },
            Qt::QueuedConnection);
    });
}
