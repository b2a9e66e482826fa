#include "QuorKit/Cloud/QuorReplySizeLimit.h"

#include <QNetworkReply>

#include <algorithm>

namespace {
// The network layer gives up inflating a compressed body that grows too far beyond its size on the
// wire (or will not inflate at all) by raising an error, named only in its text; but it neither
// ends the reply nor tells the reader of anything more, and with its read-ahead bounded it reads no
// further from the server: the reply would end only at its reader's deadline. Ended here, it
// finishes with that error.
void endWhenInflatingFails(QNetworkReply* reply)
{
    QObject::connect(reply, &QNetworkReply::errorOccurred, reply, [reply] {
        if (!reply->errorString().startsWith(QLatin1String("Decompression failed"))) {
            return;
        }
        // The reader woken by the end may let the reply go: not while the network layer is still
        // handling the body that failed.
        QMetaObject::invokeMethod(
            reply,
            [reply] {
                if (!reply->isFinished()) {
                    reply->abort();
                }
            },
            Qt::QueuedConnection);
    });
}

void limitReadAhead(QNetworkReply* reply)
{
    endWhenInflatingFails(reply);
    const auto apply = [reply] { reply->setReadBufferSize(QuorReplySizeLimit::readAheadBytes); };
    apply();
    // The network layer passes the size on to a transfer it has started. A request with a body
    // starts from the event loop, just after this, and a redirect starts a transfer afresh: the
    // size is given again right behind each start.
    QMetaObject::invokeMethod(reply, apply, Qt::QueuedConnection);
    QObject::connect(reply, &QNetworkReply::redirected, reply,
                     [reply, apply] { QMetaObject::invokeMethod(reply, apply, Qt::QueuedConnection); });
}

// Aborts `reply` as soon as its headers announce more than `limit` bytes, once `note` has recorded
// why: the reader may resume inside the abort.
template <typename Note>
void refuseAnnouncedOver(QNetworkReply* reply, qint64 limit, Note note)
{
    auto refused = std::make_shared<bool>(false);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, limit, note, refused] {
        const std::optional<qint64> announced = QuorReplySizeLimit::announcedLength(reply);
        if (!*refused && announced && *announced > limit) {
            *refused = true;
            note();
            reply->abort();
        }
    });
}
} // namespace

std::optional<qint64> QuorReplySizeLimit::announcedLength(const QNetworkReply* reply)
{
    bool valid = false;
    const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&valid);
    return valid && length >= 0 ? std::optional<qint64>(length) : std::nullopt;
}

QNetworkRequest QuorReplySizeLimit::prepared(QNetworkRequest request)
{
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    return request;
}

std::shared_ptr<const bool> QuorReplySizeLimit::bound(QNetworkReply* reply, std::optional<qint64> limit)
{
    auto refused = std::make_shared<bool>(false);
    limitReadAhead(reply);
    if (limit) {
        refuseAnnouncedOver(reply, *limit, [refused] { *refused = true; });
    }
    return refused;
}

std::shared_ptr<const QuorReplySizeLimit::Body> QuorReplySizeLimit::gather(QNetworkReply* reply, qint64 limit)
{
    auto body = std::make_shared<Body>();
    limitReadAhead(reply);
    const auto note = [body] {
        body->exceeded = true;
        body->bytes = QByteArray();
    };
    const auto exceed = [reply, note] {
        note();
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, limit, body] {
        // Room for what is announced, at once, rather than in doublings that each copy it all.
        const std::optional<qint64> announced = announcedLength(reply);
        if (announced && *announced <= limit && body->bytes.isEmpty()) {
            body->bytes.reserve(*announced);
        }
    });
    refuseAnnouncedOver(reply, limit, note);
    QObject::connect(reply, &QIODevice::readyRead, reply, [reply, limit, body, exceed] {
        while (!body->exceeded && reply->bytesAvailable() > 0) {
            // One byte over the limit tells a body that is too large from one that just fits.
            const QByteArray chunk = reply->read(limit + 1 - body->bytes.size());
            if (chunk.isEmpty()) {
                return;
            }
            append(body->bytes, chunk, limit + 1);
            if (body->bytes.size() > limit) {
                exceed();
                return;
            }
        }
    });
    return body;
}

std::shared_ptr<const QuorReplySizeLimit::Head> QuorReplySizeLimit::keepHead(QNetworkReply* reply, qint64 limit)
{
    auto head = std::make_shared<Head>();
    // A long body announced is no reason to refuse its start, which is all that is kept.
    limitReadAhead(reply);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, limit, head] {
        while (!head->cut && reply->bytesAvailable() > 0) {
            const qint64 room = limit - head->bytes.size();
            if (room <= 0) {
                head->cut = true;
                reply->abort();
                return;
            }
            const QByteArray chunk = reply->read(room);
            if (chunk.isEmpty()) {
                return;
            }
            head->bytes += chunk;
        }
    });
    return head;
}

void QuorReplySizeLimit::append(QByteArray& bytes, const QByteArray& chunk, qint64 capacity)
{
    const qint64 needed = bytes.size() + chunk.size();
    if (needed > bytes.capacity()) {
        bytes.reserve(std::max(needed, std::min(capacity, 2 * static_cast<qint64>(bytes.capacity()))));
    }
    bytes.append(chunk);
}
