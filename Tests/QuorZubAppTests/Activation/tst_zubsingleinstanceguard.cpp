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
        QUOR_TRY_VERIFY(second.isFinished());
        QCOMPARE(second.result(), ZubSingleInstanceGuard::Outcome::handedOver);
        QUOR_TRY_COMPARE(reopened.count(), 1);
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
        QUOR_TRY_VERIFY(socket.state() == QLocalSocket::UnconnectedState);
        QCOMPARE(reopened.count(), 0);
    }

    void theDefaultSocketLivesInTheRuntimeFolder()
    {
        QVERIFY(ZubSingleInstanceGuard::defaultSocketPath().endsWith(QStringLiteral("/com.tallowmer.quorzub.instance")));
    }
};

QUOR_TEST_MAIN(TestZubSingleInstanceGuard)
#include "tst_zubsingleinstanceguard.moc"
