#include "QuorZubApp/App/ZubSingleInstanceGuard.h"

#include "Support/QuorTestSupport.h"

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <QtConcurrent>

class TestZubSingleInstanceGuard : public QObject {
    Q_OBJECT

private slots:
    void laterStartsHandOverToTheRunningInstance()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("instance"));
        ZubSingleInstanceGuard first(path);
        QCOMPARE(first.claim(), ZubSingleInstanceGuard::Outcome::primary);
        QSignalSpy reopened(&first, &ZubSingleInstanceGuard::reopenRequested);

        // The second start blocks while it talks, as it does before its event loop: run it beside ours.
        QFuture<ZubSingleInstanceGuard::Outcome> second = QtConcurrent::run([path] {
            ZubSingleInstanceGuard guard(path);
            return guard.claim();
        });
        QTRY_VERIFY_WITH_TIMEOUT(second.isFinished(), 5000);
        QCOMPARE(second.result(), ZubSingleInstanceGuard::Outcome::handedOver);
        QTRY_COMPARE_WITH_TIMEOUT(reopened.count(), 1, 2000);
    }

    void aSocketLeftByACrashedInstanceIsTakenOver()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("instance"));
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        ZubSingleInstanceGuard guard(path);
        QCOMPARE(guard.claim(), ZubSingleInstanceGuard::Outcome::primary);
    }

    void garbageOnTheSocketIsIgnored()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("instance"));
        ZubSingleInstanceGuard guard(path);
        QCOMPARE(guard.claim(), ZubSingleInstanceGuard::Outcome::primary);
        QSignalSpy reopened(&guard, &ZubSingleInstanceGuard::reopenRequested);
        QLocalSocket socket;
        socket.connectToServer(path);
        QVERIFY(socket.waitForConnected(2000));
        socket.write(QByteArray(200, 'x'));
        socket.flush();
        QTRY_VERIFY_WITH_TIMEOUT(socket.state() == QLocalSocket::UnconnectedState, 2000);
        QCOMPARE(reopened.count(), 0);
    }

    void theDefaultSocketLivesInTheRuntimeFolder()
    {
        QVERIFY(ZubSingleInstanceGuard::defaultSocketPath().endsWith(QStringLiteral("/com.tallowmer.quorzub.instance")));
    }
};

QUOR_TEST_MAIN(TestZubSingleInstanceGuard)
#include "tst_zubsingleinstanceguard.moc"
