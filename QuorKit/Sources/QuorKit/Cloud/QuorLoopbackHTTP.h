#pragma once

#include "QuorKit/Cloud/QuorCreditsError.h"
#include "QuorKit/Cloud/QuorLoopbackCancelSignal.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorPlatform/Core/QuorCancellationToken.h"
#include "QuorPlatform/Loopback/UniqueFd.h"

#include <QString>

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>
#include <variant>

// The browser's callback: the authorization code and its connection, open and not yet answered.
struct QuorLoopbackCallbackHit {
    QString code;
    quor::platform::UniqueFd clientFD;
};

// A listening socket on 127.0.0.1 and the port the system gave it.
struct QuorLoopbackListener {
    quor::platform::UniqueFd fd;
    quint16 port = 0;
};

// The texts of the pages the callback loop answers by itself, resolved once in one language before the
// loop starts (the loop's thread never reads the interface settings).
struct QuorLoopbackTexts {
    QString invalidRequestTitle;
    QString invalidRequestMessage;
    QString declinedTitle;
    QString missingCodeTitle;
    QString missingCodeMessage;
    QString stateMismatchTitle;
    QString stateMismatchMessage;

    static QuorLoopbackTexts resolve(QuorLanguage language);
};

// A one-shot HTTP listener on the loopback interface that waits for the browser sign-in's callback.
namespace QuorLoopbackHTTP {

using Outcome = std::variant<QuorLoopbackCallbackHit, QuorCreditsError>;

// Throws QuorCreditsError::signInFailed with a bilingual message.
QuorLoopbackListener bindEphemeralLoopback();

// Waits on a worker thread for an acceptable callback. Cancelling `token` fires `cancelSignal`, which
// ends the wait with signInCancelled. Throws signInTimedOut, signInCancelled or signInFailed.
QCoro::Task<QuorLoopbackCallbackHit> awaitCallback(int listenFD, QString expectedState, double timeoutSeconds,
                                                   std::shared_ptr<QuorLoopbackCancelSignal> cancelSignal,
                                                   QuorCancellationToken token = {});

// The wait itself; blocks the calling thread for up to `timeoutSeconds`. Connections are served side
// by side, each dropped when it has not sent its request line within 5 seconds. Never closes the
// listening socket.
Outcome blockingAcceptLoop(int listenFD, const QString& expectedState, double timeoutSeconds,
                           QuorLoopbackCancelSignal& cancelSignal, const QuorLoopbackTexts& texts);

// Whether a client has sent all the loop reads of it: its first line (and valid UTF-8), or 8192 bytes.
bool isRequestLineComplete(const QByteArray& received);
// The request target of the first request line; nothing when the bytes are not UTF-8 or the line
// has fewer than two parts.
std::optional<QString> requestTarget(const QByteArray& received);

// Writes the UTF-8 bytes of `text`; a browser that went away is ignored.
void writeRawResponse(int fd, const QString& text);

// A complete HTTP answer carrying a small result page; Content-Length counts UTF-8 bytes.
QString pageResponse(int status, const QString& reason, const QString& title, const QString& message,
                     const QString& accentColor);

// Escapes &, <, > and the double quote for HTML.
QString escapeHTML(const QString& text);

} // namespace QuorLoopbackHTTP
