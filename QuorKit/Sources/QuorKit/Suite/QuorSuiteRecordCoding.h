#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// JSON helpers the suite's live records share beyond QuorJson and QuorAICatalogCoding: they throw
// QuorDecodingError like those.
namespace QuorSuiteRecordCoding {

// An array of whole numbers that each fit in 32 bits.
QList<qint32> requireInt32List(const QJsonObject& object, const QString& key);
QJsonArray toJsonArray(const QList<qint32>& values);
// A number that fits in a 32-bit float (a larger one is refused rather than turned into infinity).
float requireFloat(const QJsonObject& object, const QString& key);

// The suite's dates: "2026-03-01T10:00:00Z" or with an offset ("2026-03-01T13:00:00+03:00"), whole
// seconds, read as the instant they name. A date without a zone is refused: read as local time it
// would move a record's age by the reader's distance from UTC.
std::optional<QDateTime> parseDate(const QString& text);
QDateTime requireDate(const QJsonObject& object, const QString& key);

// The compact file form of a record; nothing when a number in it is not finite, which JSON cannot
// hold (Qt would write null, and the whole file would stop decoding).
std::optional<QByteArray> encode(const QJsonObject& object);

} // namespace QuorSuiteRecordCoding
