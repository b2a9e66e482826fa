#pragma once

// Shared pieces of the credits tests: a browser that visits the loopback listener, and a few
// gateway answers.
//
// JSON texts in raw string literals write "//" as "\/\/" (a valid JSON escape): moc's scanner takes a
// "//" inside a raw string for a comment and then misses the test class.

#include "Support/QuorTestHttpServer.h"

#include <QByteArray>
#include <QUrl>
#include <QUrlQuery>

#include <arpa/inet.h>
#include <chrono>
#include <future>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

// Plays the user's browser: sends one raw request to 127.0.0.1:<port> on its own thread and keeps
// the whole answer (until the server closes the connection).
class FakeBrowser {
public:
    ~FakeBrowser()
    {
        for (auto& thread : m_threads) {
            thread.join();
        }
    }

    // Starts a visit; the returned future gives the raw answer ("" when nothing came back).
    std::shared_future<QByteArray> visit(quint16 port, const QByteArray& target)
    {
        return send(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html\r\n\r\n");
    }

    std::shared_future<QByteArray> send(quint16 port, const QByteArray& request)
    {
        auto promise = std::make_shared<std::promise<QByteArray>>();
        std::shared_future<QByteArray> future = promise->get_future().share();
        m_threads.emplace_back([port, request, promise] { promise->set_value(exchange(port, request)); });
        return future;
    }

    static QByteArray exchange(quint16 port, const QByteArray& request)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return {};
        }
        timeval limit{};
        limit.tv_sec = 15;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QByteArray answer;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            ::send(fd, request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL);
            char buffer[4096];
            for (;;) {
                const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
                if (count <= 0) {
                    break;
                }
                answer.append(buffer, static_cast<qsizetype>(count));
            }
        }
        ::close(fd);
        return answer;
    }

    static bool isRefused(quint16 port)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool refused = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0;
        ::close(fd);
        return refused;
    }

private:
    std::vector<std::thread> m_threads;
};

inline QByteArray waitFor(const std::shared_future<QByteArray>& future,
                          std::chrono::milliseconds timeout = std::chrono::seconds(15))
{
    if (future.wait_for(timeout) != std::future_status::ready) {
        return "<no answer in time>";
    }
    return future.get();
}

// The redirect port and state of a connect address.
struct ConnectTarget {
    quint16 port = 0;
    QString state;
    QString challenge;
};

inline ConnectTarget connectTarget(const QUrl& connectURL)
{
    const QUrlQuery query(connectURL);
    const QUrl redirect(query.queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded));
    return {static_cast<quint16>(redirect.port()), query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded),
            query.queryItemValue(QStringLiteral("code_challenge"), QUrl::FullyDecoded)};
}

inline QuorTestHttpResponse profileAnswer(qint64 availableMicros = 5'000'000)
{
    return QuorTestHttpResponse::json(R"({"user_id":"u1","email":"ada@example.com","available_micros":)"
                                      + QByteArray::number(availableMicros) + R"(,"held_micros":0})");
}

inline QuorTestHttpResponse modelsAnswer()
{
    return QuorTestHttpResponse::json(
        R"({"credit_unit_micros":1000,"aliases":["fast"],"providers":[{"id":"p1","name":"One","description":"d",)"
        R"("status":"active","price_multiplier":1.2,"hold_usd":0.05,"models":["m1","m2"]}]})");
}
