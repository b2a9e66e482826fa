#pragma once

#include "QuorZubCore/Models/ZubActionKind.h"

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
};
