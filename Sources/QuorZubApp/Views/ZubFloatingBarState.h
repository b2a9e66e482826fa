#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorZubCore/Models/ZubActionDefinition.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"
#include "QuorZubCore/Models/ZubTargetLanguage.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

// What the floating bar shows. The controller writes it, the content view renders it, the owner
// writes isSpeaking. A setter announces changed() only when the value really changes, so the view
// re-syncs only on real changes. GUI thread only.
class ZubFloatingBarState : public QObject {
    Q_OBJECT
public:
    explicit ZubFloatingBarState(QObject* parent = nullptr);

    const QString& sourceText() const { return m_sourceText; }
    void setSourceText(const QString& value);
    const std::optional<QString>& detectedLanguageCode() const { return m_detectedLanguageCode; }
    void setDetectedLanguageCode(const std::optional<QString>& value);
    const QList<ZubActionDefinition>& actions() const { return m_actions; }
    void setActions(const QList<ZubActionDefinition>& value);
    const std::optional<QUuid>& activeActionID() const { return m_activeActionID; }
    void setActiveActionID(const std::optional<QUuid>& value);
    bool isExecuting() const { return m_isExecuting; }
    void setIsExecuting(bool value);
    const std::optional<ZubExecutionResult>& result() const { return m_result; }
    void setResult(const std::optional<ZubExecutionResult>& value);
    // The result's QR code decoded once for display.
    const std::optional<QImage>& cachedQRImage() const { return m_cachedQRImage; }
    void setCachedQRImage(const std::optional<QImage>& value);
    bool isSpeaking() const { return m_isSpeaking; }
    void setIsSpeaking(bool value);
    QuorLanguage language() const { return m_language; }
    void setLanguage(QuorLanguage value);
    ZubTargetLanguage targetLanguage() const { return m_targetLanguage; }
    void setTargetLanguage(ZubTargetLanguage value);
    // Whether "Replace" may be offered: the text came from a live selection.
    bool canReplaceInPlace() const { return m_canReplaceInPlace; }
    void setCanReplaceInPlace(bool value);
    bool isHovering() const { return m_isHovering; }
    void setIsHovering(bool value);
    // Drives the content's appear and disappear animation.
    bool isPresented() const { return m_isPresented; }
    void setIsPresented(bool value);

    // Running or showing a result: the bar is a card, and never hides by itself.
    bool isExpanded() const { return m_isExecuting || m_result.has_value(); }

signals:
    void changed();

private:
    template <typename T>
    void assign(T& field, const T& value);

    QString m_sourceText;
    std::optional<QString> m_detectedLanguageCode;
    QList<ZubActionDefinition> m_actions;
    std::optional<QUuid> m_activeActionID;
    bool m_isExecuting = false;
    std::optional<ZubExecutionResult> m_result;
    std::optional<QImage> m_cachedQRImage;
    bool m_isSpeaking = false;
    QuorLanguage m_language;
    ZubTargetLanguage m_targetLanguage = ZubTargetLanguage::autoFlipTREN;
    bool m_canReplaceInPlace = true;
    bool m_isHovering = false;
    bool m_isPresented = false;
};
