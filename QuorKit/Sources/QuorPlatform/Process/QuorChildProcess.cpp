#include "QuorPlatform/Process/QuorChildProcess.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QSocketNotifier>
#include <QTimer>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quor::platform {

namespace {

// Closes the descriptor it holds unless released.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : m_fd(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&&) = delete;
    ~UniqueFd()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

class SpawnFileActions {
public:
    SpawnFileActions() { ::posix_spawn_file_actions_init(&m_actions); }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    ~SpawnFileActions() { ::posix_spawn_file_actions_destroy(&m_actions); }
    posix_spawn_file_actions_t* get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
};

class SpawnAttributes {
public:
    SpawnAttributes() { ::posix_spawnattr_init(&m_attributes); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&m_attributes); }
    posix_spawnattr_t* get() { return &m_attributes; }

private:
    posix_spawnattr_t m_attributes;
};

QString errorText(int errorNumber)
{
    const char* description = ::strerrordesc_np(errorNumber);
    return description != nullptr ? QString::fromUtf8(description) : QStringLiteral("error %1").arg(errorNumber);
}

// Both ends close on exec; only the child's copies made by dup2 survive into it.
std::array<UniqueFd, 2> makePipe(const QString& executable)
{
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw ProcessLaunchError(executable, errno);
    }
    std::array<UniqueFd, 2> pipe{UniqueFd(ends[0]), UniqueFd(ends[1])};
    // Only our reading end: the writing end's flags are the child's.
    const int flags = ::fcntl(ends[0], F_GETFL);
    if (flags < 0 || ::fcntl(ends[0], F_SETFL, flags | O_NONBLOCK) != 0) {
        throw ProcessLaunchError(executable, errno);
    }
    return pipe;
}

