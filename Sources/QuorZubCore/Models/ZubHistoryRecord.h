#pragma once

#include "QuorZubCore/Models/ZubActionKind.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

// One entry of history.json: a result without its image. Only isPinned changes after creation.
struct ZubHistoryRecord {
    QUuid id;
    ZubActionKind actionKind = ZubActionKind::translate;
    QString actionTitle;
    QString inputText;
    QString outputText;
    std::optional<QString> detectedLanguageCode;
    std::optional<QString> targetLanguageCode;
    qint64 durationMs = 0;
    bool isError = false;
    bool isPinned = false;
    QDateTime createdAt;

    // The record of a result: same identity and creation time, unpinned, no QR image.
    static ZubHistoryRecord fromResult(const ZubExecutionResult& result);

    bool operator==(const ZubHistoryRecord& other) const = default;

    // Every key is required except the two language codes (missing or null is absent). "createdAt"
    // is an ISO 8601 date-time in whole seconds ("2026-12-09T05:15:56Z" or with an offset); a
    // fractional or other form fails. Throws QuorDecodingError.
    static ZubHistoryRecord fromJson(const QJsonObject& object);
    // Absent language codes are left out; the date is written in UTC, whole seconds.
    QJsonObject toJson() const;
};
