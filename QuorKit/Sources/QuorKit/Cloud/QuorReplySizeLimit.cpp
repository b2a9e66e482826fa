#include "QuorKit/Cloud/QuorReplySizeLimit.h"

#include <QNetworkReply>

std::shared_ptr<const bool> QuorReplySizeLimit::watch(QNetworkReply* reply, qint64 limit)
{
    auto exceeded = std::make_shared<bool>(false);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, limit, exceeded](qint64 received, qint64 total) {
        if (!*exceeded && (received > limit || total > limit)) {
            *exceeded = true;
            reply->abort();
        }
    });
    return exceeded;
}

std::shared_ptr<const QuorReplySizeLimit::Head> QuorReplySizeLimit::keepHead(QNetworkReply* reply, qint64 limit)
{
    auto head = std::make_shared<Head>();
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
