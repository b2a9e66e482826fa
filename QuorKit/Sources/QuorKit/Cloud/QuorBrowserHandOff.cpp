#include "QuorKit/Cloud/QuorBrowserHandOff.h"

#include "QuorKit/Cloud/QuorSupportLog.h"
#include "QuorKit/Localization/QuorLocalization.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMutex>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <memory>
#include <utility>

namespace QuorBrowserHandOff {

namespace {
QMutex openerLock;
Opener& defaultOpener()
{
    static Opener opener;
    return opener;
}

void logFailure(const QUrl& url)
{
    QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::browser,
                          QStringLiteral("The browser could not be opened for ") + QuorSupportLog::address(url));
}

// Whether `url` may go to the browser; a refusal is logged.
bool mayOpen(const QUrl& url)
{
    if (isWebAddress(url)) {
        return true;
    }
    QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::browser,
                          QStringLiteral("Not handed to the browser (not a web address): ")
                              + QuorSupportLog::address(url));
    return false;
}

// Opens `url` with `opener`, else the default one, else Qt's; a failure is logged.
bool openNow(const QUrl& url, const Opener& opener)
{
    Opener chosen = opener;
    if (!chosen) {
        const QMutexLocker locker(&openerLock);
        chosen = defaultOpener();
    }
    const bool opened = chosen ? chosen(url) : QDesktopServices::openUrl(url);
    if (!opened) {
        logFailure(url);
    }
    return opened;
}

bool hasDefaultOpener()
{
    const QMutexLocker locker(&openerLock);
    return static_cast<bool>(defaultOpener());
}

// Runs the desktop's launcher and tells `done` whether it opened the page: it exited without an
// error, or still runs after launcherPatience (then it waits on the browser it started).
void launch(const QString& launcher, const QUrl& url, std::function<void(bool)> done)
{
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(launcher);
    process->setArguments({url.toString(QUrl::FullyEncoded)});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto pending = std::make_shared<std::function<void(bool)>>(std::move(done));
    const auto tellOnce = [pending](bool opened) {
        if (*pending) {
            std::exchange(*pending, {})(opened);
        }
    };
    QObject::connect(process, &QProcess::finished, process,
                     [process, tellOnce](int exitCode, QProcess::ExitStatus status) {
                         tellOnce(status == QProcess::NormalExit && exitCode == 0);
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, tellOnce](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            tellOnce(false);
            process->deleteLater();
        }
    });
    QTimer::singleShot(launcherPatience, process, [tellOnce] { tellOnce(true); });
    process->start();
}

} // namespace

bool isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

bool open(const QUrl& url, const Opener& opener)
{
    return mayOpen(url) && openNow(url, opener);
}

void openThen(const QUrl& url, QObject* context, Outcome outcome, const Opener& opener)
{
    const QPointer<QObject> receiver(context);
    const auto tell = [receiver, outcome = std::move(outcome)](bool opened) {
        if (receiver && outcome) {
            outcome(opened);
        }
    };
    // Told from the event loop, as the launcher's answer is, so callers meet one order of events.
    const auto tellLater = [tell](bool opened) {
        QTimer::singleShot(0, QCoreApplication::instance(), [tell, opened] { tell(opened); });
    };
    if (!mayOpen(url)) {
        tellLater(false);
        return;
    }
    // Qt's own opening starts the launcher and forgets it: a launcher that failed would read as an
    // opened page.
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener || hasDefaultOpener() || launcher.isEmpty()) {
        tellLater(openNow(url, opener));
        return;
    }
    launch(launcher, url, [url, tell](bool opened) {
        if (!opened) {
            logFailure(url);
        }
        tell(opened);
    });
}

QString failureMessage(std::optional<QuorLanguage> language)
{
    return quorText(QStringLiteral("Your web browser could not be opened. Copy this address and open it in a browser:"),
                    QStringLiteral("Web tarayıcınız açılamadı. Bu adresi kopyalayıp bir tarayıcıda açın:"), {}, language);
}

void setDefaultOpener(Opener opener)
{
    const QMutexLocker locker(&openerLock);
    defaultOpener() = std::move(opener);
}

} // namespace QuorBrowserHandOff
