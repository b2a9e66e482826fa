#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/System/QuorProcessRunner.h"
#include "QuorPlatform/Process/QuorChildProcess.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString shell = QStringLiteral("/bin/sh");

QuorProcessResult runScript(const QString& script, const QStringList& scriptArguments = {},
                            std::optional<QuorProcessCancellation> cancellation = std::nullopt,
                            std::function<void(const QString&)> onOutput = {}, bool captureFullStdout = false)
{
    QStringList arguments{QStringLiteral("-c"), script, QStringLiteral("sh")};
    arguments += scriptArguments;
    return quorAwait(QuorProcessRunner::run(shell, arguments, std::nullopt, std::nullopt, captureFullStdout,
                                            std::move(cancellation), std::move(onOutput)),
                     std::chrono::seconds(30));
}

bool throwsCancelled(const std::function<void()>& work)
{
    try {
        work();
    } catch (const QuorProcessError& error) {
        return error.kind() == QuorProcessError::Kind::cancelled;
    }
    return false;
}

// What `seq 1 20000 | head -c 100000` prints.
QByteArray numberedLines()
{
    QByteArray lines;
    for (int i = 1; lines.size() < 100000; ++i) {
        lines += QByteArray::number(i) + '\n';
    }
    return lines.left(100000);
}

