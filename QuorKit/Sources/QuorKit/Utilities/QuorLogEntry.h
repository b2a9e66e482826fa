#pragma once

#include "QuorKit/Utilities/QuorLogLevel.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// One line of an application log.
struct QuorLogEntry {
    QString id;        // upper-case UUID, 36 characters
    QString timestamp; // UTC with milliseconds: 2026-12-08T06:18:54.123Z
    QuorLogLevel level = QuorLogLevel::info;
    QString category;
    QString message; // already masked
    QString version;
    QString build;

    // All seven keys are required; the level must be one of the four raw values. Throws
    // QuorDecodingError.
    static QuorLogEntry fromJson(const QJsonObject& object);
    QJsonObject toJson() const;

    // The log file's line: compact JSON with sorted keys and "/" written as "\/", without the line
    // feed.
    QByteArray encodedLine() const;
    // Throws QuorDecodingError.
    static QuorLogEntry decodeLine(const QByteArray& line);

    bool operator==(const QuorLogEntry& other) const = default;
};
