#include "../Windowing/OtherClientSupport.h"
#include "Support/QuorRootWindowProperties.h"
#include "Support/QuorTestSupport.h"
#include "Support/QuorX11Input.h"

#include "QuorKit/System/QuorPermissionCenter.h"
#include "QuorPlatform/KeySynth/QuorKeySynthesizer.h"
#include "QuorPlatform/KeySynth/QuorKeyTarget.h"
#include "QuorPlatform/MouseMonitor/QuorGlobalMouseMonitor.h"
#include "QuorPlatform/Workspace/QuorX11Workspace.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QWidget>
#include <QtTest>

#include <map>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#undef KeyPress

using quor::platform::GlobalMouseMonitor;
using quor::platform::KeyPressEvent;
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

void play(const PointerGesture& gesture)
{
    Display* display = XOpenDisplay(nullptr);
    quorPerform(display, gesture);
    XCloseDisplay(display);
}

// Counts the Escape presses a widget receives.
class EscapeCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            ++count;
        }
        return false;
    }
};

// A keycode the keyboard map leaves empty, mapped to a keysym of the test's choice and typed with
// XTest; empty again when the object goes.
class SpareKey {
public:
    SpareKey() : m_display(XOpenDisplay(nullptr))
    {
        int first = 0;
        int last = 0;
        XDisplayKeycodes(m_display, &first, &last);
        int perCode = 0;
        KeySym* map = XGetKeyboardMapping(m_display, static_cast<KeyCode>(first), last - first + 1, &perCode);
        for (int code = last; code >= first && m_code == 0; --code) {
            bool empty = true;
            for (int level = 0; level < perCode; ++level) {
                empty = empty && map[(code - first) * perCode + level] == NoSymbol;
            }
            m_code = empty ? static_cast<KeyCode>(code) : 0;
        }
        XFree(map);
    }
    ~SpareKey()
    {
        map(NoSymbol);
        XCloseDisplay(m_display);
    }
    SpareKey(const SpareKey&) = delete;
    SpareKey& operator=(const SpareKey&) = delete;

    bool isValid() const { return m_code != 0; }
    void map(KeySym keysym)
    {
        XChangeKeyboardMapping(m_display, m_code, 1, &keysym, 1);
        XSync(m_display, False);
    }
    void tap()
    {
        XTestFakeKeyEvent(m_display, m_code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, m_code, False, CurrentTime);
        XSync(m_display, False);
    }

private:
    Display* m_display;
    KeyCode m_code = 0;
};
// Another client's window that holds the input focus and counts the FocusOut events it receives.
class FocusOutRecorder {
public:
    FocusOutRecorder() : m_display(XOpenDisplay(nullptr))
    {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = FocusChangeMask;
        m_window = XCreateWindow(m_display, DefaultRootWindow(m_display), 40, 40, 120, 80, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
        XMapRaised(m_display, m_window);
        XSync(m_display, False);
    }
    ~FocusOutRecorder()
    {
        XDestroyWindow(m_display, m_window);
        XCloseDisplay(m_display);
    }
    FocusOutRecorder(const FocusOutRecorder&) = delete;
    FocusOutRecorder& operator=(const FocusOutRecorder&) = delete;

    // Takes the focus (again) until it holds it.
    bool hasFocus()
    {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(m_display, &focus, &revert);
        if (focus != m_window) {
            XSetInputFocus(m_display, m_window, RevertToParent, CurrentTime);
            XSync(m_display, False);
            return false;
        }
        drain();
        m_focusOuts = 0;
        return true;
    }
    int focusOuts()
    {
        XSync(m_display, False);
        drain();
        return m_focusOuts;
    }

private:
    void drain()
    {
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            m_focusOuts += event.type == FocusOut ? 1 : 0;
        }
    }

    Display* m_display;
    Window m_window = None;
    int m_focusOuts = 0;
};

// What the root names as the window manager's check window.
enum class CheckWindow { ofTheWindowManager, missing, closed, notNamingItself };
} // namespace

