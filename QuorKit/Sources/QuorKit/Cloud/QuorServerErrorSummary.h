#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What a person is told about a failed server answer. A server's own words are shown only when it
// answered in the usual JSON error shape ({"message": ...}, {"error": {"message": ...}},
// {"detail": ...}, {"error": "code"}), cut to one paragraph of at most 300 characters; an HTML
// page, plain text, broken JSON, an empty or a huge body give a sentence with the status instead.
// The body itself belongs in the log (QuorSupportLog::excerpt), never in the interface.
namespace QuorServerErrorSummary {

inline constexpr qsizetype maxMessageCharacters = 300;

// The server's own message, or nothing when the body is not a JSON error that carries one. Messages
// come before codes: "message", the error object's "message", "detail", "error_description", the
// error object's "detail", then the "error" text, the error object's "code" and "type", "code".
std::optional<QString> serverMessage(const QByteArray& body);

// "The server answered with an error (HTTP 500)." in `language` (the interface language when none).
QString statusSentence(int status, std::optional<QuorLanguage> language = std::nullopt);

// "HTTP 500: <message>" with a message, else statusSentence().
QString describe(int status, const QString& message, std::optional<QuorLanguage> language = std::nullopt);

// The first paragraph of `text` on one line (runs of white space become one space), at most
// `maxMessageCharacters` user-perceived characters.
QString oneParagraph(const QString& text);

} // namespace QuorServerErrorSummary
