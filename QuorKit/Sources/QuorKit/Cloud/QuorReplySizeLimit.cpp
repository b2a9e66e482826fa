#include "QuorKit/Cloud/QuorReplySizeLimit.h"

#include <QNetworkReply>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>

namespace {
// The network layer gives up inflating a compressed body it cannot read by raising
// UnknownContentError while the reply is still running; but it neither ends the reply nor tells the
// reader of anything more, and with its read-ahead bounded it reads no further from the server: the
// reply would end only at its reader's deadline. The same code for a 4xx status comes only as the
// reply finishes, right before its end: a reply that carries such a status is given a moment to end
// on its own first.
constexpr std::chrono::milliseconds statusErrorGrace{1000};

// Sets a reply's error as it stands, without the network layer's handling of a new one.
struct ErrorAccess : QNetworkReply {
    static void set(QNetworkReply* reply, NetworkError code, const QString& text)
    {
        (reply->*&ErrorAccess::setError)(code, text);
    }
};

// Ends `reply` once `note` has recorded why, when the network layer has given up inflating its
// body. The network layer takes any abort of a reply that already holds an error, this one's or
// its reader's, for a second error and warns of a misuse: while the reply runs on, the error is
// held aside, and put back once the reply has ended on its own or been ended here, so its reader
// sees a body that could not be read rather than a cancellation. The end comes from the event
// loop: the reader it wakes may let the reply go, which must not happen while the network layer is
// still handling the body that failed.
template <typename Note>
void endWhenInflatingFails(QNetworkReply* reply, Note note)
{
    struct Failure {
        std::optional<QString> held;
        bool endedHere = false;
    };
    auto failure = std::make_shared<Failure>();
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, failure] {
        if (failure->held && (failure->endedHere || reply->error() == QNetworkReply::NoError)) {
            ErrorAccess::set(reply, QNetworkReply::UnknownContentError, *failure->held);
        }
    });
    const auto onError = [reply, note, failure](QNetworkReply::NetworkError error) {
        if (error != QNetworkReply::UnknownContentError || reply->isFinished()) {
            return;
        }
        failure->held = reply->errorString();
        ErrorAccess::set(reply, QNetworkReply::NoError, QString());
        const auto end = [reply, failure] {
            if (!reply->isFinished()) {
                failure->endedHere = true;
                reply->abort();
            }
        };
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && status.toInt() >= 400) {
            QTimer::singleShot(statusErrorGrace, reply, [reply, note, end] {
                if (!reply->isFinished()) {
                    note();
                    end();
                }
            });
            return;
        }
        // Noted at once: the rest of a body that came whole may already be on its way, and the
        // reply then ends on its own.
        note();
        QMetaObject::invokeMethod(reply, end, Qt::QueuedConnection);
    };
    QObject::connect(reply, &QNetworkReply::errorOccurred, reply, onError);
}

template <typename Note>
void limitReadAhead(QNetworkReply* reply, Note unreadable)
{
    endWhenInflatingFails(reply, unreadable);
    const auto apply = [reply] { reply->setReadBufferSize(QuorReplySizeLimit::readAheadBytes); };
    apply();
    // The network layer passes the size on to a transfer it has started. A request with a body
    // starts from the event loop, just after this, and a redirect starts a transfer afresh: the
    // size is given again right behind each start.
    QMetaObject::invokeMethod(reply, apply, Qt::QueuedConnection);
    QObject::connect(reply, &QNetworkReply::redirected, reply,
                     [reply, apply] { QMetaObject::invokeMethod(reply, apply, Qt::QueuedConnection); });
}

// Ends `reply`, whose body its reader has refused and reads no further. A reply with an error status
// is given a moment to end on its own first: the network layer raises that status's error from its
// own thread as the body ends, and an abort just before that arrives makes it a second error, which
// it warns of as a misuse. With nothing more read, one that has not ended by then is held up for
// good, and no such error is on its way.
void endRefused(QNetworkReply* reply)
{
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() || status.toInt() < 400) {
        reply->abort();
        return;
    }
    QTimer::singleShot(statusErrorGrace, reply, [reply] {
        if (!reply->isFinished()) {
            reply->abort();
        }
    });
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
    // The limit bounds what is inflated, counted as the reader takes it; the network layer then
    // gives up inflating only a body it cannot read.
    request.setDecompressedSafetyCheckThreshold(-1);
    return request;
}

std::shared_ptr<const QuorReplySizeLimit::Refusal> QuorReplySizeLimit::bound(QNetworkReply* reply,
                                                                             std::optional<qint64> limit)
{
    auto refusal = std::make_shared<Refusal>(Refusal::none);
    limitReadAhead(reply, [refusal] { *refusal = Refusal::unreadable; });
    if (limit) {
        refuseAnnouncedOver(reply, *limit, [refusal] { *refusal = Refusal::tooLarge; });
    }
    return refusal;
}

std::shared_ptr<const QuorReplySizeLimit::Body> QuorReplySizeLimit::gather(QNetworkReply* reply, qint64 limit)
{
    auto body = std::make_shared<Body>();
    // What was read of a body that is refused is no answer.
    limitReadAhead(reply, [body] {
        body->unreadable = true;
        body->bytes = QByteArray();
    });
    const auto note = [body] {
        body->exceeded = true;
        body->bytes = QByteArray();
    };
    const auto exceed = [reply, note] {
        note();
        endRefused(reply);
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
        const auto refused = [&body] { return body->exceeded || body->unreadable; };
        while (!refused() && reply->bytesAvailable() > 0) {
            // One byte over the limit tells a body that is too large from one that just fits.
            const QByteArray chunk = reply->read(limit + 1 - body->bytes.size());
            if (chunk.isEmpty() || refused()) {
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
    // A long body announced is no reason to refuse its start, which is all that is kept. One the
    // network layer gives up inflating ends where it gave up.
    limitReadAhead(reply, [head] { head->unreadable = true; });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, limit, head] {
        while (!head->cut && !head->unreadable && reply->bytesAvailable() > 0) {
            const qint64 room = limit - head->bytes.size();
            if (room <= 0) {
                head->cut = true;
                endRefused(reply);
                return;
            }
            const QByteArray chunk = reply->read(room);
            if (chunk.isEmpty() || head->cut || head->unreadable) {
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
