#include "QuorKit/System/QuorBundle.h"
#include "QuorZubApp/App/QuorZubApp.h"
#include "QuorZubApp/App/ZubDesktopEnvironment.h"
#include "QuorZubApp/App/ZubSingleInstanceGuard.h"
#include "QuorZubApp/App/ZubTerminationSignals.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tallowmer"));
    QApplication::setApplicationName(QStringLiteral("QuorZub"));
    QApplication::setDesktopFileName(QuorBundle::main().bundleIdentifier());
    if (const auto icon = QuorBundle::main().pathForResource(QStringLiteral("com.tallowmer.quorzub"), QStringLiteral("png"),
                                                             QStringLiteral("icons"))) {
        QApplication::setWindowIcon(QIcon(*icon));
    }
    // A tray application: closing the studio window leaves it running.
    QApplication::setQuitOnLastWindowClosed(false);

    ZubSingleInstanceGuard guard;
    if (guard.claim() == ZubSingleInstanceGuard::Outcome::handedOver) {
        return 0;
    }

    const ZubTerminationSignals terminationSignals;
    QuorZubApp zub(std::make_unique<ZubDesktopEnvironment>());
    QObject::connect(&guard, &ZubSingleInstanceGuard::reopenRequested, &zub, &QuorZubApp::reopen);
    QTimer::singleShot(0, &zub, &QuorZubApp::didFinishLaunching);
    return QApplication::exec();
}
