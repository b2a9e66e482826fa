#include "QuorKit/Cloud/QuorTransferError.h"

QuorTransferError::QuorTransferError(Kind kind, QNetworkReply::NetworkError code, const QString& english,
                                     const QString& turkish, const QString& logDetail)
    : QuorError(english, turkish, logDetail), m_kind(kind), m_code(code)
{
}

QuorTransferError QuorTransferError::fromReply(QNetworkReply::NetworkError code, const QString& detail)
{
    switch (code) {
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // what a transfer time-out reports
        return {Kind::timedOut, code, QStringLiteral("The request timed out."),
                QStringLiteral("İstek zaman aşımına uğradı.")};
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::ContentReSendError: // closed before any answer, and the request must not go twice
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
        return {Kind::cannotConnect, code, QStringLiteral("Could not connect to the server."),
                QStringLiteral("Sunucuya bağlanılamadı.")};
    case QNetworkReply::UnknownContentError: // with a successful status: a body that would not decode
        return answerUnreadable(detail);
    case QNetworkReply::SslHandshakeFailedError:
        return {Kind::secureConnectionFailed, code, QStringLiteral("A secure connection to the server could not be made."),
                QStringLiteral("Sunucuyla güvenli bağlantı kurulamadı.")};
    default:
        return {Kind::other, code, QStringLiteral("A network error occurred (%1).").arg(detail),
                QStringLiteral("Bir ağ hatası oluştu (%1).").arg(detail)};
    }
}

QuorTransferError QuorTransferError::answerTooLarge()
{
    return {Kind::answerTooLarge, QNetworkReply::UnknownContentError, QStringLiteral("The server's answer is too large."),
            QStringLiteral("Sunucunun yanıtı çok büyük.")};
}

QuorTransferError QuorTransferError::answerUnreadable(const QString& detail)
{
    return {Kind::answerUnreadable, QNetworkReply::UnknownContentError,
            QStringLiteral("The server's answer could not be read."), QStringLiteral("Sunucunun yanıtı okunamadı."),
            detail};
}
