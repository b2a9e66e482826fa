#include "Support/QuorTestSupport.h"

#include "QuorKit/System/QuorPermissionCenter.h"
#include "QuorPlatform/KeySynth/QuorKeySynthesizer.h"
#include "QuorPlatform/MouseMonitor/QuorGlobalMouseMonitor.h"
#include "QuorPlatform/Workspace/QuorX11Workspace.h"

#include <QApplication>
#include <QProcess>
#include <QWidget>
#include <QtTest>

#include <X11/Xlib.h>

using quor::platform::GlobalMouseMonitor;
using quor::platform::MouseButtonEvent;

namespace {
// What a GTK or KDE application announces on its windows.
void announce(WId window, const char* property, const QByteArray& value)
{
    Display* display = XOpenDisplay(nullptr);
    XChangeProperty(display, window, XInternAtom(display, property, False), XInternAtom(display, "UTF8_STRING", False), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(value.constData()), static_cast<int>(value.size()));
    XCloseDisplay(display);
}

void xdotool(const QStringList& arguments)
{
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), arguments), 0);
}
} // namespace

class DesktopPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void mouseMonitorReportsButtonsPositionsAndClickCounts()
    {
        GlobalMouseMonitor monitor;
        QList<MouseButtonEvent> events;
        connect(&monitor, &GlobalMouseMonitor::buttonEvent, this, [&events](const MouseButtonEvent& event) {
            QCOMPARE(QThread::currentThread(), qApp->thread());
            events.append(event);
        });
        QVERIFY(monitor.start({400, 5.0}));
        xdotool({QStringLiteral("mousemove"), QStringLiteral("300"), QStringLiteral("200"), QStringLiteral("click"),
                 QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"), QStringLiteral("60"),
                 QStringLiteral("1")});
        QTRY_COMPARE_WITH_TIMEOUT(events.size(), 4, 3000);
        QCOMPARE(events.at(0).kind, MouseButtonEvent::Kind::press);
        QCOMPARE(events.at(0).clickCount, 1);
        QCOMPARE(events.at(1).kind, MouseButtonEvent::Kind::release);
        QCOMPARE(events.at(3).clickCount, 2);
        QCOMPARE(events.at(3).position, QPointF(300, 200));
        QCOMPARE(events.at(3).button, 1);
        QVERIFY(events.at(3).serverTime >= events.at(0).serverTime);

        // Wheel steps are no buttons; the right button is reported as itself.
        events.clear();
        xdotool({QStringLiteral("click"), QStringLiteral("4"), QStringLiteral("click"), QStringLiteral("3")});
        QTRY_COMPARE_WITH_TIMEOUT(events.size(), 2, 3000);
        QCOMPARE(events.at(0).button, 3);

        monitor.stop();
        QVERIFY(!monitor.isRunning());
        events.clear();
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
        quorSpin(std::chrono::milliseconds(200));
        QVERIFY(events.isEmpty());
    }

    void workspaceKnowsTheFrontmostWindowAndActivatesWindows()
    {
        QWidget first;
        first.setWindowTitle(QStringLiteral("first"));
        first.resize(300, 200);
        first.show();
        QVERIFY(QTest::qWaitForWindowActive(&first));
        QTRY_VERIFY_WITH_TIMEOUT(quor::platform::X11Workspace::frontmostApplication().has_value(), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(quor::platform::X11Workspace::frontmostApplication()->window, first.winId(), 3000);
        auto frontmost = quor::platform::X11Workspace::frontmostApplication();
        QCOMPARE(frontmost->processIdentifier, QCoreApplication::applicationPid());
        // Without an announced desktop file, the class in lower case stands in.
        QCOMPARE(frontmost->className, QCoreApplication::applicationName());
        QCOMPARE(frontmost->bundleIdentifier(), QStringLiteral("tst_desktopplatform"));
        announce(first.winId(), "_KDE_NET_WM_DESKTOP_FILE", "org.kde.example.desktop");
        QCOMPARE(quor::platform::X11Workspace::frontmostApplication()->bundleIdentifier(), QStringLiteral("org.kde.example"));
        announce(first.winId(), "_GTK_APPLICATION_ID", "org.example.PlatformTester");
        frontmost = quor::platform::X11Workspace::frontmostApplication();
        QCOMPARE(frontmost->bundleIdentifier(), QStringLiteral("org.example.PlatformTester"));
        QCOMPARE(quor::platform::X11Workspace::focusedApplication()->window, first.winId());
        QVERIFY(quor::platform::X11Workspace::runningApplications().contains(*frontmost));

        QWidget second;
        second.resize(300, 200);
        second.show();
        QVERIFY(QTest::qWaitForWindowActive(&second));
        QVERIFY(quor::platform::X11Workspace::activate(*frontmost));
        QTRY_VERIFY_WITH_TIMEOUT(first.isActiveWindow(), 3000);
        QCOMPARE(quor::platform::X11Workspace::frontmostApplication()->window, first.winId());
    }

    void permissionsReflectTheDisplay()
    {
        QVERIFY(QuorPermissionCenter::isAccessibilityGranted(false));
        QVERIFY(QuorPermissionCenter::isAccessibilityGranted(true));
        QVERIFY(QuorPermissionCenter::isScreenRecordingGranted());
        // Nothing to open, and nothing happens.
        QuorPermissionCenter::openSystemSettings(QuorSystemPermissionKind::accessibility);

        const QByteArray display = qgetenv("DISPLAY");
        qputenv("DISPLAY", ":9999");
        const bool withoutDisplay = QuorPermissionCenter::isAccessibilityGranted(false)
                                    || QuorPermissionCenter::isScreenRecordingGranted();
        qputenv("DISPLAY", display);
        QVERIFY(!withoutDisplay);
    }

    void anotherClientsKeyboardGrabCountsAsSecureInput()
    {
        QVERIFY(!quor::platform::KeySynthesizer::isKeyboardGrabbedElsewhere());
        Display* other = XOpenDisplay(nullptr);
        QVERIFY(other != nullptr);
        QCOMPARE(XGrabKeyboard(other, DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync, CurrentTime),
                 GrabSuccess);
        XSync(other, False);
        QVERIFY(quor::platform::KeySynthesizer::isKeyboardGrabbedElsewhere());
        XUngrabKeyboard(other, CurrentTime);
        XCloseDisplay(other);
        QVERIFY(!quor::platform::KeySynthesizer::isKeyboardGrabbedElsewhere());
    }
};

QUOR_TEST_MAIN(DesktopPlatformTest)
#include "tst_desktopplatform.moc"
