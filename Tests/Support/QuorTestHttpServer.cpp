#include "Support/QuorTestHttpServer.h"

#include <QCoreApplication>
#include <QTranslator>
#include <QUrlQuery>

#include <algorithm>
#include <atomic>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

namespace {
QByteArray key(const QByteArray& method, const QByteArray& path)
{
    return method.toUpper() + ' ' + path;
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 402: return "Payment Required";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

bool sendAll(int fd, const QByteArray& bytes)
{
    const char* cursor = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t sent = ::send(fd, cursor, static_cast<size_t>(left), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        cursor += sent;
        left -= sent;
    }
    return true;
}

// Reads until `buffer` holds at least `wanted` bytes, the peer closes, or 5 s of silence.
bool readMore(int fd, QByteArray& buffer)
{
    pollfd descriptor{fd, POLLIN, 0};
    if (::poll(&descriptor, 1, 5000) <= 0) {
        return false;
    }
    char chunk[16384];
    const ssize_t received = ::recv(fd, chunk, sizeof chunk, 0);
    if (received <= 0) {
        return false;
    }
    buffer.append(chunk, received);
    return true;
}
} // namespace

QByteArray QuorTestHttpRequest::queryValue(const QByteArray& name) const
{
    for (const QByteArray& pair : query.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        const QByteArray pairName = equals < 0 ? pair : pair.left(equals);
        if (QByteArray::fromPercentEncoding(pairName) == name) {
            QByteArray value = equals < 0 ? QByteArray() : pair.mid(equals + 1);
            return QByteArray::fromPercentEncoding(value.replace('+', ' '));
        }
    }
    return {};
}

QuorTestHttpResponse QuorTestHttpResponse::json(const QByteArray& body, int status)
{
    QuorTestHttpResponse response;
    response.status = status;
    response.body = body;
    response.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("application/json")));
    return response;
}

QuorTestHttpResponse QuorTestHttpResponse::text(const QByteArray& body, int status)
{
    QuorTestHttpResponse response;
    response.status = status;
    response.body = body;
    response.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("text/plain; charset=utf-8")));
    return response;
}

QuorTestHttpResponse QuorTestHttpResponse::gzipped(const QByteArray& piece, int times, int status)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, MAX_WBITS + 16, 9, Z_DEFAULT_STRATEGY);
    QByteArray compressed;
    QByteArray out(256 * 1024, Qt::Uninitialized);
    for (int i = 0; i < times; ++i) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.constData()));
        stream.avail_in = static_cast<uInt>(piece.size());
        const int flush = i + 1 == times ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(out.data());
            stream.avail_out = static_cast<uInt>(out.size());
            deflate(&stream, flush);
            compressed.append(out.constData(), out.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return json(compressed, status).withHeader("Content-Encoding", "gzip");
}

QuorTestHttpResponse QuorTestHttpResponse::gzipBomb(int status)
{
    static const QByteArray bomb = gzipped(QByteArray(1024 * 1024, '\0'), 256).body;
    return json(bomb, status).withHeader("Content-Encoding", "gzip");
}

QuorTestHttpResponse QuorTestHttpResponse::unreadableGzip(bool mislabelled)
{
    // After the header, the deflate data opens with a block of the reserved type.
    const QByteArray corrupt = QByteArray("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10) + QByteArray(70, '\xff');
    const QByteArray plain = R"({"model":"llama3.2","message":{"role":"assistant","content":"text"},"done":true})";
    return json(mislabelled ? plain : corrupt).withHeader("Content-Encoding", "gzip");
}

QuorTestHttpResponse& QuorTestHttpResponse::withHeader(const QByteArray& name, const QByteArray& value)
{
    headers.append(qMakePair(name, value));
    return *this;
}

namespace {
// Every message of Qt's, marked as a translation would change it; placeholders stay as they are.
class ForeignTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* sourceText, const char*, int) const override
    {
        return QStringLiteral("[çeviri] ") + QString::fromUtf8(sourceText);
    }
};

std::atomic<QuorWarningWatch*> activeWatch{nullptr};
} // namespace

QuorForeignQtMessages::QuorForeignQtMessages() : m_translator(std::make_unique<ForeignTranslator>())
{
    QCoreApplication::installTranslator(m_translator.get());
}

QuorForeignQtMessages::~QuorForeignQtMessages()
{
    QCoreApplication::removeTranslator(m_translator.get());
}

QuorWarningWatch::QuorWarningWatch()
{
    activeWatch = this;
    m_previous = qInstallMessageHandler(&QuorWarningWatch::note);
}

QuorWarningWatch::~QuorWarningWatch()
{
    qInstallMessageHandler(m_previous);
    activeWatch = nullptr;
}

QStringList QuorWarningWatch::warnings() const
{
    const std::lock_guard locked(m_lock);
    return m_warnings;
}

