#include "QuorKit/Cloud/QuorServerErrorSummary.h"

#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorGraphemes.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringDecoder>

namespace QuorServerErrorSummary {

namespace {
std::optional<QString> text(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString()) {
        return std::nullopt;
    }
    const QString found = oneParagraph(value.toString());
    return found.isEmpty() ? std::nullopt : std::optional<QString>(found);
}
} // namespace

QString oneParagraph(const QString& text)
{
    static const QRegularExpression paragraphBreak(QStringLiteral("\\n\\s*\\n"));
    const QString first = text.trimmed().section(paragraphBreak, 0, 0);
    return QuorGraphemes::prefix(first.simplified(), maxMessageCharacters);
}

std::optional<QString> serverMessage(const QByteArray& body)
{
    if (body.isEmpty()) {
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(body);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(decoded.toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    const QJsonObject inner = object.value(QStringLiteral("error")).toObject();
    for (const auto& candidate :
         {text(object, QStringLiteral("message")), text(inner, QStringLiteral("message")), text(object, QStringLiteral("detail")),
          text(object, QStringLiteral("error_description")), text(inner, QStringLiteral("detail")),
          text(object, QStringLiteral("error")), text(inner, QStringLiteral("code")), text(inner, QStringLiteral("type")),
          text(object, QStringLiteral("code"))}) {
        if (candidate) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::optional<QString> plainTextMessage(const QByteArray& body)
{
    if (body.size() > maxPlainTextBytes) {
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = QString(decoder.decode(body)).trimmed();
    if (decoder.hasError() || decoded.isEmpty()) {
        return std::nullopt;
    }
    // Markup and structured answers are summarised: their text is not meant to be read as is.
    const QChar first = decoded.front();
    if (first == QLatin1Char('<') || first == QLatin1Char('{') || first == QLatin1Char('[')
        || decoded.contains(QLatin1String("<html"), Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    for (const QChar character : decoded) {
        const char16_t unit = character.unicode();
        if ((unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r') || unit == 0x7F) {
            return std::nullopt;
        }
    }
    const QString paragraph = oneParagraph(decoded);
    return paragraph.isEmpty() ? std::nullopt : std::optional<QString>(paragraph);
}

QString statusSentence(int status, std::optional<QuorLanguage> language)
{
    const QString code = QString::number(status);
    return quorText(QStringLiteral("The server answered with an error (HTTP %1).").arg(code),
                    QStringLiteral("Sunucu bir hatayla yanıt verdi (HTTP %1).").arg(code), {}, language);
}

QString describe(int status, const QString& message, std::optional<QuorLanguage> language)
{
    if (message.isEmpty()) {
        return statusSentence(status, language);
    }
    return QStringLiteral("HTTP ") + QString::number(status) + QStringLiteral(": ") + message;
}

} // namespace QuorServerErrorSummary