bool processIsGone(pid_t pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

class TestQuorProcessRunner : public QObject {
    Q_OBJECT
private slots:
    void capturesBothStreamsAndTheExitStatus()
    {
        const QuorProcessResult result =
            runScript(QStringLiteral("printf out; printf err >&2; read line || printf ' eof'; exit 3"));
        QCOMPARE(result.exitCode, 3);
        QCOMPARE(result.stdout, QByteArray("out eof"));
        QCOMPARE(result.stderr, QByteArray("err"));

        // Killed by a signal: the shell's 128 + signal number, not a stray status.
        QCOMPARE(runScript(QStringLiteral("printf partial; kill -KILL $$")).exitCode, 128 + SIGKILL);
        QCOMPARE(runScript(QStringLiteral("kill -TERM $$")).exitCode, 128 + SIGTERM);
    }

    void keepsOnlyTheTailOfLargeOutput()
    {
        const QString script = QStringLiteral("seq 1 20000 | head -c 100000; seq 1 20000 | head -c 100000 >&2");
        const QByteArray expected = numberedLines();

        const QuorProcessResult tail = runScript(script);
        QCOMPARE(tail.exitCode, 0);
        QCOMPARE(tail.stdout, expected.right(32768));
        QCOMPARE(tail.stderr, expected.right(32768));

        const QuorProcessResult full = runScript(script, {}, std::nullopt, {}, true);
        QCOMPARE(full.stdout, expected);
        QCOMPARE(full.stderr, expected.right(32768));
    }

    void childGetsTheEnvironmentAndFolderItIsGiven()
    {
        qputenv("QUOR_INHERITED", "kept");
        const QString folder = QDir(quorTestSandboxPath()).filePath(QStringLiteral("work dir"));
        QVERIFY(QDir().mkpath(folder));
        const QString script = QStringLiteral("printf '%s|%s|%s|%s|' \"$QUOR_PROBE\" \"$QUOR_INHERITED\" \"$HOME\" "
                                              "\"$PATH\"; pwd");
        const QMap<QString, QString> environment{{QStringLiteral("QUOR_PROBE"), QStringLiteral("a b")},
                                                 {QStringLiteral("HOME"), QStringLiteral("/replaced")}};
        const QuorProcessResult result = quorAwait(QuorProcessRunner::run(
            shell, {QStringLiteral("-c"), script}, folder, environment));
        QCOMPARE(result.stdoutString(), QStringLiteral("a b|kept|/replaced|%1|%2\n")
                                            .arg(qEnvironmentVariable("PATH"), folder));

        const QuorProcessResult inherited = runScript(QStringLiteral("printf %s \"$QUOR_INHERITED\""));
        QCOMPARE(inherited.stdout, QByteArray("kept"));
        qunsetenv("QUOR_INHERITED");
    }

    void childInheritsNoStrayDescriptors()
    {
        const int stray = ::open("/dev/null", O_RDONLY); // deliberately without close-on-exec
        QVERIFY(stray > 2);
        // No pipeline: the shell would hold the pipe's two ends itself while ls reads its table.
        const QuorProcessResult result = runScript(QStringLiteral("ls /proc/$$/fd"));
        ::close(stray);
        QCOMPARE(result.stdout, QByteArray("0\n1\n2\n"));
    }

    void grandchildHoldingThePipeDoesNotDelayTheResult()
    {
        const QString pidFile = QDir(quorTestSandboxPath()).filePath(QStringLiteral("grandchild.pid"));
        QElapsedTimer elapsed;
        elapsed.start();
        const QuorProcessResult result =
            runScript(QStringLiteral("sleep 30 & echo $! > \"$1\"; echo done; echo also >&2"), {pidFile});
        QVERIFY2(elapsed.elapsed() < 10000, "the run waited for the grandchild");
        QCOMPARE(result.stdout, QByteArray("done\n"));
        QCOMPARE(result.stderr, QByteArray("also\n"));

        QFile file(pidFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const pid_t grandchild = file.readAll().trimmed().toInt();
        QVERIFY(grandchild > 0);
        ::kill(grandchild, SIGKILL);
    }

    void cancelledTokenStopsBeforeLaunch()
    {
        const QString marker = QDir(quorTestSandboxPath()).filePath(QStringLiteral("launched"));
        QuorProcessCancellation token;
        token.cancel();
        QVERIFY(throwsCancelled([&] { runScript(QStringLiteral("touch \"$1\""), {marker}, token); }));
        QVERIFY(throwsCancelled([&] { runScript(QStringLiteral("touch \"$1\""), {marker}, token); }));
        QVERIFY(!QFile::exists(marker));
    }

    void cancellingFromAnotherThreadStopsTheChild()
    {
        QuorProcessCancellation token;
        std::thread canceller;
        QElapsedTimer elapsed;
        elapsed.start();
        const auto onOutput = [&](const QString& text) {
            if (text.contains(QStringLiteral("started")) && !canceller.joinable()) {
                canceller = std::thread([token] { token.cancel(); });
            }
        };
        QVERIFY(throwsCancelled([&] { runScript(QStringLiteral("echo started; exec sleep 30"), {}, token, onOutput); }));
        canceller.join();
        QVERIFY(elapsed.elapsed() < 10000);
    }

    void childIgnoringTerminateIsKilledAfterTheGracePeriod()
    {
        QuorProcessCancellation token;
        QElapsedTimer elapsed;
        elapsed.start();
        const auto onOutput = [&](const QString& text) {
            if (text.contains(QStringLiteral("ready"))) {
                token.cancel();
            }
        };
        QVERIFY(throwsCancelled([&] {
            runScript(QStringLiteral("trap '' TERM; echo ready; while :; do sleep 0.05; done"), {}, token, onOutput);
        }));
        const auto grace = quor::platform::ChildProcess::defaultKillGrace.count();
        QVERIFY(elapsed.elapsed() >= grace - 100);
        QVERIFY(elapsed.elapsed() < grace + 8000);
    }

    void launchFailuresPassThePlatformErrorThrough()
    {
        const auto launchError = [](const QString& executable, std::optional<QString> folder = std::nullopt) {
            try {
                quorAwait(QuorProcessRunner::run(executable, {}, std::move(folder)));
            } catch (const quor::platform::ProcessLaunchError& error) {
                return error.errorNumber();
            }
            return 0;
        };
        QCOMPARE(launchError(QStringLiteral("/nonexistent/tool")), ENOENT);

        const QString plain = QDir(quorTestSandboxPath()).filePath(QStringLiteral("not-executable"));
        QFile file(plain);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        QCOMPARE(launchError(plain), EACCES);
        QCOMPARE(launchError(shell, QStringLiteral("/nonexistent/folder")), ENOENT);
    }

    void reportsValidTextLiveAndKeepsInvalidBytes()
    {
        QStringList reported;
        const auto collect = [&](const QString& text) { reported.append(text); };
        runScript(QStringLiteral("printf 'one\\n'; printf 'two\\n' >&2"), {}, std::nullopt, collect);
        reported.sort();
        QCOMPARE(reported, (QStringList{QStringLiteral("one\n"), QStringLiteral("two\n")}));

        reported.clear();
        const QuorProcessResult result = runScript(QStringLiteral("printf 'bad \\377'"), {}, std::nullopt, collect);
        QVERIFY(reported.isEmpty());
        QCOMPARE(result.stdout, QByteArray("bad \xff"));
        QCOMPARE(result.stdoutString(), QStringLiteral("bad ") + QChar(QChar::ReplacementCharacter));
    }

    void callerEventLoopKeepsRunningDuringARun()
    {
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start(10);
        QElapsedTimer elapsed;
        elapsed.start();
        runScript(QStringLiteral("sleep 0.5"));
        QVERIFY(elapsed.elapsed() >= 450);
        QVERIFY2(ticks >= 5, qPrintable(QStringLiteral("only %1 ticks").arg(ticks)));
    }

    void abandoningAChildKillsAndReapsIt()
    {
        auto child = quor::platform::ChildProcess::start(
            {QStringLiteral("/bin/sleep"), {QStringLiteral("30")}, std::nullopt, std::nullopt}, {});
        const pid_t pid = child->pid();
        QVERIFY(!processIsGone(pid));
        child.reset();
        QVERIFY(processIsGone(pid));
    }

    void errorTexts()
    {
        QCOMPARE(QuorProcessError::nonZeroExit(2, QStringLiteral(" \n\t ")).errorDescription(),
                 QStringLiteral("Process exited with code 2."));
        const QuorProcessError failed = QuorProcessError::nonZeroExit(1, QStringLiteral("\n  boom: bad input \n"));
        QCOMPARE(failed.errorDescription(), QStringLiteral("boom: bad input"));
        QCOMPARE(localizedDescription(failed, QuorLanguage::tr), QStringLiteral("boom: bad input"));
        QCOMPARE(failed.code(), 1);

        const QuorProcessError cancelled = QuorProcessError::cancelled();
        QCOMPARE(localizedDescription(cancelled, QuorLanguage::en), QStringLiteral("Operation cancelled."));
        QCOMPARE(localizedDescription(cancelled, QuorLanguage::tr), QStringLiteral("İşlem iptal edildi."));

        const QuorProcessError missing = QuorProcessError::binaryNotFound(QStringLiteral("maim"));
        QCOMPARE(localizedDescription(missing, QuorLanguage::en),
                 QStringLiteral("Required executable 'maim' was not found."));
        QCOMPARE(localizedDescription(missing, QuorLanguage::tr), QStringLiteral("Gerekli 'maim' aracı bulunamadı."));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorProcessRunner)
#include "tst_quorprocessrunner.moc"
