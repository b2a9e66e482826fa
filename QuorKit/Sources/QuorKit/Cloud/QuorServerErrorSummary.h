#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What a person is told about a failed server answer. A server's own words are shown when it
// answered in the usual JSON error shape ({"message": ...}, {"error": {"message": ...}},
// {"detail": ...}, {"error": "code"}), and, where a caller accepts them, in a short plain-text
// answer; both are cut to one paragraph of at most 300 characters. An HTML page, broken JSON, an
// empty or a huge body give a sentence with the status instead. The body itself belongs in the
// log (QuorSupportLog::excerpt), never in the interface.
namespace QuorServerErrorSummary {

inline constexpr qsizetype maxMessageCharacters = 300;
// A plain-text answer longer than this is a dump rather than a message.
inline constexpr qsizetype maxPlainTextBytes = 64 * 1024;

// The server's own message, or nothing when the body is not a JSON error that carries one. Messages
// come before codes: "message", the error object's "message", "detail", "error_description", the
// error object's "detail", then the "error" text, the error object's "code" and "type", "code".
std::optional<QString> serverMessage(const QByteArray& body);

// A short body of plain words ("model not loaded"), as one paragraph of at most 300 characters;
// nothing for markup (HTML, XML), JSON, bytes that are not UTF-8, text with control characters or
// a body over maxPlainTextBytes.
std::optional<QString> plainTextMessage(const QByteArray& body);

// "The server answered with an error (HTTP 500)." in `language` (the interface language when none).
QString statusSentence(int status, std::optional<QuorLanguage> language = std::nullopt);

// "HTTP 500: <message>" with a message, else statusSentence().
QString describe(int status, const QString& message, std::optional<QuorLanguage> language = std::nullopt);

// The first paragraph of `text` on one line (runs of white space become one space), at most
// `maxMessageCharacters` user-perceived characters.
QString oneParagraph(const QString& text);

} // namespace QuorServerErrorSummary
