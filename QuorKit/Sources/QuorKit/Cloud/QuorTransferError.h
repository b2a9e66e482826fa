#pragma once

#include "QuorPlatform/Core/QuorError.h"

#include <QNetworkReply>
#include <QString>

// A request that got no HTTP answer: offline, refused, timed out, or an answer too large to take or
// whose body could not be read.
class QuorTransferError : public QuorError {
public:
    enum class Kind { timedOut, cannotConnect, secureConnectionFailed, answerTooLarge, answerUnreadable, other };

    static QuorTransferError fromReply(QNetworkReply::NetworkError code, const QString& detail);
    static QuorTransferError answerTooLarge();
    // A body the network layer could not decode, such as a compressed one that does not inflate;
    // `detail` (the network layer's words) goes to the log only.
    static QuorTransferError answerUnreadable(const QString& detail = {});

    Kind kind() const { return m_kind; }
    QNetworkReply::NetworkError networkError() const { return m_code; }

private:
    QuorTransferError(Kind kind, QNetworkReply::NetworkError code, const QString& english, const QString& turkish,
                      const QString& logDetail = {});

    Kind m_kind;
    QNetworkReply::NetworkError m_code;
};
