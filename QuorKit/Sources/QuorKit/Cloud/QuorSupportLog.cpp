#include "QuorKit/Cloud/QuorSupportLog.h"

#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorGraphemes.h"

#include <QRegularExpression>

namespace QuorSupportLog {

std::shared_ptr<QuorAppLogger> logger()
{
    return QuorAppLogger::shared(QuorFeedbackService::resolvedCurrentAppName(QuorBundle::main(), QStringLiteral("Tallowmer")));
}

void write(QuorLogLevel level, const QString& category, const QString& message)
{
    logger()->log(level, category, message);
}

namespace {
// Member names whose values are credentials or personal data. A bare "code" or an "error_code" is
// an error code, which support needs; "device_code", "user_code" and "code_verifier" are not.
bool isSecretName(const QString& name)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("code") || lower.endsWith(QLatin1String("error_code"))) {
        return false;
    }
    static const char* const words[] = {"token", "secret", "password", "verifier", "key", "email", "state", "challenge"};
    for (const char* word : words) {
        if (lower.contains(QLatin1String(word))) {
            return true;
        }
    }
    return lower.endsWith(QLatin1String("_code")) || lower.startsWith(QLatin1String("code_"));
}
} // namespace

QString maskPersonalData(const QString& text)
{
    static const QRegularExpression jsonMember(QStringLiteral("\"([A-Za-z0-9_\\-]+)\"\\s*:\\s*\"(?:[^\"\\\\]|\\\\.)*\""));
    static const QRegularExpression queryItem(QStringLiteral("([A-Za-z0-9_\\-]+)=[^&\\s\"'<>]+"));
    static const QRegularExpression email(QStringLiteral("[A-Za-z0-9._%+\\-]+@[A-Za-z0-9.\\-]+\\.[A-Za-z]{2,}"));
    QString masked;
    qsizetype from = 0;
    for (auto match = jsonMember.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch member = match.next();
        if (!isSecretName(member.captured(1))) {
            continue;
        }
        masked += text.mid(from, member.capturedStart(0) - from);
        masked += QLatin1Char('"') + member.captured(1) + QStringLiteral("\":\"[REDACTED]\"");
        from = member.capturedEnd(0);
    }
    masked += text.mid(from);

    QString result;
    from = 0;
    for (auto match = queryItem.globalMatch(masked); match.hasNext();) {
        const QRegularExpressionMatch item = match.next();
        const QString name = item.captured(1);
        if (!isSecretName(name) && name.toLower() != QLatin1String("code")) {
            continue;
        }
        result += masked.mid(from, item.capturedStart(0) - from);
        result += name + QStringLiteral("=[REDACTED]");
        from = item.capturedEnd(0);
    }
    result += masked.mid(from);
    return result.replace(email, QStringLiteral("[EMAIL]"));
}

QString excerpt(const QByteArray& body, qsizetype maxCharacters)
{
    if (body.isEmpty()) {
        return QStringLiteral("(empty)");
    }
    // Only the start is looked at: a huge body costs no more than a small one.
    const QByteArray head = body.left(maxCharacters * 4);
    const QString text = maskPersonalData(QString::fromUtf8(head).simplified());
    if (QuorGraphemes::count(text) <= maxCharacters && head.size() == body.size()) {
        return text;
    }
    return QuorGraphemes::prefix(text, maxCharacters) + QStringLiteral("… (%1 bytes)").arg(body.size());
}

QString address(const QUrl& url)
{
    QUrl plain = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment);
    return plain.toString(QUrl::FullyEncoded);
}

} // namespace QuorSupportLog
