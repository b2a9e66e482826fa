#include "QuorZubCore/Services/ZubTranslationServiceError.h"

#include "QuorKit/Localization/QuorLocalization.h"

#include <QLocale>

ZubTranslationServiceError::ZubTranslationServiceError(Kind kind, QString english, QString turkish)
    : QuorError(std::move(english), std::move(turkish)), m_kind(kind)
{
}

ZubTranslationServiceError ZubTranslationServiceError::networkFailure(const QString& message)
{
    return {Kind::networkFailure, message, message};
}

ZubTranslationServiceError ZubTranslationServiceError::emptyInput()
{
    return {Kind::emptyInput, QStringLiteral("No text provided."), QStringLiteral("İşlenecek metin bulunamadı.")};
}

ZubTranslationServiceError ZubTranslationServiceError::invalidURL()
{
    return {Kind::invalidURL, QStringLiteral("Could not build translation URL."),
            QStringLiteral("Çeviri adresi oluşturulamadı.")};
}

ZubTranslationServiceError ZubTranslationServiceError::parseFailure()
{
    return {Kind::parseFailure, QStringLiteral("Could not parse translation response."),
            QStringLiteral("Çeviri yanıtı ayrıştırılamadı.")};
}

ZubTranslationServiceError ZubTranslationServiceError::textTooLong(qsizetype characters, qsizetype limit)
{
    const QLocale english(QLocale::English);
    const QLocale turkish(QLocale::Turkish);
    return {Kind::textTooLong,
            QStringLiteral("The text is too long for web translation (%1 characters; at most %2). Select a shorter part.")
                .arg(english.toString(characters), english.toString(limit)),
            QStringLiteral("Metin web çevirisi için çok uzun (%1 karakter; en fazla %2). Daha kısa bir bölüm seçin.")
                .arg(turkish.toString(characters), turkish.toString(limit))};
}

QString ZubTranslationServiceError::errorDescription() const
{
    return quorText(englishDescription(), turkishDescription());
}
