#pragma once

#include <QUrl>

// Where a bearer credential (an API key or an account token) may be sent: anywhere over https,
// and over plain http only to this computer, where nobody else can read the connection.
namespace QuorCredentialRoute {

// "localhost", 127.0.0.0/8 or ::1.
bool isThisComputer(const QUrl& url);
// https to any host, or http to this computer.
bool maySendCredential(const QUrl& url);
// Same scheme, host (ignoring case) and port, default ports filled in.
bool sameOrigin(const QUrl& first, const QUrl& second);

} // namespace QuorCredentialRoute
