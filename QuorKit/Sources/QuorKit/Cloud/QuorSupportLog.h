#pragma once

#include "QuorKit/Utilities/QuorLogLevel.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <memory>

class QuorAppLogger;

// The trace support reads: what the account, the gateway, the catalog, feedback and the browser
// hand-offs did, in the running application's log. Server bodies and addresses pass through here
// before they are written: an excerpt is one bounded line without e-mail addresses or the values
// of secret-looking members, and an address keeps only its scheme, host, port and path. The
// logger's own masks apply on top.
namespace QuorSupportLog {

// Categories, beside the application's "lifecycle", "action", "ocr" and "security".
inline const QString account = QStringLiteral("account");
inline const QString gateway = QStringLiteral("gateway");
inline const QString catalog = QStringLiteral("catalog");
inline const QString feedback = QStringLiteral("feedback");
inline const QString browser = QStringLiteral("browser");

inline constexpr qsizetype maxExcerptCharacters = 400;

// The running application's logger.
std::shared_ptr<QuorAppLogger> logger();
void write(QuorLogLevel level, const QString& category, const QString& message);

// The start of a body for the log: decoded as UTF-8 (invalid bytes replaced), white space runs
// folded to one space, masked (maskPersonalData), at most `maxExcerptCharacters` characters with
// "…" and the full size when cut; "(empty)" for no body. `maxCharacters` raises the bound where a
// whole error body is worth keeping.
QString excerpt(const QByteArray& body, qsizetype maxCharacters = maxExcerptCharacters);
// E-mail addresses become "[EMAIL]"; the values of JSON members or query items whose names hold
// token, code, key, secret, password, verifier, state or email become "[REDACTED]".
QString maskPersonalData(const QString& text);
// "https://host:port/path": no user info, query or fragment (they can carry codes and keys).
QString address(const QUrl& url);

} // namespace QuorSupportLog
