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
