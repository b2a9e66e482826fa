#include "QuorKit/System/QuorReleaseLogReader.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QtTest>

namespace {
QString writeLog(const QString& name, const QByteArray& bytes)
{
    const QString path = quorTestSandboxPath() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

QStringList summaries(const QList<QuorReleaseLogRecord>& records)
{
    QStringList result;
    for (const auto& record : records) {
        result.append(record.summary);
    }
    return result;
}

const QByteArray threeApps = R"({"app":"A","summary":"a1","toVersion":"1.0.1"}
{"app":"B","summary":"b1"}
{"app":"A","summary":"a2","toVersion":"1.0.2"}
)";
} // namespace

class TestQuorReleaseLog : public QObject {
    Q_OBJECT
private slots:
    void newestFirstAndFilteredByApp()
    {
        const QString path = writeLog("three.jsonl", threeApps);
        QCOMPARE(summaries(QuorReleaseLogReader::load(path, QStringLiteral("a"))), QStringList({"a2", "a1"}));
        QCOMPARE(summaries(QuorReleaseLogReader::load(path)), QStringList({"a2", "b1", "a1"}));
        QVERIFY(QuorReleaseLogReader::load(path, QStringLiteral("C")).isEmpty());
    }

    void crlfLineEndsStillReadEveryRecord()
    {
        QByteArray crlf = threeApps;
        crlf.replace("\n", "\r\n");
        const QString path = writeLog("crlf.jsonl", crlf + "\r\n");
        QCOMPARE(summaries(QuorReleaseLogReader::load(path)), QStringList({"a2", "b1", "a1"}));
    }

    void badLinesAreSkippedAlone()
    {
        const QString path = writeLog("mixed.jsonl", R"({"summary":"good one"}
not json
{"summary":"wrong build","toBuild":"7"}
{"summary":"wrong details","details":[1]}
{"summary":"wrong map","summary_i18n":{"en":3}}
[1,2]

{"summary":"good two","toBuild":null}
)");
        const auto records = QuorReleaseLogReader::load(path);
        QCOMPARE(summaries(records), QStringList({"good two", "good one"}));
        QCOMPARE(records.first().toBuild, 100); // null takes the default
    }

    void unreadableFilesGiveNothing()
    {
        QVERIFY(QuorReleaseLogReader::load(quorTestSandboxPath() + "/missing.jsonl").isEmpty());
        QVERIFY(QuorReleaseLogReader::load(writeLog("empty.jsonl", {})).isEmpty());
        QVERIFY(QuorReleaseLogReader::load(writeLog("latin1.jsonl", "{\"summary\":\"caf\xE9\"}\n")).isEmpty());
        QVERIFY(QuorReleaseLogReader::loadBundled(std::nullopt, QuorBundle()).isEmpty());
    }

    void emptyObjectTakesTheDefaults()
    {
        const auto records = QuorReleaseLogReader::load(writeLog("empty-object.jsonl", "{}\n"));
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first(), QuorReleaseLogRecord{});
        QCOMPARE(records.first().fromVersion, QStringLiteral("0.0.0"));
        QCOMPARE(records.first().toVersion, QStringLiteral("1.0.0"));
        QCOMPARE(records.first().toBuild, 100);
        QCOMPARE(records.first().bumpKind, QStringLiteral("patch"));
        QCOMPARE(records.first().section, QStringLiteral("Changed"));
        QCOMPARE(records.first().shortDate(), QString());
    }

    void identityDateAndCoding()
    {
        QuorReleaseLogRecord record;
        record.timestamp = QStringLiteral("2026-12-09T05:30:00Z");
        record.app = QStringLiteral("QuorZub");
        record.toVersion = QStringLiteral("1.2.0");
        record.toBuild = 12;
        record.details = {QStringLiteral("one")};
        record.detailsI18n.insert(QStringLiteral("tr"), {QStringLiteral("bir")});
        record.gitCommit = QStringLiteral("abc");
        QCOMPARE(record.id(), QStringLiteral("2026-12-09T05:30:00Z-QuorZub-1.2.0-12"));
        QCOMPARE(record.shortDate(), QStringLiteral("2026-12-09"));

        QuorReleaseLogRecord other = record;
        other.gitCommit = QStringLiteral("def");
        QVERIFY(other != record);
        QCOMPARE(other.id(), record.id());

        const QJsonObject coded = record.toJson();
        QCOMPARE(coded.size(), 13);
        QCOMPARE(QuorReleaseLogRecord::fromJson(coded), record);

        record.timestamp = QStringLiteral("2026-12");
        QCOMPARE(record.shortDate(), QStringLiteral("2026-12"));
    }

    void localizedTextsFollowTheChain()
    {
        QuorReleaseLogRecord record;
        record.summary = QStringLiteral("plain");
        record.summaryI18n = {{"en", "english"}, {"pt-BR", "brasil"}, {"zh-Hans", "jian"}, {"tr", ""}};
        QCOMPARE(record.localizedSummary(QuorLanguage::ptPT), QStringLiteral("brasil"));
        QCOMPARE(record.localizedSummary(QuorLanguage::zhHant), QStringLiteral("jian"));
        QCOMPARE(record.localizedSummary(QuorLanguage::de), QStringLiteral("english"));
        QCOMPARE(record.localizedSummary(QuorLanguage::tr), QStringLiteral("english")); // empty entries do not count
        record.summaryI18n = {{"en", ""}};
        QCOMPARE(record.localizedSummary(QuorLanguage::de), QStringLiteral("plain"));

        record.details = {QStringLiteral("plain line")};
        record.detailsI18n = {{"en", {}}, {"tr", {"satır"}}};
        QCOMPARE(record.localizedDetails(QuorLanguage::tr), QStringList({"satır"}));
        QCOMPARE(record.localizedDetails(QuorLanguage::en), QStringList({"plain line"}));
    }

    void bundledReleaseLogDescribesThisBuild()
    {
        const auto records = QuorReleaseLogReader::loadBundled(QStringLiteral("quorzub"), QuorBundle::main());
        QVERIFY(!records.isEmpty());
        const auto& newest = records.first();
        QCOMPARE(newest.toVersion, QuorBundle::main().infoDictionary().value("CFBundleShortVersionString").toString());
        QVERIFY(!newest.localizedSummary(QuorLanguage::en).isEmpty());
        QVERIFY(newest.localizedSummary(QuorLanguage::tr) != newest.localizedSummary(QuorLanguage::en));
        QVERIFY(!newest.localizedDetails(QuorLanguage::tr).isEmpty());
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorReleaseLog)
#include "tst_quorreleaselog.moc"
