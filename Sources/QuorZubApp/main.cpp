#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorZubApp/App/QuorZubApp.h"
#include "QuorZubApp/App/ZubAppIcon.h"
#include "QuorZubApp/App/ZubCommandLine.h"
#include "QuorZubApp/App/ZubDeferredIconStyle.h"
#include "QuorZubApp/App/ZubDesktopEnvironment.h"
#include "QuorZubApp/App/ZubSingleInstanceGuard.h"
#include "QuorZubApp/App/ZubTerminationSignals.h"

#include <QApplication>
#include <QFuture>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication::setOrganizationName(QStringLiteral("Tallowmer"));
    // Also the class of every window (WM_CLASS), which the desktop entry's StartupWMClass names.
    QApplication::setApplicationName(QStringLiteral("QuorZub"));
    // Before the display is opened and before any instance is claimed: --version needs neither,
    // and a mistyped option must not reach a running instance.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const ZubCommandLine commandLine = ZubCommandLine::parse(arguments);
    if (commandLine.action != ZubCommandLine::Action::run) {
        std::fputs(commandLine.text.toLocal8Bit().constData(),
                   commandLine.action == ZubCommandLine::Action::failAndExit ? stderr : stdout);
        return commandLine.exitCode();
    }

    QApplication app(argc, argv);
    ZubDeferredIconStyle::install();
    QApplication::setDesktopFileName(QuorBundle::main().bundleIdentifier());
    // A tray application: closing the studio window leaves it running.
    QApplication::setQuitOnLastWindowClosed(false);

    ZubSingleInstanceGuard guard;
    if (guard.claim() == ZubSingleInstanceGuard::Outcome::handedOver) {
        return 0;
    }

    // Fontconfig's set-up and the font list take a good part of the time to the tray icon, which
    // draws text: they are read on a worker while the rest starts.
    QFuture<void> fontsRead = QtConcurrent::run([] { QuorSymbols::preload(); });
    // Only windows show the application's icon, and the first one is built after the tray icon is
    // up: drawing it can wait for the first turn of the event loop, ahead of that window.
    QTimer::singleShot(0, &app, [] { QApplication::setWindowIcon(ZubAppIcon::icon()); });
    const ZubTerminationSignals terminationSignals;
    QuorZubApp zub(std::make_unique<ZubDesktopEnvironment>());
    QObject::connect(&guard, &ZubSingleInstanceGuard::reopenRequested, &zub, &QuorZubApp::reopen);
    QTimer::singleShot(0, &zub, &QuorZubApp::didFinishLaunching);
    const int status = QApplication::exec();
    // The font database goes with the application object.
    fontsRead.waitForFinished();
    return status;
}
