#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QStringList>
#include <QUrl>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QTranslator;

// One request as the server received it.
struct QuorTestHttpRequest {
    QByteArray method;
    QByteArray target;                // path and query as sent
    QByteArray path;                  // without the query
    QByteArray query;                 // after "?", undecoded
    QMap<QByteArray, QByteArray> headers; // names lower-cased
    QByteArray body;

    QByteArray header(const QByteArray& name) const { return headers.value(name.toLower()); }
    QByteArray queryValue(const QByteArray& name) const; // percent-decoded
};

// A scripted answer. With `chunks`, the body is sent with chunked transfer encoding, one chunk at a
// time with `chunkDelay` between them; with `rawPieces`, the bytes go out as given (a
// Content-Length header covers them all) in separate writes with `chunkDelay` between. With
// `rawAnswer`, those bytes go out in place of any HTTP answer and the connection closes. With
// `endlessPiece`, the body is that piece again and again until the client goes away or the server
// stops: chunked, unless `headers` announce a Content-Length (which it then never keeps to).
struct QuorTestHttpResponse {
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QList<QByteArray> chunks;
    QList<QByteArray> rawPieces;
    std::chrono::milliseconds delay{0};
    std::chrono::milliseconds chunkDelay{0};
    bool closeWithoutAnswer = false;
    QByteArray rawAnswer;
    QByteArray endlessPiece;

    static QuorTestHttpResponse json(const QByteArray& body, int status = 200);
    static QuorTestHttpResponse text(const QByteArray& body, int status = 200);
    // A JSON answer of `piece` said `times` times over, sent as one gzip stream.
    static QuorTestHttpResponse gzipped(const QByteArray& piece, int times = 1, int status = 200);
    // Zeros that inflate to 256 MiB, more than any answer may be, from little more than 1 MiB on
    // the wire: more than a client reads ahead, and far past the ratio at which Qt gives up.
    static QuorTestHttpResponse gzipBomb(int status = 200);
    // 80 bytes labelled gzip that do not inflate: a gzip header and then no deflate data, or, when
    // `mislabelled`, a plain JSON answer.
    static QuorTestHttpResponse unreadableGzip(bool mislabelled = false);
    QuorTestHttpResponse& withHeader(const QByteArray& name, const QByteArray& value);
};

// While it lives, Qt's own messages, the network layer's error texts among them, read otherwise than
// in English, as under a translation: network code must judge a failure by its code, not by its
// wording.
class QuorForeignQtMessages {
public:
    QuorForeignQtMessages();
    ~QuorForeignQtMessages();
    QuorForeignQtMessages(const QuorForeignQtMessages&) = delete;
    QuorForeignQtMessages& operator=(const QuorForeignQtMessages&) = delete;

private:
    std::unique_ptr<QTranslator> m_translator;
};

// Keeps the warnings printed while it lives, from any thread, and passes them on as well.
class QuorWarningWatch {
public:
    QuorWarningWatch();
    ~QuorWarningWatch();
    QuorWarningWatch(const QuorWarningWatch&) = delete;
    QuorWarningWatch& operator=(const QuorWarningWatch&) = delete;

    QStringList warnings() const;

private:
    static void note(QtMsgType type, const QMessageLogContext& context, const QString& message);

    QtMessageHandler m_previous = nullptr;
    mutable std::mutex m_lock;
    QStringList m_warnings;
};

// A small HTTP/1.1 server on 127.0.0.1 for network tests: nothing ever reaches the internet.
// Answers come, in this order, from the queue of one-shot answers for the method and path, the
// persistent routes, the handler, and finally a 404. It serves each connection on its own thread,
// so clients on the test's thread can block or run an event loop alike.
class QuorTestHttpServer {
public:
    using Handler = std::function<std::optional<QuorTestHttpResponse>(const QuorTestHttpRequest&)>;

    // `address` is the loopback address it listens on: 127.0.0.2 and its neighbours stand in for
    // other hosts.
    explicit QuorTestHttpServer(QByteArray address = "127.0.0.1");
    ~QuorTestHttpServer();
    QuorTestHttpServer(const QuorTestHttpServer&) = delete;
    QuorTestHttpServer& operator=(const QuorTestHttpServer&) = delete;

    bool start();
    void stop();
    quint16 port() const { return m_port; }
    QUrl baseUrl() const; // http://<address>:<port>
    QUrl url(const QString& pathAndQuery) const;

    void enqueue(const QByteArray& method, const QByteArray& path, QuorTestHttpResponse response);
    void route(const QByteArray& method, const QByteArray& path, QuorTestHttpResponse response);
    void setHandler(Handler handler);

    QList<QuorTestHttpRequest> requests() const;
    QList<QuorTestHttpRequest> requests(const QByteArray& path) const;
    std::optional<QuorTestHttpRequest> lastRequest() const;
    int requestCount() const;
    void clearRequests();
    // Bytes of bodies handed to the sockets so far (what a client that stops reading can hold back).
    qint64 bodyBytesSent() const { return m_bodyBytesSent; }
    // Waits, without an event loop, while bodies keep going out: until nothing more went out for
    // `quiet`, `ceiling` bytes went out, or `timeout` passed. The bytes sent by then.
    qint64 waitForSendingToStall(qint64 ceiling, std::chrono::milliseconds quiet, std::chrono::milliseconds timeout) const;
    // Waits (without an event loop) until `count` requests arrived or the timeout passes.
    bool waitForRequests(int count, std::chrono::milliseconds timeout) const;

private:
    void acceptLoop();
    void serve(int fd);
    void serveEndlessly(int fd, QByteArray head, const QuorTestHttpResponse& response);
    QuorTestHttpResponse answerFor(const QuorTestHttpRequest& request);

    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    quint16 m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<qint64> m_bodyBytesSent{0};
    std::thread m_acceptThread;
    mutable std::mutex m_lock;
    std::vector<std::thread> m_workers;
    std::vector<int> m_clientFds;
    QMap<QByteArray, QList<QuorTestHttpResponse>> m_queued;
    QMap<QByteArray, QuorTestHttpResponse> m_routes;
    Handler m_handler;
    QList<QuorTestHttpRequest> m_requests;
    QByteArray m_address;
};
