#include "QuorKit/Cloud/QuorFeedbackError.h"

#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Localization/QuorLocalization.h"

#include <QUrl>

namespace {
// The maker's site, named in the texts that send the user there instead.
QString makerHost()
{
    return QUrl(QuorFeedbackService::defaultBaseURL).host();
}
} // namespace

QuorFeedbackError QuorFeedbackError::tooManyScreenshots(int max) { return QuorFeedbackError(Kind::tooManyScreenshots, max); }
QuorFeedbackError QuorFeedbackError::screenshotTooLarge(int maxMB) { return QuorFeedbackError(Kind::screenshotTooLarge, maxMB); }
QuorFeedbackError QuorFeedbackError::serverRejected(const QString& text) { return QuorFeedbackError(Kind::serverRejected, 0, text); }
QuorFeedbackError QuorFeedbackError::networkFailure(const QString& detail) { return QuorFeedbackError(Kind::networkFailure, 0, detail); }
QuorFeedbackError QuorFeedbackError::invalidEndpoint() { return QuorFeedbackError(Kind::invalidEndpoint); }
QuorFeedbackError QuorFeedbackError::invalidEmail() { return QuorFeedbackError(Kind::invalidEmail); }
QuorFeedbackError QuorFeedbackError::messageTooShort() { return QuorFeedbackError(Kind::messageTooShort); }

QString QuorFeedbackError::englishDescription() const
{
    switch (m_kind) {
    case Kind::tooManyScreenshots:
        return QStringLiteral("You can attach up to ") + QString::number(m_limit) + QStringLiteral(" screenshots.");
    case Kind::screenshotTooLarge:
        return QStringLiteral("Each screenshot must be smaller than ") + QString::number(m_limit) + QStringLiteral(" MB.");
    case Kind::serverRejected:
        return m_text;
    case Kind::networkFailure:
        return QStringLiteral("Could not reach ") + makerHost() + QStringLiteral(" (") + m_text
            + QStringLiteral("). You can open the feedback page in your browser instead.");
    case Kind::invalidEndpoint:
        return QStringLiteral("Feedback server address could not be resolved.");
    case Kind::invalidEmail:
        return QStringLiteral("Please enter a valid email address.");
    case Kind::messageTooShort:
        return QStringLiteral("Please write a bit more detail (at least 10 characters).");
    }
    return {};
}

QString QuorFeedbackError::turkishDescription() const
{
    switch (m_kind) {
    case Kind::tooManyScreenshots:
        return QStringLiteral("En fazla ") + QString::number(m_limit) + QStringLiteral(" ekran görüntüsü ekleyebilirsiniz.");
    case Kind::screenshotTooLarge:
        return QStringLiteral("Her ekran görüntüsü en fazla ") + QString::number(m_limit) + QStringLiteral(" MB olabilir.");
    case Kind::serverRejected:
        return m_text;
    case Kind::networkFailure:
        return makerHost() + QStringLiteral(" adresine ulaşılamadı (") + m_text
            + QStringLiteral("). Dilerseniz tarayıcıdan göndermeyi deneyebilirsiniz.");
    case Kind::invalidEndpoint:
        return QStringLiteral("Geri bildirim sunucu adresi çözümlenemedi.");
    case Kind::invalidEmail:
        return QStringLiteral("Lütfen geçerli bir e-posta adresi girin.");
    case Kind::messageTooShort:
        return QStringLiteral("Lütfen en az 10 karakterlik kısa bir açıklama yazın.");
    }
    return {};
}

QString QuorFeedbackError::errorDescription(std::optional<QuorLanguage> language) const
{
    if (m_kind == Kind::serverRejected) {
        return m_text;
    }
    return quorText(englishDescription(), turkishDescription(), {}, language);
}
