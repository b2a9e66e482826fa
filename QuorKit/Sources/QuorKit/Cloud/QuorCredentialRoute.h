#pragma once

#include <QString>
#include <QUrl>

// Where a bearer credential (an API key or an account token) may be sent: anywhere over https, and
// over plain http only to this computer or the user's private network, where strangers on the way
// cannot read the connection. A server there may also be used without any key.
namespace QuorCredentialRoute {

// "localhost", 127.0.0.0/8 or ::1.
bool isThisComputer(const QUrl& url);
// This computer, or an address of a private network: 10/8, 172.16/12, 192.168/16, link-local
// 169.254/16 and fe80::/10, unique-local fc00::/7, or a ".local" name.
bool isPrivateNetwork(const QUrl& url);
// https to any host, or http to this computer or the private network.
bool maySendCredential(const QUrl& url);
// Plain http to a host outside the private network: a key would have to cross the internet in clear.
bool needsHttpsForCredential(const QUrl& url);
// Same scheme, host (ignoring case) and port, default ports filled in.
bool sameOrigin(const QUrl& first, const QUrl& second);

// The host a key is kept for: lower-cased, without a final dot; empty for an address without one.
QString credentialHost(const QUrl& url);
QString credentialHost(const QString& address);

} // namespace QuorCredentialRoute
