#pragma once

#include <QByteArray>
#include <QNetworkRequest>

class QNetworkAccessManager;
class QNetworkReply;

// Sends a request whose body goes out once. The network layer quietly sends a request again, up
// to three more times and POST included, when the server closes the connection before its status
// line: a kept-alive connection the server had dropped, or a server that does not speak HTTP. A
// request that creates or spends something must not reach the server twice on its own, so its body
// cannot be read a second time: such a reply ends with ContentReSendError instead. A 307 or 308
// redirect the server answered with still takes the body to the new address.
class QuorSendOnce {
public:
    QuorSendOnce() = delete;

    // `method` is "POST", "PUT", "PATCH"...; the body may be empty. The reply belongs to the caller.
    static QNetworkReply* send(QNetworkAccessManager& session, QNetworkRequest request, const QByteArray& method,
                               const QByteArray& body);
};