Q_DECLARE_METATYPE(CheckWindow)

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
        // A double click, its gap timed by the X server rather than by a process a busy machine may hold up.
        play(PointerGesture().click(QPoint(300, 200)).click(QPoint(300, 200), std::chrono::milliseconds(60)));
        QUOR_TRY_COMPARE(events.size(), 4);
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
        QUOR_TRY_COMPARE(events.size(), 2);
        QCOMPARE(events.at(0).button, 3);

        monitor.stop();
        QVERIFY(!monitor.isRunning());
        events.clear();
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
        quorSpin(std::chrono::milliseconds(200));
        QVERIFY(events.isEmpty());
    }

    void monitorReportsOnlyTheKeysAskedForWithoutTakingThem()
    {
        QLineEdit field;
        field.show();
        field.activateWindow();
        QUOR_TRY_VERIFY(field.hasFocus());
        EscapeCounter escapes;
        field.installEventFilter(&escapes);

        GlobalMouseMonitor escapeMonitor;
        QList<KeyPressEvent> reported;
        connect(&escapeMonitor, &GlobalMouseMonitor::keyPressed, this, [&reported](const KeyPressEvent& event) {
            QCOMPARE(QThread::currentThread(), qApp->thread());
            reported.append(event);
        });
        QVERIFY(escapeMonitor.start({400, 5.0, {XK_Escape}}));
        // A monitor asked for no keys (the selection watcher's) hears none.
        GlobalMouseMonitor mouseOnly;
        int keysHeardByMouseOnly = 0;
        connect(&mouseOnly, &GlobalMouseMonitor::keyPressed, this, [&keysHeardByMouseOnly] { ++keysHeardByMouseOnly; });
        QVERIFY(mouseOnly.start({}));

        xdotool({QStringLiteral("key"), QStringLiteral("a"), QStringLiteral("Escape"), QStringLiteral("shift+Escape"),
                 QStringLiteral("b")});
        QUOR_TRY_COMPARE(reported.size(), 2);
        QCOMPARE(reported.at(0).keysym, static_cast<unsigned long>(XK_Escape));
        QCOMPARE(reported.at(1).keysym, static_cast<unsigned long>(XK_Escape));
        QVERIFY(reported.at(1).serverTime >= reported.at(0).serverTime);
        // The focused window still got every key, Escape included.
        QUOR_TRY_COMPARE(field.text(), QStringLiteral("ab"));
        QCOMPARE(escapes.count, 2);

        // A key remapped to Escape while the monitor runs is heard as Escape, and no longer once
        // the mapping is undone.
        SpareKey spare;
        QVERIFY(spare.isValid());
        reported.clear();
        spare.map(XK_Escape);
        spare.tap();
        QUOR_TRY_COMPARE(reported.size(), 1);
        spare.map(NoSymbol);
        spare.tap();
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QUOR_TRY_COMPARE(reported.size(), 2);
        quorSpin(std::chrono::milliseconds(200));
        QCOMPARE(reported.size(), 2);
        QCOMPARE(keysHeardByMouseOnly, 0);
    }

    void workspaceKnowsTheFrontmostWindowAndActivatesWindows()
    {
        QWidget first;
        first.setWindowTitle(QStringLiteral("first"));
        first.resize(300, 200);
        first.show();
        QVERIFY(QTest::qWaitForWindowActive(&first, quorPatienceMs));
        QUOR_TRY_VERIFY(quor::platform::X11Workspace::frontmostApplication().has_value());
        QUOR_TRY_COMPARE(quor::platform::X11Workspace::frontmostApplication()->window, first.winId());
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
        QVERIFY(QTest::qWaitForWindowActive(&second, quorPatienceMs));
        QVERIFY(quor::platform::X11Workspace::activate(*frontmost));
        QUOR_TRY_VERIFY(first.isActiveWindow());
        QCOMPARE(quor::platform::X11Workspace::frontmostApplication()->window, first.winId());
    }

    // A window manager that has gone leaves its active window named on the root window, here one
    // of ours that has since closed: it is believed only while a window manager runs, and then the
    // window with the focus is the frontmost one, another application's.
    void theActiveWindowCountsOnlyWhileAWindowManagerRuns_data()
    {
        QTest::addColumn<CheckWindow>("check");
        QTest::newRow("window manager running") << CheckWindow::ofTheWindowManager;
        QTest::newRow("no check window") << CheckWindow::missing;
        QTest::newRow("check window closed") << CheckWindow::closed;
        QTest::newRow("check window not naming itself") << CheckWindow::notNamingItself;
    }
    void theActiveWindowCountsOnlyWhileAWindowManagerRuns()
    {
        QFETCH(const CheckWindow, check);
        using namespace quor::platform;
        if (X11Connection::forCurrentThread() == nullptr || !QuorRootWindowProperties().onTestDesktop()) {
            QSKIP("needs the private test desktop, whose root window the test may change");
        }
        OtherClient other;
        QVERIFY(other.waitUntilReady());
        WindowApplication otherApplication;
        otherApplication.window = other.normal;
        QVERIFY(X11Workspace::activate(otherApplication));
        // The window manager has done with the other client's windows, each focused as it came, once
        // the window asked for holds the focus and it names that window.
        QUOR_TRY_VERIFY(X11Workspace::inputFocus().topLevel == other.normal
                        && X11Workspace::activeWindow() == other.normal);
        auto studio = std::make_unique<QWidget>();
        const unsigned long closed = studio->winId();
        studio.reset();

        QuorRootWindowProperties root;
        const std::map<CheckWindow, std::optional<unsigned long>> checkWindows{
            {CheckWindow::ofTheWindowManager, root.checkWindow()},
            {CheckWindow::missing, std::nullopt},
            {CheckWindow::closed, closed},
            {CheckWindow::notNamingItself, other.normal},
        };
        root.write(QuorRootWindowProperties::check, checkWindows.at(check));
        root.write(QuorRootWindowProperties::active, closed);

        const bool believed = check == CheckWindow::ofTheWindowManager;
        const auto frontmost = X11Workspace::frontmostApplication();
        QVERIFY(frontmost.has_value());
        QCOMPARE(frontmost->window, believed ? closed : other.normal);
        QCOMPARE(frontmost->processIdentifier == QCoreApplication::applicationPid(), believed);
        QCOMPARE(KeyTarget::currentWindows().active, believed ? closed : other.normal);
        // The window manager, still running, left the root as the test set it.
        QCOMPARE(root.read(QuorRootWindowProperties::active), std::optional<unsigned long>(closed));
    }

    void permissionsReflectTheDisplay()
    {
        QVERIFY(QuorPermissionCenter::isAccessibilityGranted(false));
        QVERIFY(QuorPermissionCenter::isAccessibilityGranted(true));
        QVERIFY(QuorPermissionCenter::isScreenRecordingGranted());
        // Nothing to open, and nothing happens.
        QuorPermissionCenter::openSystemSettings(QuorSystemPermissionKind::accessibility);

        // Asked again, a thread uses the connection it has, not a new one: a display that is no
        // longer named still answers. A thread with no connection yet finds no display there.
        const QByteArray display = qgetenv("DISPLAY");
        qputenv("DISPLAY", ":9999");
        const bool onThisThread = QuorPermissionCenter::isAccessibilityGranted(false);
        bool withoutDisplay = true;
        std::thread([&withoutDisplay] {
            withoutDisplay = QuorPermissionCenter::isAccessibilityGranted(false)
                             || QuorPermissionCenter::isScreenRecordingGranted();
        }).join();
        qputenv("DISPLAY", display);
        QVERIFY(onThisThread);
        QVERIFY(!withoutDisplay);
    }

    // The check takes no grab: the focused window of another client never sees its focus go.
    void anotherClientsKeyboardGrabCountsAsSecureInputAndAskingMovesNoFocus()
    {
        FocusOutRecorder recorder;
        QUOR_TRY_VERIFY(recorder.hasFocus());
        for (int round = 0; round < 20; ++round) {
            QVERIFY(!quor::platform::KeySynthesizer::isKeyboardGrabbedElsewhere());
        }
        QCOMPARE(recorder.focusOuts(), 0);

        Display* other = XOpenDisplay(nullptr);
        QVERIFY(other != nullptr);
        QCOMPARE(XGrabKeyboard(other, DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync, CurrentTime),
                 GrabSuccess);
        XSync(other, False);
        // A real grab is seen by the recorder.
        QUOR_TRY_VERIFY(recorder.focusOuts() > 0);
        QVERIFY(quor::platform::KeySynthesizer::isKeyboardGrabbedElsewhere());
        XUngrabKeyboard(other, CurrentTime);
        XCloseDisplay(other);
        QVERIFY(!quor::platform::KeySynthesizer::isKeyboardGrabbedElsewhere());
    }

    void aProcessHoldingAPseudoTerminalMasterIsKnown()
    {
        using quor::platform::KeyTarget::holdsPseudoTerminalMaster;
        const qint64 self = QCoreApplication::applicationPid();
        QCOMPARE(holdsPseudoTerminalMaster(self), std::optional<bool>(false));
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QCOMPARE(holdsPseudoTerminalMaster(self), std::optional<bool>(true));
        ::close(master);
        QCOMPARE(holdsPseudoTerminalMaster(self), std::optional<bool>(false));
        // A process that is gone, or none named: nothing is known.
        QCOMPARE(holdsPseudoTerminalMaster(self, QStringLiteral("/nonexistent")), std::optional<bool>());
        QCOMPARE(holdsPseudoTerminalMaster(0), std::optional<bool>());
    }
};

QUOR_TEST_MAIN(DesktopPlatformTest)
#include "tst_desktopplatform.moc"