void QuorWarningWatch::note(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    QuorWarningWatch* const watch = activeWatch;
    if (watch == nullptr) {
        return;
    }
    if (type != QtDebugMsg && type != QtInfoMsg) {
        const std::lock_guard locked(watch->m_lock);
        watch->m_warnings.append(message);
    }
    if (watch->m_previous) {
        watch->m_previous(type, context, message);
    }
}

QuorTestHttpServer::QuorTestHttpServer(QByteArray address) : m_address(std::move(address)) {}

QuorTestHttpServer::~QuorTestHttpServer()
{
    stop();
}

bool QuorTestHttpServer::start()
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        return false;
    }
    const int yes = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    if (::inet_pton(AF_INET, m_address.constData(), &address.sin_addr) != 1
        || ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(m_listenFd, 64) != 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    if (::pipe2(m_wakePipe, O_CLOEXEC) != 0) {
        return false;
    }
    m_acceptThread = std::thread([this] { acceptLoop(); });
    return true;
}

void QuorTestHttpServer::stop()
{
    if (m_stopping.exchange(true)) {
        return;
    }
    if (m_wakePipe[1] >= 0) {
        const char byte = 'x';
        [[maybe_unused]] const auto ignored = ::write(m_wakePipe[1], &byte, 1);
    }
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    {
        const std::lock_guard lock(m_lock);
        for (const int fd : m_clientFds) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }
    std::vector<std::thread> workers;
    {
        const std::lock_guard lock(m_lock);
        workers.swap(m_workers);
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    for (int* fd : {&m_listenFd, &m_wakePipe[0], &m_wakePipe[1]}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

QUrl QuorTestHttpServer::baseUrl() const
{
    return QUrl(QStringLiteral("http://%1:%2").arg(QString::fromLatin1(m_address)).arg(m_port));
}

QUrl QuorTestHttpServer::url(const QString& pathAndQuery) const
{
    return QUrl(baseUrl().toString() + pathAndQuery);
}

void QuorTestHttpServer::enqueue(const QByteArray& method, const QByteArray& path, QuorTestHttpResponse response)
{
    const std::lock_guard lock(m_lock);
    m_queued[key(method, path)].append(std::move(response));
}

void QuorTestHttpServer::route(const QByteArray& method, const QByteArray& path, QuorTestHttpResponse response)
{
    const std::lock_guard lock(m_lock);
    m_routes[key(method, path)] = std::move(response);
}

void QuorTestHttpServer::setHandler(Handler handler)
{
    const std::lock_guard lock(m_lock);
    m_handler = std::move(handler);
}

QList<QuorTestHttpRequest> QuorTestHttpServer::requests() const
{
    const std::lock_guard lock(m_lock);
    return m_requests;
}

QList<QuorTestHttpRequest> QuorTestHttpServer::requests(const QByteArray& path) const
{
    QList<QuorTestHttpRequest> matching;
    for (const QuorTestHttpRequest& request : requests()) {
        if (request.path == path) {
            matching.append(request);
        }
    }
    return matching;
}

std::optional<QuorTestHttpRequest> QuorTestHttpServer::lastRequest() const
{
    const std::lock_guard lock(m_lock);
    if (m_requests.isEmpty()) {
        return std::nullopt;
    }
    return m_requests.last();
}

int QuorTestHttpServer::requestCount() const
{
    const std::lock_guard lock(m_lock);
    return static_cast<int>(m_requests.size());
}

void QuorTestHttpServer::clearRequests()
{
    const std::lock_guard lock(m_lock);
    m_requests.clear();
}

bool QuorTestHttpServer::waitForRequests(int count, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (requestCount() < count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

qint64 QuorTestHttpServer::waitForSendingToStall(qint64 ceiling, std::chrono::milliseconds quiet,
                                                 std::chrono::milliseconds timeout) const
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    qint64 sent = bodyBytesSent();
    auto lastGrowth = Clock::now();
    while (sent < ceiling && Clock::now() < deadline && Clock::now() - lastGrowth < quiet) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (const qint64 now = bodyBytesSent(); now != sent) {
            sent = now;
            lastGrowth = Clock::now();
        }
    }
    return sent;
}

void QuorTestHttpServer::acceptLoop()
{
    while (!m_stopping) {
        pollfd descriptors[2] = {{m_listenFd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (::poll(descriptors, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if ((descriptors[1].revents & POLLIN) != 0 || m_stopping) {
            return;
        }
        if ((descriptors[0].revents & POLLIN) == 0) {
            continue;
        }
        const int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            continue;
        }
        const std::lock_guard lock(m_lock);
        m_clientFds.push_back(client);
        m_workers.emplace_back([this, client] { serve(client); });
    }
}

QuorTestHttpResponse QuorTestHttpServer::answerFor(const QuorTestHttpRequest& request)
{
    Handler handler;
    {
        const std::lock_guard lock(m_lock);
        m_requests.append(request);
        const QByteArray routeKey = key(request.method, request.path);
        auto queued = m_queued.find(routeKey);
        if (queued != m_queued.end() && !queued->isEmpty()) {
            return queued->takeFirst();
        }
        const auto routed = m_routes.constFind(routeKey);
        if (routed != m_routes.constEnd()) {
            return *routed;
        }
        handler = m_handler;
    }
    if (handler) {
        if (auto answer = handler(request)) {
            return *answer;
        }
    }
    return QuorTestHttpResponse::text("not found", 404);
}

void QuorTestHttpServer::serveEndlessly(int fd, QByteArray head, const QuorTestHttpResponse& response)
{
    const bool announced = std::any_of(response.headers.cbegin(), response.headers.cend(), [](const auto& header) {
        return header.first.toLower() == "content-length";
    });
    const QByteArray piece = announced ? response.endlessPiece
                                       : QByteArray::number(response.endlessPiece.size(), 16) + "\r\n" +
                                             response.endlessPiece + "\r\n";
    if (!announced) {
        head += "Transfer-Encoding: chunked\r\n";
    }
    head += "Connection: close\r\n\r\n";
    // A small send buffer keeps what the kernel holds back, rather than the client, small.
    const int sendBuffer = 64 * 1024;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    // A client that stops reading holds the writes back; one that goes away ends them.
    for (bool ok = sendAll(fd, head); ok && !m_stopping;) {
        ok = sendAll(fd, piece);
        m_bodyBytesSent += response.endlessPiece.size();
        std::this_thread::sleep_for(response.chunkDelay);
    }
}

void QuorTestHttpServer::serve(int fd)
{
    QByteArray buffer;
    bool keepAlive = true;
    while (keepAlive && !m_stopping) {
        qsizetype headerEnd = -1;
        while ((headerEnd = buffer.indexOf("\r\n\r\n")) < 0) {
            if (!readMore(fd, buffer)) {
                keepAlive = false;
                break;
            }
        }
        if (headerEnd < 0) {
            break;
        }
        QuorTestHttpRequest request;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.target = requestLine.value(1);
        const qsizetype question = request.target.indexOf('?');
        request.path = question < 0 ? request.target : request.target.left(question);
        request.query = question < 0 ? QByteArray() : request.target.mid(question + 1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0) {
                request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
            }
        }
        buffer.remove(0, headerEnd + 4);
        const qsizetype contentLength = request.header("content-length").toLongLong();
        while (buffer.size() < contentLength) {
            if (!readMore(fd, buffer)) {
                break;
            }
        }
        request.body = buffer.left(contentLength);
        buffer.remove(0, contentLength);
        keepAlive = request.header("connection").toLower() != "close";

        const QuorTestHttpResponse response = answerFor(request);
        if (response.delay.count() > 0) {
            std::this_thread::sleep_for(response.delay);
        }
        if (response.closeWithoutAnswer) {
            break;
        }
        if (!response.rawAnswer.isEmpty()) {
            sendAll(fd, response.rawAnswer);
            break;
        }
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
        for (const auto& [name, value] : response.headers) {
            head += name + ": " + value + "\r\n";
        }
        if (!response.endlessPiece.isEmpty()) {
            serveEndlessly(fd, head, response);
            break;
        }
        const bool chunked = !response.chunks.isEmpty();
        QByteArray rawBody = response.body;
        if (!response.rawPieces.isEmpty()) {
            rawBody = response.rawPieces.join();
        }
        if (chunked) {
            head += "Transfer-Encoding: chunked\r\n";
        } else {
            head += "Content-Length: " + QByteArray::number(rawBody.size()) + "\r\n";
        }
        head += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
        bool ok = sendAll(fd, head);
        if (chunked) {
            for (const QByteArray& chunk : response.chunks) {
                if (!ok || chunk.isEmpty()) {
                    continue;
                }
                ok = sendAll(fd, QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n");
                std::this_thread::sleep_for(response.chunkDelay);
            }
            ok = ok && sendAll(fd, "0\r\n\r\n");
        } else if (!response.rawPieces.isEmpty()) {
            // A client that went away ends the trickle at once.
            for (qsizetype i = 0; ok && i < response.rawPieces.size(); ++i) {
                ok = sendAll(fd, response.rawPieces[i]);
                std::this_thread::sleep_for(response.chunkDelay);
            }
        } else {
            ok = ok && sendAll(fd, rawBody);
        }
        if (!ok || request.method == "HEAD") {
            break;
        }
    }
    {
        const std::lock_guard lock(m_lock);
        std::erase(m_clientFds, fd);
    }
    ::close(fd);
}
