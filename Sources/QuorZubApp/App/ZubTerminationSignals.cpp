#include "QuorZubApp/App/ZubTerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the event loop.
int pipeEnds[2] = {-1, -1};

void notify(int /*signal*/)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}
} // namespace

ZubTerminationSignals::ZubTerminationSignals(QObject* parent)
    : QObject(parent)
{
    if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [] {
        char bytes[16];
        while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = &notify;
    sigemptyset(&action.sa_mask);
    // The first signal asks for the orderly quit; the handler then gives way to the default.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int signal : kSignals) {
        sigaction(signal, &action, nullptr);
    }
}

ZubTerminationSignals::~ZubTerminationSignals()
{
    if (m_notifier == nullptr) {
        return;
    }
    for (const int signal : kSignals) {
        std::signal(signal, SIG_DFL);
    }
    delete m_notifier;
    m_notifier = nullptr;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}
