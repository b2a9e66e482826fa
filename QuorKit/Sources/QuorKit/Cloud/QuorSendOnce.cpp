#include "QuorKit/Cloud/QuorSendOnce.h"

#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

#include <algorithm>

namespace {

// The request's body as a device the network layer cannot rewind, except for a redirect.
class OnceBody : public QIODevice {
public:
    explicit OnceBody(QByteArray body) : m_body(std::move(body))
    {
        // Unbuffered: the only copy of the bytes is the body itself, and a rewind starts afresh.
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    void bind(QNetworkReply* reply)
    {
        m_reply = reply;
        setParent(reply);
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_body.size() - m_position + QIODevice::bytesAvailable(); }

    // Asked for whenever the network layer wants to send the request again. A redirect's answer
    // has arrived by then, once for each rewind; a connection that closed before any answer, the
    // first or the redirected request's, brings no new one.
    bool reset() override
    {
        if (!m_reply) {
            return false;
        }
        const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QByteArray target = m_reply->rawHeader("Location");
        if ((status != 307 && status != 308) || target.isEmpty() || target == m_rewoundFor) {
            return false;
        }
        m_rewoundFor = target;
        m_position = 0;
        return true;
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 count = std::min(maxSize, m_body.size() - m_position);
        std::copy_n(m_body.constData() + m_position, count, data);
        m_position += count;
        return count;
    }

    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const QByteArray m_body;
    qint64 m_position = 0;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_rewoundFor;
};

} // namespace

QNetworkReply* QuorSendOnce::send(QNetworkAccessManager& session, QNetworkRequest request, const QByteArray& method,
                                  const QByteArray& body)
{
    // The network layer takes a device that cannot be rewound as it comes only when it knows the
    // length; otherwise it would buffer a rewindable copy first.
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    // Over HTTP/2 the network layer rewinds the body for a redirect before the status reaches this
    // thread, so the body could not tell a redirect from a resend; HTTP/1.1 carries one request as well.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    auto* device = new OnceBody(body);
    QNetworkReply* const reply = session.sendCustomRequest(request, method, device);
    device->bind(reply);
    return reply;
}
