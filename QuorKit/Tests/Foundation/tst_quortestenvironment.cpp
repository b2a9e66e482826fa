#include "Support/QuorTestSupport.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QWidget>
#include <QtTest>

// Every x11 and e2e test stands on this environment: a real X display with a window manager, a
// private session bus and an unlocked keyring service on it.
class TestQuorTestEnvironment : public QObject {
    Q_OBJECT
private slots:
    void displayIsRealAndManaged()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QWidget window;
        window.setWindowTitle(QStringLiteral("environment check"));
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window, quorPatienceMs));
        // openbox reparents managed windows into a frame, which moves the client from 0,0.
        QUOR_TRY_VERIFY(window.geometry().topLeft() != window.frameGeometry().topLeft());
    }

    void sessionBusHasTheKeyring()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.isConnected());
        QVERIFY(bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value());
    }

    void homeIsPrivate()
    {
        QVERIFY(QDir::homePath().startsWith(quorTestSandboxPath()));
    }
};

QUOR_TEST_MAIN(TestQuorTestEnvironment)
#include "tst_quortestenvironment.moc"
