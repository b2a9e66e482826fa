#pragma once

#include "QuorZubCore/Models/ZubActionKind.h"
#include "QuorZubCore/Models/ZubCaseTransformStyle.h"

#include "QuorKit/Localization/QuorLanguage.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

// The outcome of one action run, successful or not. Shown and compared, never stored as such.
struct ZubExecutionResult {
    QUuid id;
    ZubActionKind actionKind = ZubActionKind::translate;
    // The action's title as shown when it ran.
    QString actionTitle;
    // Its pieces, so a card still on screen can show it in a newer interface language: the action's
    // English and Turkish titles, and the case style a case transform named after them.
    QString actionTitleEN;
    QString actionTitleTR;
    std::optional<ZubCaseTransformStyle> titleCaseStyle;
    QString inputText;
    // The produced text, or for a failed run the message explaining the failure.
    QString outputText;
    std::optional<QString> detectedLanguageCode;
    // Set when the action translated.
    std::optional<QString> targetLanguageCode;
    // Only for the qrCode action.
    std::optional<QByteArray> qrPNGData;
    bool isError = false;
    qint64 durationMs = 0;
    QDateTime createdAt;

    bool operator==(const ZubExecutionResult& other) const = default;

    // The title in `language`; the stored actionTitle for a result made without its pieces.
    QString localizedActionTitle(QuorLanguage language) const;
};
