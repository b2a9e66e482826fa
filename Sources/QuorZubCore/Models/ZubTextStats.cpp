#include "QuorZubCore/Models/ZubTextStats.h"

#include "QuorKit/Utilities/QuorJson.h"

namespace {
const QString charactersKey = QStringLiteral("characters");
const QString withoutSpacesKey = QStringLiteral("charactersWithoutSpaces");
const QString wordsKey = QStringLiteral("words");
const QString sentencesKey = QStringLiteral("sentences");
const QString linesKey = QStringLiteral("lines");
const QString bytesKey = QStringLiteral("utf8Bytes");
const QString readingKey = QStringLiteral("estimatedReadingSeconds");
} // namespace

ZubTextStats ZubTextStats::fromJson(const QJsonObject& object)
{
    ZubTextStats stats;
    stats.characters = QuorJson::requireInt64(object, charactersKey);
    stats.charactersWithoutSpaces = QuorJson::requireInt64(object, withoutSpacesKey);
    stats.words = QuorJson::requireInt64(object, wordsKey);
    stats.sentences = QuorJson::requireInt64(object, sentencesKey);
    stats.lines = QuorJson::requireInt64(object, linesKey);
    stats.utf8Bytes = QuorJson::requireInt64(object, bytesKey);
    stats.estimatedReadingSeconds = QuorJson::requireInt64(object, readingKey);
    return stats;
}

QJsonObject ZubTextStats::toJson() const
{
    return QJsonObject{
        {charactersKey, characters}, {withoutSpacesKey, charactersWithoutSpaces},
        {wordsKey, words},           {sentencesKey, sentences},
        {linesKey, lines},           {bytesKey, utf8Bytes},
        {readingKey, estimatedReadingSeconds},
    };
}
