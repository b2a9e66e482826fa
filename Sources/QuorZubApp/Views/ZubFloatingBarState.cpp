#include "QuorZubApp/Views/ZubFloatingBarState.h"

ZubFloatingBarState::ZubFloatingBarState(QObject* parent)
    : QObject(parent), m_language(QuorLanguages::current())
{
}

template <typename T>
void ZubFloatingBarState::assign(T& field, const T& value)
{
    if (field == value) {
        return;
    }
    field = value;
    emit changed();
}

void ZubFloatingBarState::setSourceText(const QString& value) { assign(m_sourceText, value); }
void ZubFloatingBarState::setDetectedLanguageCode(const std::optional<QString>& value) { assign(m_detectedLanguageCode, value); }
void ZubFloatingBarState::setActions(const QList<ZubActionDefinition>& value) { assign(m_actions, value); }
void ZubFloatingBarState::setActiveActionID(const std::optional<QUuid>& value) { assign(m_activeActionID, value); }
void ZubFloatingBarState::setIsExecuting(bool value) { assign(m_isExecuting, value); }
void ZubFloatingBarState::setResult(const std::optional<ZubExecutionResult>& value) { assign(m_result, value); }
void ZubFloatingBarState::setCachedQRImage(const std::optional<QImage>& value) { assign(m_cachedQRImage, value); }
void ZubFloatingBarState::setIsSpeaking(bool value) { assign(m_isSpeaking, value); }
void ZubFloatingBarState::setLanguage(QuorLanguage value) { assign(m_language, value); }
void ZubFloatingBarState::setTargetLanguage(ZubTargetLanguage value) { assign(m_targetLanguage, value); }
void ZubFloatingBarState::setCanReplaceInPlace(bool value) { assign(m_canReplaceInPlace, value); }
void ZubFloatingBarState::setIsHovering(bool value) { assign(m_isHovering, value); }
void ZubFloatingBarState::setIsPresented(bool value) { assign(m_isPresented, value); }
