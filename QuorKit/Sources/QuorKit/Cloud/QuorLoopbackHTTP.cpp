#include "QuorKit/Cloud/QuorLoopbackHTTP.h"

#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorPlatform/Loopback/LoopbackSocket.h"

#include <QHash>
#include <QStringDecoder>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>

namespace Socket = quor::platform::LoopbackSocket;

namespace {
constexpr qsizetype requestLimit = 8192;
constexpr auto clientTimeout = std::chrono::seconds(5);
constexpr auto shortestPoll = std::chrono::milliseconds(100);
constexpr auto longestPoll = std::chrono::milliseconds(60'000);
const QString warningRed = QStringLiteral("#ff647c");
const QString warningAmber = QStringLiteral("#ffb84d");

std::optional<QString> decodeUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

// The query's items that carry a value; the last of a repeated name wins. "+" stays a plus sign.
QHash<QString, QString> queryValues(const QUrl& url)
{
    QHash<QString, QString> values;
    const QString query = url.query(QUrl::FullyEncoded);
    for (const QString& item : query.split(QLatin1Char('&'))) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        if (equals < 0) {
            continue;
        }
        values.insert(QUrl::fromPercentEncoding(item.left(equals).toUtf8()),
                      QUrl::fromPercentEncoding(item.mid(equals + 1).toUtf8()));
    }
    return values;
}

std::chrono::steady_clock::time_point deadlineAfter(double seconds)
{
    const auto now = std::chrono::steady_clock::now();
    if (!(seconds > 0)) { // zero, negative or not a number: the time is already up
        return now;
    }
    // A day-long cap keeps the arithmetic in range for absurd values; no sign-in waits that long.
    const double capped = std::min(seconds, 86'400.0);
    return now + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(capped));
}

void answer(int fd, const QString& title, const QString& message, const QString& color)
{
    QuorLoopbackHTTP::writeRawResponse(fd, QuorLoopbackHTTP::pageResponse(400, QStringLiteral("Bad Request"), title, message, color));
}
} // namespace

QuorLoopbackTexts QuorLoopbackTexts::resolve(QuorLanguage language)
{
    QuorLoopbackTexts texts;
    texts.invalidRequestTitle = quorText(QStringLiteral("Invalid request"), QStringLiteral("Geçersiz istek"), {}, language);
    texts.invalidRequestMessage = quorText(QStringLiteral("You can close this tab and try again."),
                                           QStringLiteral("Bu sekmeyi kapatıp yeniden deneyebilirsiniz."), {}, language);
    texts.declinedTitle = quorText(QStringLiteral("Connection declined"), QStringLiteral("Bağlantı reddedildi"), {}, language);
    texts.missingCodeTitle = quorText(QStringLiteral("Missing authorization code"),
                                      QStringLiteral("Yetkilendirme kodu eksik"), {}, language);
    texts.missingCodeMessage = quorText(QStringLiteral("You can close this tab and try connecting again."),
                                        QStringLiteral("Bu sekmeyi kapatıp yeniden bağlanmayı deneyebilirsiniz."), {}, language);
    texts.stateMismatchTitle = quorText(QStringLiteral("Connection verification failed"),
                                        QStringLiteral("Bağlantı doğrulanamadı"), {}, language);
    texts.stateMismatchMessage =
        quorText(QStringLiteral("Security state mismatch. Please close this tab and try again."),
                 QStringLiteral("Güvenlik durumu uyuşmadı. Bu sekmeyi kapatıp yeniden deneyebilirsiniz."), {}, language);
    return texts;
}

