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

    // Asked for whenever the network layer wants to send the request again. A redirect has its
    // status by then; a connection that closed before any answer has none.
    bool reset() override
    {
        const QVariant status = m_reply ? m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute) : QVariant();
        const int code = status.isValid() ? status.toInt() : 0;
        if (code != 307 && code != 308) {
            return false;
        }
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
};

} // namespace

QNetworkReply* QuorSendOnce::send(QNetworkAccessManager& session, QNetworkRequest request, const QByteArray& method,
                                  const QByteArray& body)
{
    // The network layer takes a device that cannot be rewound as it comes only when it knows the
    // length; otherwise it would buffer a rewindable copy first.
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    auto* device = new OnceBody(body);
    QNetworkReply* const reply = session.sendCustomRequest(request, method, device);
    device->bind(reply);
    return reply;
}
