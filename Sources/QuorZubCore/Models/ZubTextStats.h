#pragma once

#include <QJsonObject>

// Counts of a text, as the word-statistics action reports them.
struct ZubTextStats {
    qint64 characters = 0;
    qint64 charactersWithoutSpaces = 0;
    qint64 words = 0;
    qint64 sentences = 0;
    qint64 lines = 0;
    qint64 utf8Bytes = 0;
    qint64 estimatedReadingSeconds = 0;

    bool operator==(const ZubTextStats& other) const = default;

    // All seven keys required; throws QuorDecodingError.
    static ZubTextStats fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};