std::vector<char*> pointersTo(std::vector<QByteArray>& strings)
{
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (QByteArray& string : strings) {
        pointers.push_back(string.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

std::vector<QByteArray> environmentWith(const QMap<QString, QString>& overrides)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it) {
        environment.insert(it.key(), it.value());
    }
    std::vector<QByteArray> entries;
    const QStringList list = environment.toStringList();
    entries.reserve(static_cast<size_t>(list.size()));
    for (const QString& entry : list) {
        entries.push_back(entry.toUtf8());
    }
    return entries;
}

int pidfdOpen(pid_t pid)
{
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

} // namespace

ProcessLaunchError::ProcessLaunchError(const QString& executable, int errorNumber)
    : QuorError(QStringLiteral("The program '%1' could not be started: %2.").arg(executable, errorText(errorNumber)),
                QStringLiteral("'%1' programı başlatılamadı: %2.").arg(executable, errorText(errorNumber))),
      m_errorNumber(errorNumber)
{
}

struct ChildProcess::Pipe {
    int fd = -1;
    ChildOutputStream stream = ChildOutputStream::standardOutput;
    QSocketNotifier* notifier = nullptr;
};

std::unique_ptr<ChildProcess> ChildProcess::start(const ChildProcessOptions& options, OutputHandler handler)
{
    const QByteArray path = QFile::encodeName(options.executable);
    std::array<UniqueFd, 2> outPipe = makePipe(options.executable);
    std::array<UniqueFd, 2> errPipe = makePipe(options.executable);

    SpawnFileActions actions;
    ::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(actions.get(), outPipe[1].get(), STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(actions.get(), errPipe[1].get(), STDERR_FILENO);
    if (options.workingDirectory) {
        ::posix_spawn_file_actions_addchdir_np(actions.get(), QFile::encodeName(*options.workingDirectory).constData());
    }
    // Descriptors that a library opened without close-on-exec must not leak into the child either.
    ::posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1);

    // The child starts with no blocked signals and default dispositions, whatever this process
    // ignores or blocks.
    SpawnAttributes attributes;
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t allSignals;
    sigfillset(&allSignals);
    ::posix_spawnattr_setsigmask(attributes.get(), &noSignals);
    ::posix_spawnattr_setsigdefault(attributes.get(), &allSignals);
    ::posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<QByteArray> arguments{path};
    for (const QString& argument : options.arguments) {
        arguments.push_back(argument.toUtf8());
    }
    std::vector<char*> argv = pointersTo(arguments);
    std::vector<QByteArray> environment;
    std::vector<char*> envp;
    if (options.environment) {
        environment = environmentWith(*options.environment);
        envp = pointersTo(environment);
    }

    pid_t pid = -1;
    const int spawnError = ::posix_spawn(&pid, path.constData(), actions.get(), attributes.get(), argv.data(),
                                         options.environment ? envp.data() : environ);
    if (spawnError != 0) {
        throw ProcessLaunchError(options.executable, spawnError);
    }

    const int pidfd = pidfdOpen(pid);
    if (pidfd < 0) {
        // The child is not reaped yet, so its pid cannot have been reused: a plain kill is safe here.
        const int openError = errno;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        throw ProcessLaunchError(options.executable, openError);
    }
    return std::unique_ptr<ChildProcess>(
        new ChildProcess(pid, pidfd, outPipe[0].release(), errPipe[0].release(), std::move(handler)));
}

ChildProcess::ChildProcess(pid_t pid, int pidfd, int stdoutFd, int stderrFd, OutputHandler handler)
    : m_pid(pid), m_pidfd(pidfd), m_stdout(std::make_unique<Pipe>()), m_stderr(std::make_unique<Pipe>()),
      m_handler(std::move(handler))
{
    const auto watch = [this](Pipe& pipe, int fd, ChildOutputStream stream) {
        pipe.fd = fd;
        pipe.stream = stream;
        pipe.notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(pipe.notifier, &QSocketNotifier::activated, this, [this, &pipe] { readAvailable(pipe); });
    };
    watch(*m_stdout, stdoutFd, ChildOutputStream::standardOutput);
    watch(*m_stderr, stderrFd, ChildOutputStream::standardError);
    m_exitNotifier = new QSocketNotifier(m_pidfd, QSocketNotifier::Read, this);
    connect(m_exitNotifier, &QSocketNotifier::activated, this, &ChildProcess::onPidfdReadable);
}

ChildProcess::~ChildProcess()
{
    if (!m_exited && m_pidfd >= 0) {
        sendSignal(SIGKILL);
        reap(true);
    }
    closePipe(*m_stdout);
    closePipe(*m_stderr);
    delete m_exitNotifier;
    if (m_pidfd >= 0) {
        ::close(m_pidfd);
    }
}

void ChildProcess::terminate(std::chrono::milliseconds grace)
{
    if (m_exited || m_terminating) {
        return;
    }
    m_terminating = true;
    sendSignal(SIGTERM);
    m_killTimer = new QTimer(this);
    m_killTimer->setSingleShot(true);
    connect(m_killTimer, &QTimer::timeout, this, [this] {
        if (!m_exited) {
            sendSignal(SIGKILL);
        }
    });
    m_killTimer->start(grace);
}

void ChildProcess::readAvailable(Pipe& pipe)
{
    // A bounded number of reads per wake-up keeps a flood from one pipe from starving the loop.
    constexpr int maximumReads = 16;
    std::array<char, 65536> buffer;
    for (int round = 0; round < maximumReads && pipe.fd >= 0; ++round) {
        const ssize_t count = ::read(pipe.fd, buffer.data(), buffer.size());
        if (count > 0) {
            if (m_handler) {
                m_handler(pipe.stream, QByteArray(buffer.data(), count));
            }
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        } else {
            closePipe(pipe); // end of file, or a read error that will not go away
        }
    }
}

void ChildProcess::onPidfdReadable()
{
    if (!reap(false)) {
        return;
    }
    if (m_killTimer != nullptr) {
        m_killTimer->stop();
    }
    drainAndClose(*m_stdout);
    drainAndClose(*m_stderr);
    emit exited();
}

// Takes only what is in the pipe now. Waiting for end of file instead would hang for as long as a
// grandchild that inherited the pipe keeps it open.
void ChildProcess::drainAndClose(Pipe& pipe)
{
    if (pipe.fd < 0) {
        return;
    }
    int pending = 0;
    if (::ioctl(pipe.fd, FIONREAD, &pending) == 0 && pending > 0) {
        QByteArray rest(pending, Qt::Uninitialized);
        qsizetype filled = 0;
        while (filled < rest.size()) {
            const ssize_t count = ::read(pipe.fd, rest.data() + filled, static_cast<size_t>(rest.size() - filled));
            if (count > 0) {
                filled += count;
            } else if (count < 0 && errno == EINTR) {
                continue;
            } else {
                break;
            }
        }
        rest.truncate(filled);
        if (!rest.isEmpty() && m_handler) {
            m_handler(pipe.stream, rest);
        }
    }
    closePipe(pipe);
}

void ChildProcess::closePipe(Pipe& pipe)
{
    if (pipe.notifier != nullptr) {
        // This may run inside the notifier's own activation: disable now, delete later.
        pipe.notifier->setEnabled(false);
        pipe.notifier->deleteLater();
        pipe.notifier = nullptr;
    }
    if (pipe.fd >= 0) {
        ::close(pipe.fd);
        pipe.fd = -1;
    }
}

bool ChildProcess::sendSignal(int signalNumber) const
{
    return ::syscall(SYS_pidfd_send_signal, m_pidfd, signalNumber, nullptr, 0) == 0;
}

// Collects the exit status; false while the child still runs (only when not blocking).
bool ChildProcess::reap(bool block)
{
    siginfo_t info;
    std::memset(&info, 0, sizeof info);
    int result = 0;
    do {
        result = ::waitid(P_PIDFD, static_cast<id_t>(m_pidfd), &info, WEXITED | (block ? 0 : WNOHANG));
    } while (result < 0 && errno == EINTR);
    if (result == 0 && info.si_pid == 0) {
        return false;
    }
    m_exited = true;
    m_exitNotifier->setEnabled(false);
    if (result < 0) {
        m_exitCode = -1; // reaped elsewhere (SIGCHLD ignored): the status is lost
    } else if (info.si_code == CLD_EXITED) {
        m_exitCode = info.si_status;
    } else {
        m_signal = info.si_status;
        m_exitCode = 128 + info.si_status;
    }
    return true;
}

} // namespace quor::platform
