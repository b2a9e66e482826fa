#include "QuorZubCore/Services/ZubConfigStore.h"
#include "QuorZubCore/Services/ZubHistoryLoader.h"
#include "QuorZubCore/Services/ZubHistoryWriter.h"
#include "Support/QuorTestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {
ZubHistoryRecord record(const QString& output)
{
    ZubHistoryRecord result;
    result.id = QUuid::createUuid();
    result.actionKind = ZubActionKind::translate;
    result.actionTitle = QStringLiteral("Translate");
    result.inputText = QStringLiteral("input");
    result.outputText = output;
    result.durationMs = 7;
    result.createdAt = QDateTime::fromSecsSinceEpoch(1'780'000'000, Qt::UTC);
    return result;
}
} // namespace

class TestZubHistoryWriter : public QObject {
    Q_OBJECT

private slots:
    // The caller never waits for the file; a burst is written once, as its last state, and what
    // is still waiting when the writer goes is written on the way out.
    void aBurstIsWrittenOnceAndNothingIsLostOnTheWayOut()
    {
        QTemporaryDir folder;
        const ZubConfigStore store(folder.path());
        const QList<ZubHistoryRecord> last{record(QStringLiteral("third")), record(QStringLiteral("second"))};
        {
            // Long enough that the burst below gathers whatever the machine's load.
            ZubHistoryWriter writer(store, std::chrono::seconds(30));
            writer.save({record(QStringLiteral("first"))});
            writer.save({record(QStringLiteral("second"))});
            writer.save(last);
            QVERIFY(!QFileInfo::exists(store.historyPath()));
            writer.flush();
            QCOMPARE(writer.writeCount(), 1);
            QVERIFY(store.loadHistory() == last);

            writer.save({});
        }
        QVERIFY(store.loadHistory().isEmpty());
    }

    void aHistoryOfMegabytesIsReadOnAWorker()
    {
        QTemporaryDir folder;
        const ZubConfigStore store(folder.path());
        const QList<ZubHistoryRecord> small{record(QStringLiteral("small"))};
        store.saveHistory(small);
        QVERIFY(ZubHistoryLoader(store).isReady());
        QVERIFY(ZubHistoryLoader(store).records() == small);

        const QList<ZubHistoryRecord> big{record(QString(3 * 1024 * 1024, u'é')), record(QStringLiteral("next"))};
        store.saveHistory(big);
        QVERIFY(QFileInfo(store.historyPath()).size() > ZubHistoryLoader::immediateBytes);
        ZubHistoryLoader loader(store);
        QObject context;
        bool announced = false;
        loader.whenRead(&context, [&announced] { announced = true; });
        QTRY_VERIFY_WITH_TIMEOUT(announced, 20000);
        QVERIFY(loader.isReady());
        QVERIFY(loader.records() == big);
    }
};

QUOR_TEST_GUILESS_MAIN(TestZubHistoryWriter)
#include "tst_zubhistorywriter.moc"
