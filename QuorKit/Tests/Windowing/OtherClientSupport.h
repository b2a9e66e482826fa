#pragma once

#include "QuorPlatform/X11/QuorX11Connection.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

#include <chrono>

// quor_other_client running beside the test: another application's four windows (see its source).
class OtherClient {
public:
    unsigned long normal = 0;
    unsigned long utility = 0;
    unsigned long skipTaskbar = 0;
    unsigned long minimized = 0;

    OtherClient() { m_process.start(QStringLiteral(QUOR_OTHER_CLIENT_PATH), {}); }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;
    ~OtherClient()
    {
        m_process.closeWriteChannel(); // it quits when its input closes
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    // Waits until the window manager manages all four windows.
    bool waitUntilReady()
    {
        const QDeadlineTimer deadline(std::chrono::seconds(15));
        while (!m_process.canReadLine() && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(100);
        }
        const QStringList words = QString::fromLatin1(m_process.readLine().trimmed()).split(QLatin1Char(' '));
        if (words.size() != 5 || words.first() != QStringLiteral("ready")) {
            return false;
        }
        normal = words.at(1).toULong();
        utility = words.at(2).toULong();
        skipTaskbar = words.at(3).toULong();
        minimized = words.at(4).toULong();
        return true;
    }

private:
    QProcess m_process;
};

// What the window manager says of a window, read on this thread's own connection.
inline QList<unsigned long> netWmStates(unsigned long window)
{
    quor::platform::X11Connection* connection = quor::platform::X11Connection::forCurrentThread();
    return connection->property32(window, connection->atom("_NET_WM_STATE")).value_or(QList<unsigned long>{});
}

inline bool hasNetWmState(unsigned long window, const char* state)
{
    return netWmStates(window).contains(quor::platform::X11Connection::forCurrentThread()->atom(state));
}
