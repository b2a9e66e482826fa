#pragma once

#include "QuorPlatform/Core/QuorError.h"

#include <QNetworkReply>
#include <QString>

// A request that got no HTTP answer: offline, refused, timed out, or an answer too large to take.
class QuorTransferError : public QuorError {
public:
    enum class Kind { timedOut, cannotConnect, secureConnectionFailed, answerTooLarge, other };

    static QuorTransferError fromReply(QNetworkReply::NetworkError code, const QString& detail);
    static QuorTransferError answerTooLarge();

    Kind kind() const { return m_kind; }
    QNetworkReply::NetworkError networkError() const { return m_code; }

private:
    QuorTransferError(Kind kind, QNetworkReply::NetworkError code, const QString& english, const QString& turkish);

    Kind m_kind;
    QNetworkReply::NetworkError m_code;
};
