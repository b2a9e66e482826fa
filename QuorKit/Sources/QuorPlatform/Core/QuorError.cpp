#include "QuorPlatform/Core/QuorError.h"

QuorError::QuorError(QString english, QString turkish)
    : m_english(std::move(english)), m_turkish(std::move(turkish))
{
}

QuorError::QuorError(QString english, QString turkish, QString logDetail)
    : m_english(std::move(english)), m_turkish(std::move(turkish)), m_logDetail(std::move(logDetail))
{
}

QString QuorError::englishDescription() const
{
    return m_english;
}

QString QuorError::turkishDescription() const
{
    return m_turkish.isEmpty() ? englishDescription() : m_turkish;
}

const char* QuorError::what() const noexcept
{
    try {
        QString text = englishDescription();
        if (!m_logDetail.isEmpty()) {
            text += QStringLiteral(" (") + m_logDetail + QLatin1Char(')');
        }
        m_what = text.toUtf8();
        return m_what.constData();
    } catch (...) {
        return "QuorError";
    }
}

QuorCancelledError::QuorCancelledError()
    : QuorError(QStringLiteral("The operation was cancelled."), QStringLiteral("İşlem iptal edildi."))
{
}
