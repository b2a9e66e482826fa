#pragma once

#include "QuorPlatform/Loopback/UniqueFd.h"

#include <QByteArray>
#include <QtGlobal>

#include <chrono>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

// Plain sockets for a short-lived HTTP listener on 127.0.0.1. Every descriptor is close-on-exec, and
// nothing here can raise SIGPIPE: a peer that has gone away only makes a send fail.
namespace quor::platform::LoopbackSocket {

struct Listener {
    UniqueFd socket;
    quint16 port = 0; // host byte order
};

enum class BindFailure { socket, bind, listen, address };

// A listening IPv4 socket on 127.0.0.1 with a port the system picks (backlog 8, SO_REUSEADDR).
std::variant<Listener, BindFailure> bindEphemeral();

enum class WaitOutcome { ready, cancelled, timedOut, interrupted, failed };
struct WaitResult {
    WaitOutcome outcome = WaitOutcome::failed;
    int error = 0;          // errno for `failed`
    std::vector<int> ready; // for `ready`: the members of the watched list that can be read
};

// Blocks until one of `fds` can be read (a listener can accept, a client sent bytes, is in error or
// hung up), `wakeFd` (when not negative) reports anything, or `timeoutMs` passes. A wake descriptor
// that is readable, in error or hung up reads as cancelled.
WaitResult waitForReadable(const std::vector<int>& fds, int wakeFd, int timeoutMs);

struct AcceptResult {
    UniqueFd client;
    int error = 0; // errno when no client; EINTR and EAGAIN mean "try again later"
};

// Accepts one connection and gives it receive and send time-outs of `ioTimeout`.
AcceptResult acceptClient(int listenFd, std::chrono::seconds ioTimeout);

// One read: the byte count, 0 at the end of the stream, -1 on an error or a time-out.
qint64 receive(int fd, char* buffer, qint64 capacity);

// Writes every byte, resuming after partial writes; stops silently when a write fails.
bool sendAll(int fd, const QByteArray& bytes);

// A self-pipe for waking a blocked wait: (read end, write end), both non-blocking.
std::optional<std::pair<UniqueFd, UniqueFd>> makeWakePipe();
// Writes the single byte 1 to a wake pipe's write end.
void wake(int writeFd);

} // namespace quor::platform::LoopbackSocket
