#include "QuorKit/Cloud/QuorCredentialRoute.h"

#include <QHostAddress>

namespace {
int effectivePort(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.port(scheme == QLatin1String("https") ? 443 : scheme == QLatin1String("http") ? 80 : -1);
}
} // namespace

namespace QuorCredentialRoute {

bool isThisComputer(const QUrl& url)
{
    const QString host = url.host().toLower();
    if (host == QLatin1String("localhost")) {
        return true;
    }
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool maySendCredential(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("https") || (scheme == QLatin1String("http") && isThisComputer(url));
}

bool sameOrigin(const QUrl& first, const QUrl& second)
{
    return first.scheme().compare(second.scheme(), Qt::CaseInsensitive) == 0
        && first.host().compare(second.host(), Qt::CaseInsensitive) == 0 && effectivePort(first) == effectivePort(second);
}

} // namespace QuorCredentialRoute