namespace QuorLoopbackHTTP {

QuorLoopbackListener bindEphemeralLoopback()
{
    auto bound = Socket::bindEphemeral();
    if (auto* listener = std::get_if<Socket::Listener>(&bound)) {
        return {std::move(listener->socket), listener->port};
    }
    switch (std::get<Socket::BindFailure>(bound)) {
    case Socket::BindFailure::socket:
        throw QuorCreditsError::signInFailed(quorText(QStringLiteral("Could not open local loopback socket."),
                                                      QStringLiteral("Yerel bağlantı soketi açılamadı.")));
    case Socket::BindFailure::bind:
        throw QuorCreditsError::signInFailed(quorText(QStringLiteral("Could not bind loopback callback port."),
                                                      QStringLiteral("Yerel geri çağrı portu bağlanamadı.")));
    case Socket::BindFailure::listen:
        throw QuorCreditsError::signInFailed(quorText(QStringLiteral("Could not listen on loopback callback port."),
                                                      QStringLiteral("Yerel geri çağrı portu dinlenemedi.")));
    case Socket::BindFailure::address:
        break;
    }
    throw QuorCreditsError::signInFailed(quorText(QStringLiteral("Could not determine assigned loopback port."),
                                                  QStringLiteral("Atanan yerel port okunamadı.")));
}

QCoro::Task<QuorLoopbackCallbackHit> awaitCallback(int listenFD, QString expectedState, double timeoutSeconds,
                                                   std::shared_ptr<QuorLoopbackCancelSignal> cancelSignal,
                                                   QuorCancellationToken token)
{
    const QuorLoopbackTexts texts = QuorLoopbackTexts::resolve(QuorLanguages::current());
    // The cancellation handler lives exactly as long as the wait.
    auto handlerScope = std::make_unique<QObject>();
    token.onCancel(handlerScope.get(), [cancelSignal] { cancelSignal->cancel(); });
    if (token.isCancelled()) {
        cancelSignal->cancel();
    }
    QFuture<std::shared_ptr<Outcome>> future =
        QtConcurrent::run([listenFD, expectedState, timeoutSeconds, cancelSignal, texts] {
            return std::make_shared<Outcome>(blockingAcceptLoop(listenFD, expectedState, timeoutSeconds, *cancelSignal, texts));
        });
    const std::shared_ptr<Outcome> outcome = co_await future;
    handlerScope.reset();
    if (const auto* error = std::get_if<QuorCreditsError>(outcome.get())) {
        throw *error;
    }
    co_return std::move(std::get<QuorLoopbackCallbackHit>(*outcome));
}

namespace {
// A browser connection whose request line has not come in full yet.
struct PendingClient {
    quor::platform::UniqueFd fd;
    QByteArray received;
    std::chrono::steady_clock::time_point deadline;
};

// At most this many connections wait for their request line; a newer one pushes out the oldest, so
// idle connections can never keep the browser's callback out.
constexpr std::size_t pendingLimit = 16;

std::optional<Outcome> answerTarget(PendingClient& client, const QString& target, const QString& expectedState,
                                    const QuorLoopbackTexts& texts)
{
    const int fd = client.fd.get();
    const QUrl url(QStringLiteral("http://127.0.0.1") + target, QUrl::StrictMode);
    if (!url.isValid()) {
        answer(fd, texts.invalidRequestTitle, texts.invalidRequestMessage, warningRed);
        return std::nullopt;
    }
    const QString path = url.path(QUrl::FullyDecoded);
    if (path == QLatin1String("/favicon.ico") || path == QLatin1String("/robots.txt")) {
        writeRawResponse(fd, QStringLiteral("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n"));
        return std::nullopt;
    }
    const QHash<QString, QString> values = queryValues(url);
    // Only the page this sign-in opened knows the state: anything else that finds the port (another
    // local program, a web page, a stale tab of an earlier sign-in) must neither have its own code
    // redeemed nor end the user's sign-in. Without the right state it is turned away and the wait
    // goes on; only the real callback, the user's cancel or the time-out end it.
    const QString state = values.value(QStringLiteral("state")).trimmed();
    if (state.isEmpty() || state != expectedState) {
        answer(fd, texts.stateMismatchTitle, texts.stateMismatchMessage, warningRed);
        return std::nullopt;
    }
    const QString error = values.value(QStringLiteral("error"));
    if (!error.isEmpty()) {
        const auto description = values.constFind(QStringLiteral("error_description"));
        const QString message = description != values.constEnd() ? *description : error;
        answer(fd, texts.declinedTitle, message, warningRed);
        return Outcome(QuorCreditsError::signInFailed(message));
    }
    const QString code = values.value(QStringLiteral("code")).trimmed();
    if (code.isEmpty()) {
        answer(fd, texts.missingCodeTitle, texts.missingCodeMessage, warningAmber);
        return std::nullopt;
    }
    return Outcome(QuorLoopbackCallbackHit{code, std::move(client.fd)});
}

// Reads what `client` has sent. True when it is done with: its request line is complete (or can
// never be), or it went away.
bool readFrom(PendingClient& client)
{
    char buffer[requestLimit];
    const qint64 count = Socket::receive(client.fd.get(), buffer, requestLimit - client.received.size());
    if (count <= 0) {
        return true;
    }
    client.received.append(buffer, static_cast<qsizetype>(count));
    return QuorLoopbackHTTP::isRequestLineComplete(client.received);
}
} // namespace

Outcome blockingAcceptLoop(int listenFD, const QString& expectedState, double timeoutSeconds,
                           QuorLoopbackCancelSignal& cancelSignal, const QuorLoopbackTexts& texts)
{
    using namespace std::chrono;
    const auto deadline = deadlineAfter(timeoutSeconds);
    // Every connection is served side by side: one that is slow to send its request line holds up
    // no other, and it is dropped once its own five seconds are up.
    std::vector<PendingClient> clients;
    // Every pass that ends without an outcome comes back here: cancellation first, then the deadline.
    for (;;) {
        if (cancelSignal.isCancelled()) {
            return QuorCreditsError::signInCancelled();
        }
        const auto now = steady_clock::now();
        const auto remaining = duration_cast<milliseconds>(deadline - now);
        if (remaining.count() <= 0) {
            return QuorCreditsError::signInTimedOut();
        }
        std::erase_if(clients, [now](const PendingClient& client) { return client.deadline <= now; });
        auto wait = std::clamp(remaining, shortestPoll, longestPoll);
        std::vector<int> watched{listenFD};
        for (const PendingClient& client : clients) {
            wait = std::min(wait, std::max(duration_cast<milliseconds>(client.deadline - now), milliseconds(1)));
            watched.push_back(client.fd.get());
        }
        const Socket::WaitResult waited =
            Socket::waitForReadable(watched, cancelSignal.readFD(), static_cast<int>(wait.count()));
        if (waited.outcome == Socket::WaitOutcome::interrupted) {
            continue;
        }
        if (waited.outcome == Socket::WaitOutcome::failed) {
            return QuorCreditsError::signInFailed(QStringLiteral("Loopback poll error (%1).").arg(waited.error));
        }
        if (waited.outcome == Socket::WaitOutcome::cancelled || cancelSignal.isCancelled()) {
            return QuorCreditsError::signInCancelled();
        }
        if (waited.outcome == Socket::WaitOutcome::timedOut) {
            continue;
        }

        for (auto client = clients.begin(); client != clients.end();) {
            const bool readable = std::find(waited.ready.begin(), waited.ready.end(), client->fd.get()) != waited.ready.end();
            if (!readable || !readFrom(*client)) {
                ++client;
                continue;
            }
            if (const std::optional<QString> target = requestTarget(client->received)) {
                if (std::optional<Outcome> outcome = answerTarget(*client, *target, expectedState, texts)) {
                    return std::move(*outcome);
                }
            }
            client = clients.erase(client); // answered or dropped without an answer
        }

        if (std::find(waited.ready.begin(), waited.ready.end(), listenFD) == waited.ready.end()) {
            continue;
        }
        Socket::AcceptResult accepted = Socket::acceptClient(listenFD, clientTimeout);
        if (!accepted.client) {
            // ECONNABORTED: the browser gave up between poll and accept; Linux asks for a retry.
            if (accepted.error == EINTR || accepted.error == EAGAIN || accepted.error == EWOULDBLOCK
                || accepted.error == ECONNABORTED) {
                continue;
            }
            return QuorCreditsError::signInFailed(QStringLiteral("Loopback accept error (%1).").arg(accepted.error));
        }
        if (clients.size() >= pendingLimit) {
            clients.erase(clients.begin());
        }
        clients.push_back({std::move(accepted.client), {}, steady_clock::now() + clientTimeout});
    }
}

bool isRequestLineComplete(const QByteArray& received)
{
    return received.size() >= requestLimit || (received.contains("\r\n") && decodeUtf8(received).has_value());
}

std::optional<QString> requestTarget(const QByteArray& received)
{
    const std::optional<QString> text = decodeUtf8(received);
    if (!text) {
        return std::nullopt;
    }
    const qsizetype lineEnd = text->indexOf(QStringLiteral("\r\n"));
    const QString line = lineEnd < 0 ? *text : text->left(lineEnd);
    const QStringList pieces = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (pieces.size() < 2) {
        return std::nullopt;
    }
    return pieces.at(1);
}

void writeRawResponse(int fd, const QString& text)
{
    Socket::sendAll(fd, text.toUtf8());
}

QString escapeHTML(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
    escaped.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    escaped.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("&quot;"));
    return escaped;
}

