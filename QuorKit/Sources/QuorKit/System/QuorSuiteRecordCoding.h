#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// JSON helpers the suite's live records share beyond QuorJson and QuorAICatalogCoding: they throw
// QuorDecodingError like those.
namespace QuorSuiteRecordCoding {

// An array of whole numbers that each fit in 32 bits.
QList<qint32> requireInt32List(const QJsonObject& object, const QString& key);
QJsonArray toJsonArray(const QList<qint32>& values);
// A number that fits in a 32-bit float (a larger one is refused rather than turned into infinity).
float requireFloat(const QJsonObject& object, const QString& key);

} // namespace QuorSuiteRecordCoding
