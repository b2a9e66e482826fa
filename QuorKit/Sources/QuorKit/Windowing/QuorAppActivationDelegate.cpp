#include "QuorKit/Windowing/QuorAppActivationDelegate.h"

#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorAppVersion.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorNotificationCenter.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSysInfo>
#include <QTimer>
#include <QWidget>

namespace {
constexpr int kLaunchActivationDelayMs = 100;

std::optional<QString> stringEntry(const QuorBundle& bundle, const QString& key)
{
    const QVariant value = bundle.infoDictionary().value(key);
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

// Panels, popups, tool windows and windows that never take focus are not main windows; neither
// is a window the window manager never sees, such as the icon a system tray embeds.
bool canBecomeMain(const QWidget* window)
{
    if (!window->isWindow() || !window->isVisible()) {
        return false;
    }
    const Qt::WindowType type = window->windowType();
    if (type != Qt::Window && type != Qt::Dialog) {
        return false;
    }
    const Qt::WindowFlags flags = window->windowFlags();
    return !flags.testFlag(Qt::WindowDoesNotAcceptFocus) && !flags.testFlag(Qt::BypassWindowManagerHint)
        && !window->testAttribute(Qt::WA_ShowWithoutActivating);
}
} // namespace

QuorAppActivationDelegate::QuorAppActivationDelegate(QObject* parent) : QObject(parent) {}

QString QuorAppActivationDelegate::resolvedAppName(const QuorBundle& bundle, const QString& processName)
{
    if (auto name = stringEntry(bundle, QStringLiteral("CFBundleDisplayName"))) {
        return *name;
    }
    if (auto name = stringEntry(bundle, QStringLiteral("CFBundleName"))) {
        return *name;
    }
    return processName;
}

QString QuorAppActivationDelegate::launchMessage(const QuorBundle& bundle, const QString& processName,
                                                 const QString& system)
{
    const QuorAppVersion version =
        QuorAppVersion::current(bundle, QStringLiteral("1.0.0"), QStringLiteral("100"));
    return resolvedAppName(bundle, processName) + QStringLiteral(" v") + version.shortVersion + QStringLiteral(" (")
        + version.buildNumber + QStringLiteral(")") + QStringLiteral(" launched (") + system + QStringLiteral(")");
}

QString QuorAppActivationDelegate::systemDescription()
{
    return QSysInfo::prettyProductName() + QStringLiteral(", Linux ") + QSysInfo::kernelVersion();
}

void QuorAppActivationDelegate::applicationDidFinishLaunching()
{
    const QuorBundle& bundle = QuorBundle::main();
    const QString processName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString name = resolvedAppName(bundle, processName);
    QuorAppLogger::shared(name)->info(launchMessage(bundle, processName, systemDescription()),
                                      QStringLiteral("lifecycle"));
    // A desktop application has no activation policy to set: its windows are always regular.
    // X11 has no application-wide activation either: fronting the window activates it.
    QTimer::singleShot(kLaunchActivationDelayMs, this, [] { bringStudioWindowToFront(); });
}

bool QuorAppActivationDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    if (hasVisibleWindows) {
        bringStudioWindowToFront();
    } else {
        QuorNotificationCenter::defaultCenter().post(quorReopenStudioWindow);
    }
    return true;
}

QWidget* QuorAppActivationDelegate::studioWindowCandidate(const QList<QWidget*>& windows)
{
    for (QWidget* window : windows) {
        if (window != nullptr && canBecomeMain(window)) {
            return window;
        }
    }
    return nullptr;
}

bool QuorAppActivationDelegate::hasVisibleWindows()
{
    return studioWindowCandidate(QApplication::topLevelWidgets()) != nullptr;
}

void QuorAppActivationDelegate::bringStudioWindowToFront()
{
    QWidget* window = studioWindowCandidate(QApplication::topLevelWidgets());
    if (window == nullptr) {
        return;
    }
    if (window->isMinimized()) {
        // Restored to what it was before (maximized stays maximized).
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
    }
    window->raise();
    window->activateWindow();
}
