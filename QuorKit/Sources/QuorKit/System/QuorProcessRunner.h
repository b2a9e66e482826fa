#pragma once

#include "QuorPlatform/Core/QuorCancellationToken.h"
#include "QuorPlatform/Core/QuorError.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <cstdint>
#include <functional>
#include <optional>

// What a finished child left behind.
struct QuorProcessResult {
    // The exit status; 128 + the signal number when the child was killed by a signal.
    std::int32_t exitCode = 0;
    QByteArray stdout; // all of standard output, or its last 32768 bytes
    QByteArray stderr; // the last 32768 bytes of standard error

    // The bytes as UTF-8; invalid sequences become U+FFFD, so this never fails.
    QString stdoutString() const;
    QString stderrString() const;

    bool operator==(const QuorProcessResult&) const = default;
};

// Errors about running tools. The runner itself only throws `cancelled`; `binaryNotFound` and
// `nonZeroExit` are for callers that judge a tool's absence or its status.
class QuorProcessError : public QuorError {
public:
    enum class Kind { binaryNotFound, nonZeroExit, cancelled };

    static QuorProcessError binaryNotFound(const QString& name);
    static QuorProcessError nonZeroExit(std::int32_t code, const QString& stderr);
    static QuorProcessError cancelled();

    Kind kind() const { return m_kind; }
    QString name() const { return m_name; }
    std::int32_t code() const { return m_code; }
    QString stderrText() const { return m_stderr; }

    // The description in the current interface language.
    QString errorDescription() const;

private:
    QuorProcessError(Kind kind, QString english, QString turkish);

    Kind m_kind;
    QString m_name;
    std::int32_t m_code = 0;
    QString m_stderr;
};

// Stops a run from any thread; copies share one state. Once cancelled it stays cancelled and
// stops every later run before launch.
using QuorProcessCancellation = QuorCancellationToken;

// Runs one executable to completion without blocking the caller's event loop.
namespace QuorProcessRunner {

// Starts `executable` (a path; no search path is applied) with `arguments`, standard input at end
// of file, in `workingDirectory` when given, with this process's environment plus `environment`'s
// keys when given. Standard error keeps its last 32768 bytes, standard output too unless
// `captureFullStdout`. `onOutput` receives each chunk that is valid UTF-8 on its own, from either
// stream, on the caller's thread.
//
// A non-zero or signalled exit is a normal result. Throws QuorProcessError::cancelled() when
// `cancellation` is cancelled before the launch or during the run (the child gets SIGTERM, and
// SIGKILL if it is still there shortly after), and quor::platform::ProcessLaunchError when the
// child cannot be started.
QCoro::Task<QuorProcessResult> run(QString executable, QStringList arguments,
                                   std::optional<QString> workingDirectory = std::nullopt,
                                   std::optional<QMap<QString, QString>> environment = std::nullopt,
                                   bool captureFullStdout = false,
                                   std::optional<QuorProcessCancellation> cancellation = std::nullopt,
                                   std::function<void(const QString&)> onOutput = {});

} // namespace QuorProcessRunner
