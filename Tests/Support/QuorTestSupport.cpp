#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <cstdlib>
#include <memory>

namespace {
std::unique_ptr<QTemporaryDir>& sandbox()
{
    static std::unique_ptr<QTemporaryDir> directory;
    return directory;
}
} // namespace

void quorIsolateTestEnvironment()
{
    auto& directory = sandbox();
    if (directory) {
        return;
    }
    directory = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quor-test-XXXXXX"));
    const QString root = directory->path();
    const auto setFolder = [&root](const char* variable, const QString& relative) {
        const QString path = root + QLatin1Char('/') + relative;
        QDir().mkpath(path);
        ::setenv(variable, QFile::encodeName(path).constData(), 1);
    };
    setFolder("HOME", QStringLiteral("home"));
    setFolder("XDG_DATA_HOME", QStringLiteral("home/.local/share"));
    setFolder("XDG_CONFIG_HOME", QStringLiteral("home/.config"));
    setFolder("XDG_CACHE_HOME", QStringLiteral("home/.cache"));
    setFolder("XDG_STATE_HOME", QStringLiteral("home/.local/state"));
    // Tests decide the interface language themselves.
    ::setenv("LANGUAGE", "en", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
}

QString quorTestSandboxPath()
{
    return sandbox() ? sandbox()->path() : QString();
}

QString quorTestDataPath(const QString& relative)
{
    QString root = qEnvironmentVariable("QUOR_TESTDATA_DIR");
    if (root.isEmpty()) {
        root = QStringLiteral("../shared/testdata");
    }
    root = QDir::cleanPath(root);
    return relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
}

namespace quor::test_detail {
QCoro::Task<> captureVoid(QCoro::Task<> task, std::exception_ptr& error, bool& done)
{
    try {
        co_await std::move(task);
    } catch (...) {
        error = std::current_exception();
    }
    done = true;
}

void spinUntil(const bool& done, std::chrono::milliseconds timeout)
{
    QElapsedTimer timer;
    timer.start();
    while (!done) {
        if (timer.elapsed() > timeout.count()) {
            throw std::runtime_error("quorAwait: the task did not finish in time");
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!done) {
            QThread::msleep(1);
        }
    }
}
} // namespace quor::test_detail

void quorAwait(QCoro::Task<>&& task, std::chrono::milliseconds timeout)
{
    std::exception_ptr error;
    bool done = false;
    auto wrapper = quor::test_detail::captureVoid(std::move(task), error, done);
    quor::test_detail::spinUntil(done, timeout);
    if (error) {
        std::rethrow_exception(error);
    }
}

void quorSpin(std::chrono::milliseconds duration)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < duration.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

bool quorIsMapped(const QByteArray& pathPart)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(pathPart);
}
