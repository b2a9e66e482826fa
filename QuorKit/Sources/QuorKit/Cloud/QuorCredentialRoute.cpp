#include "QuorKit/Cloud/QuorCredentialRoute.h"

#include <QHostAddress>

#include <array>
#include <utility>

namespace {
int effectivePort(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.port(scheme == QLatin1String("https") ? 443 : scheme == QLatin1String("http") ? 80 : -1);
}

bool isHttp(const QUrl& url)
{
    return url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0;
}

bool isPrivateAddress(QHostAddress address)
{
    // An IPv4 address written as IPv6 (::ffff:192.168.1.20) is that IPv4 address.
    bool mapped = false;
    const quint32 ipv4 = address.toIPv4Address(&mapped);
    if (mapped) {
        address = QHostAddress(ipv4);
    }
    if (address.isLoopback() || address.isLinkLocal() || address.isUniqueLocalUnicast()) {
        return true;
    }
    static const std::array<std::pair<QHostAddress, int>, 3> privateRanges{{
        {QHostAddress(QStringLiteral("10.0.0.0")), 8},
        {QHostAddress(QStringLiteral("172.16.0.0")), 12},
        {QHostAddress(QStringLiteral("192.168.0.0")), 16},
    }};
    for (const auto& [network, prefix] : privateRanges) {
        if (address.isInSubnet(network, prefix)) {
            return true;
        }
    }
    return false;
}
} // namespace

namespace QuorCredentialRoute {

QString credentialHost(const QUrl& url)
{
    QString host = url.host().toLower();
    while (host.endsWith(QLatin1Char('.'))) {
        host.chop(1);
    }
    return host;
}

QString credentialHost(const QString& address)
{
    return credentialHost(QUrl(address.trimmed()));
}

bool isThisComputer(const QUrl& url)
{
    const QString host = credentialHost(url);
    if (host == QLatin1String("localhost")) {
        return true;
    }
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool isPrivateNetwork(const QUrl& url)
{
    const QString host = credentialHost(url);
    if (host.isEmpty()) {
        return false;
    }
    if (host == QLatin1String("localhost") || host.endsWith(QLatin1String(".local"))) {
        return true;
    }
    const QHostAddress address(host);
    return !address.isNull() && isPrivateAddress(address);
}

bool maySendCredential(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("https") || (scheme == QLatin1String("http") && isPrivateNetwork(url));
}

bool needsHttpsForCredential(const QUrl& url)
{
    return isHttp(url) && !credentialHost(url).isEmpty() && !isPrivateNetwork(url);
}

bool sameOrigin(const QUrl& first, const QUrl& second)
{
    return first.scheme().compare(second.scheme(), Qt::CaseInsensitive) == 0
        && first.host().compare(second.host(), Qt::CaseInsensitive) == 0 && effectivePort(first) == effectivePort(second);
}

} // namespace QuorCredentialRoute
