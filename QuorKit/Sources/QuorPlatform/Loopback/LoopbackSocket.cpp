#include "QuorPlatform/Loopback/LoopbackSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace quor::platform::LoopbackSocket {

std::variant<Listener, BindFailure> bindEphemeral()
{
    // Non-blocking so that a connection that vanishes between poll and accept cannot stall accept.
    UniqueFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket) {
        return BindFailure::socket;
    }
    const int one = 1;
    ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return BindFailure::bind;
    }
    if (::listen(socket.get(), 8) != 0) {
        return BindFailure::listen;
    }
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&bound), &length) != 0 || ntohs(bound.sin_port) == 0) {
        return BindFailure::address;
    }
    return Listener{std::move(socket), ntohs(bound.sin_port)};
}

WaitResult waitForReadable(const std::vector<int>& fds, int wakeFd, int timeoutMs)
{
    std::vector<pollfd> entries;
    entries.reserve(fds.size() + 1);
    for (const int fd : fds) {
        entries.push_back({fd, POLLIN, 0});
    }
    if (wakeFd >= 0) {
        entries.push_back({wakeFd, POLLIN, 0});
    }
    const int ready = ::poll(entries.data(), entries.size(), timeoutMs);
    if (ready < 0) {
        const int error = errno;
        return {error == EINTR ? WaitOutcome::interrupted : WaitOutcome::failed, error, {}};
    }
    constexpr short signalled = POLLIN | POLLERR | POLLHUP | POLLNVAL;
    if (wakeFd >= 0 && (entries.back().revents & signalled) != 0) {
        return {WaitOutcome::cancelled, 0, {}};
    }
    WaitResult result{WaitOutcome::timedOut, 0, {}};
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if ((entries[i].revents & signalled) != 0) {
            result.ready.push_back(fds[i]);
        }
    }
    if (!result.ready.empty()) {
        result.outcome = WaitOutcome::ready;
    }
    return result;
}

AcceptResult acceptClient(int listenFd, std::chrono::seconds ioTimeout)
{
    UniqueFd client(::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC));
    if (!client) {
        return {UniqueFd(), errno};
    }
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(ioTimeout.count());
    ::setsockopt(client.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(client.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    return {std::move(client), 0};
}

qint64 receive(int fd, char* buffer, qint64 capacity)
{
    for (;;) {
        const ssize_t count = ::recv(fd, buffer, static_cast<size_t>(capacity), 0);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        return count;
    }
}

bool sendAll(int fd, const QByteArray& bytes)
{
    const char* cursor = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t sent = ::send(fd, cursor, static_cast<size_t>(left), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        cursor += sent;
        left -= sent;
    }
    return true;
}

std::optional<std::pair<UniqueFd, UniqueFd>> makeWakePipe()
{
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return std::nullopt;
    }
    return std::make_pair(UniqueFd(ends[0]), UniqueFd(ends[1]));
}

void wake(int writeFd)
{
    const char byte = 1;
    ssize_t written = 0;
    do {
        written = ::write(writeFd, &byte, 1);
    } while (written < 0 && errno == EINTR);
}

} // namespace quor::platform::LoopbackSocket
