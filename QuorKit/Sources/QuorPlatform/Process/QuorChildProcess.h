#pragma once

#include "QuorPlatform/Core/QuorError.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include <sys/types.h>

class QSocketNotifier;
class QTimer;

namespace quor::platform {

// The child could not be started: the executable is missing or not executable, the working
// directory cannot be entered, or the system refused a process.
class ProcessLaunchError : public QuorError {
public:
    ProcessLaunchError(const QString& executable, int errorNumber);
    int errorNumber() const { return m_errorNumber; }

private:
    int m_errorNumber;
};

struct ChildProcessOptions {
    QString executable;   // path of the program; no search path is applied
    QStringList arguments; // without the program name
    std::optional<QString> workingDirectory;
    // Keys added to or replaced in this process's environment; absent: inherited unchanged.
    std::optional<QMap<QString, QString>> environment;
};

enum class ChildOutputStream { standardOutput, standardError };

// One running child process, watched from the thread that started it without ever blocking it:
// its standard output and error arrive through socket notifiers on non-blocking pipes, its exit
// through a pidfd. Standard input is the null device. Every descriptor other than 0, 1 and 2 is
// closed in the child. Signals go through the pidfd, so a pid the system has reused after the
// child was reaped is never signalled.
class ChildProcess : public QObject {
    Q_OBJECT
public:
    using OutputHandler = std::function<void(ChildOutputStream, const QByteArray&)>;

    // How long a terminated child has to exit before it is killed.
    static constexpr std::chrono::milliseconds defaultKillGrace{2000};

    // Starts the child; throws ProcessLaunchError. `handler` receives every chunk read, on this
    // thread, until exited() is emitted.
    static std::unique_ptr<ChildProcess> start(const ChildProcessOptions& options, OutputHandler handler);

    // A child still running is killed and reaped.
    ~ChildProcess() override;

    pid_t pid() const { return m_pid; }
    bool hasExited() const { return m_exited; }
    // The exit status, or 128 + the signal number for a child killed by a signal (the shell's
    // convention). Meaningful once hasExited().
    int exitCode() const { return m_exitCode; }
    std::optional<int> terminatingSignal() const { return m_signal; }

    // Asks the child to stop (SIGTERM) and kills it (SIGKILL) when it is still running after
    // `grace`. Repeated calls do nothing more.
    void terminate(std::chrono::milliseconds grace = defaultKillGrace);

signals:
    // Emitted once, after the child was reaped and what it left in the pipes was delivered.
    void exited();

private:
    struct Pipe;

    ChildProcess(pid_t pid, int pidfd, int stdoutFd, int stderrFd, OutputHandler handler);
    void readAvailable(Pipe& pipe);
    void onPidfdReadable();
    void drainAndClose(Pipe& pipe);
    void closePipe(Pipe& pipe);
    bool sendSignal(int signalNumber) const;
    bool reap(bool block);

    pid_t m_pid;
    int m_pidfd;
    std::unique_ptr<Pipe> m_stdout;
    std::unique_ptr<Pipe> m_stderr;
    OutputHandler m_handler;
    QSocketNotifier* m_exitNotifier = nullptr;
    QTimer* m_killTimer = nullptr;
    bool m_exited = false;
    bool m_terminating = false;
    int m_exitCode = -1;
    std::optional<int> m_signal;
};

} // namespace quor::platform