QString pageResponse(int status, const QString& reason, const QString& title, const QString& message,
                     const QString& accentColor)
{
    const QString safeTitle = escapeHTML(title);
    const QStringList lines{
        QStringLiteral("<!doctype html>"),
        QStringLiteral("<html lang=\"en\">"),
        QStringLiteral("<head><meta charset=\"utf-8\"><title>") + safeTitle + QStringLiteral("</title></head>"),
        QStringLiteral("<body style=\"font-family:-apple-system,BlinkMacSystemFont,system-ui,sans-serif;"
                       "background:#0d0e1a;color:#f8fafc;padding:48px;text-align:center;line-height:1.5\">"),
        QStringLiteral("<div style=\"max-width:460px;margin:0 auto;padding:28px;border-radius:16px;"
                       "background:rgba(255,255,255,0.06);border:1px solid rgba(255,255,255,0.14)\">"),
        QStringLiteral("<h2 style=\"color:") + accentColor + QStringLiteral(";margin:0 0 12px 0\">") + safeTitle
            + QStringLiteral("</h2>"),
        QStringLiteral("<p style=\"color:rgba(255,255,255,0.78);margin:0\">") + escapeHTML(message) + QStringLiteral("</p>"),
        QStringLiteral("</div>"),
        QStringLiteral("</body>"),
        QStringLiteral("</html>"),
    };
    const QString body = lines.join(QLatin1Char('\n'));
    return QStringLiteral("HTTP/1.1 ") + QString::number(status) + QLatin1Char(' ') + reason
        + QStringLiteral("\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: ")
        + QString::number(body.toUtf8().size()) + QStringLiteral("\r\nConnection: close\r\n\r\n") + body;
}

} // namespace QuorLoopbackHTTP
