#include "QuorZubCore/Services/ZubConfigStore.h"
#include "QuorZubCore/Services/ZubConfigWriter.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

namespace {
// Every write the writer reports, in order.
struct Reports {
    QList<std::pair<quint64, ZubConfigStore::SaveResult>> written;
    explicit Reports(ZubConfigWriter& writer)
    {
        QObject::connect(&writer, &ZubConfigWriter::written, &writer,
                         [this](quint64 number, const ZubConfigStore::SaveResult& result) {
                             written.append({number, result});
                         });
    }
};

ZubConfig withEndpoint(const QString& endpoint)
{
    ZubConfig config = ZubConfig::defaultConfig();
    config.aiConfig.endpointURL = endpoint;
    return config;
}
} // namespace

class TestZubConfigWriter : public QObject {
    Q_OBJECT

private slots:
    // The caller never waits for the file: a burst of keystrokes is written once, as its last
    // state; a save someone waits to hear about is written at once; what is still waiting when the
    // writer goes is written on the way out.
    void aBurstIsWrittenOnceAndNothingIsLostOnTheWayOut()
    {
        QTemporaryDir folder;
        const ZubConfigStore store(folder.path());
        {
            // Long enough that the burst below gathers whatever the machine's load.
            ZubConfigWriter writer(store, std::chrono::seconds(30));
            const Reports reports(writer);
            QString typed;
            for (const QChar c : QStringLiteral("http://127.0.0.1:11434/v1/chat/complet")) {
                typed += c;
                writer.save(withEndpoint(typed));
            }
            QVERIFY(!QFileInfo::exists(store.configPath()));
            writer.flush();
            QCOMPARE(writer.writeCount(), 1);
            QCOMPARE(store.loadConfig().aiConfig.endpointURL, typed);
            QUOR_TRY_COMPARE(reports.written.size(), 1);
            QCOMPARE(reports.written[0].first, quint64(typed.size()));
            QVERIFY(reports.written[0].second.ok);

            const quint64 prompt = writer.save(withEndpoint(QStringLiteral("http://prompt")), true);
            QUOR_TRY_COMPARE(reports.written.size(), 2);
            QCOMPARE(reports.written[1].first, prompt);
            QCOMPARE(store.loadConfig().aiConfig.endpointURL, QStringLiteral("http://prompt"));

            writer.save(withEndpoint(QStringLiteral("http://last")));
        }
        QCOMPARE(store.loadConfig().aiConfig.endpointURL, QStringLiteral("http://last"));
    }

    // A folder that cannot hold the file (its place is taken by a regular file, so even a root
    // user cannot write there): the write says why and nothing is left behind.
    void aFailedWriteSaysWhy()
    {
        QTemporaryDir folder;
        const QString blocked = folder.filePath(QStringLiteral("data"));
        QFile blocker(blocked);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const ZubConfigStore store(blocked);
        ZubConfigWriter writer(store);
        const Reports reports(writer);
        writer.save(ZubConfig::defaultConfig(), true);
        QUOR_TRY_COMPARE(reports.written.size(), 1);
        const ZubConfigStore::SaveResult& result = reports.written[0].second;
        QVERIFY(!result.ok);
        QCOMPARE(result.errorNumber, ENOTDIR);
        QVERIFY(result.error.contains(blocked));
        QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{QStringLiteral("data")});
    }
};

QUOR_TEST_GUILESS_MAIN(TestZubConfigWriter)
#include "tst_zubconfigwriter.moc"
