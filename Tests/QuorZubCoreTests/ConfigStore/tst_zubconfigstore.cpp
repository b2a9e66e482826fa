#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorZubCore/Services/ZubConfigStore.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace {
const QDateTime epoch = QDateTime::fromSecsSinceEpoch(1'780'000'000, Qt::UTC);

ZubHistoryRecord record(int number, bool pinned, int secondsAfterEpoch, const QString& output = QStringLiteral("out"))
{
    ZubHistoryRecord result;
    result.id = QUuid::createUuid();
    result.actionKind = ZubActionKind::summarize;
    result.actionTitle = QStringLiteral("Summarize");
    result.inputText = QStringLiteral("input %1").arg(number);
    result.outputText = output;
    result.durationMs = number + 1;
    result.isPinned = pinned;
    result.createdAt = epoch.addSecs(secondsAfterEpoch);
    return result;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QStringList setAsideFiles(const QString& folder, const QString& name)
{
    return QDir(folder).entryList({name + QStringLiteral(".corrupt-*")}, QDir::AllEntries | QDir::Hidden | QDir::System);
}

template <typename T>
qsizetype distinctIds(const QList<T>& items)
{
    QSet<QUuid> ids;
    for (const T& item : items) {
        ids.insert(item.id);
    }
    return ids.size();
}

mode_t modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
}

QStringList inputs(const QList<ZubHistoryRecord>& records)
{
    QStringList result;
    for (const auto& item : records) {
        result.append(item.inputText);
    }
    return result;
}
} // namespace

class TestZubConfigStore : public QObject {
    Q_OBJECT
private slots:
    void defaultFolderAndCap()
    {
        const ZubConfigStore store;
        QCOMPARE(store.configPath(),
                 qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Tallowmer/QuorZub/config.json"));
        QCOMPARE(store.maxHistoryRecords(), 250);
        QVERIFY(!QFileInfo::exists(store.baseDirectory())); // made by the first save, not before
        for (const auto& [given, cap] : {std::pair{0, 20}, {5, 20}, {20, 20}, {21, 21}, {-3, 20}}) {
            QCOMPARE(ZubConfigStore(QStringLiteral("/nowhere"), given).maxHistoryRecords(), cap);
        }
    }

    void missingFilesGiveDefaults()
    {
        QTemporaryDir folder;
        const ZubConfigStore store(folder.path());
        const ZubConfig loaded = store.loadConfig();
        QCOMPARE(loaded.translationBackend, ZubTranslationBackend::freeWebTranslate);
        QCOMPARE(loaded.aiConfig, QuorAIConfig(QuorAIProvider::ollamaLocal));
        QCOMPARE(loaded.actions.size(), ZubActionDefinition::defaultActions().size());
        QVERIFY(store.loadHistory().isEmpty());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }

    void configSurvivesARestartSortedAndPretty()
    {
        QTemporaryDir folder;
        ZubConfig config = ZubConfig::defaultConfig();
        config.translationBackend = ZubTranslationBackend::offlineOnly;
        config.hideDelaySeconds = 2.5;
        config.excludedBundleIDs = {QStringLiteral("org.example.vault")};
        ZubConfigStore(folder.path() + QStringLiteral("/a/b")).saveConfig(config);
        const ZubConfigStore store(folder.path() + QStringLiteral("/a/b"));
        QCOMPARE(store.loadConfig(), config);

        const QByteArray bytes = readAll(store.configPath());
        QVERIFY(bytes.contains("\n    \"actions\": ["));
        QVERIFY(bytes.indexOf("\"actions\"") < bytes.indexOf("\"aiConfig\""));
        QVERIFY(bytes.indexOf("\"hideDelaySeconds\"") < bytes.indexOf("\"preferredCaseStyle\""));
        QCOMPARE(QFile::permissions(store.baseDirectory()) & QFileDevice::ReadOther, QFileDevice::Permissions{});
    }

    void emptyActionListLoadsTheDefaultsWithoutRewriting()
    {
        QTemporaryDir folder;
        const ZubConfigStore store(folder.path());
        ZubConfig config = ZubConfig::defaultConfig();
        config.actions.clear();
        store.saveConfig(config);
        const QByteArray before = readAll(store.configPath());
        QCOMPARE(store.loadConfig().actions.size(), 13);
        QCOMPARE(readAll(store.configPath()), before);
    }

    // A file from a newer version or a broken one is kept for the user before defaults replace it.
    // Whatever else stands in a file's place is set aside at once: never waited on, never read
    // without end.
    void unreadableFilesAreSetAsideOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("special"); // what stands in the file's place instead of `bytes`
        const QByteArray config = QuorJson::pretty(ZubConfig::defaultConfig().toJson());
        const QByteArray history = QuorJson::pretty(QJsonArray{record(1, false, 0).toJson()});
        const QList<std::tuple<const char*, const char*, QByteArray>> files{
            {"config with a value from a newer version", "config.json",
             QByteArray(config).replace("\"freeWebTranslate\"", "\"quantumLink\"")},
            {"config lacking a key", "config.json", QByteArray(config).replace("\"hideDelaySeconds\"", "\"x\"")},
            {"truncated config", "config.json", config.left(config.size() / 2)},
            {"empty config", "config.json", QByteArray()},
            {"truncated history", "history.json", history.left(history.size() - 3)},
            {"history with fractional seconds", "history.json", QByteArray(history).replace("Z\"", ".250Z\"")},
            {"history that is an object", "history.json", QByteArray("{}")},
            {"history holding a number", "history.json", QByteArray("[1]")},
        };
        for (const auto& [row, name, bytes] : files) {
            QTest::newRow(row) << name << bytes << QString();
        }
        const QList<std::tuple<const char*, const char*, const char*>> specials{
            {"FIFO config", "config.json", "fifo"},
            {"folder as config", "config.json", "folder"},
            {"history linked to /dev/zero", "history.json", "zero"},
            {"history over its cap", "history.json", "huge"},
        };
        for (const auto& [row, name, special] : specials) {
            QTest::newRow(row) << name << QByteArray() << special;
        }
    }

    void unreadableFilesAreSetAsideOnce()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, special);
        QTemporaryDir folder;
        const ZubConfigStore store(folder.path());
        const QString path = folder.path() + u'/' + name;
        if (special.isEmpty()) {
            QVERIFY(writeAll(path, bytes));
        } else if (special == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (special == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (special == QLatin1String("zero")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else {
            QFile sparse(path);
            QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(ZubConfigStore::maxHistoryBytes + 1));
        }

        const QuorHeldClock clock;
        ZubConfig loaded = store.loadConfig();
        QCOMPARE(loaded.actions.size(), 13); // new identities on every load
        ZubConfig expected = ZubConfig::defaultConfig();
        expected.actions = loaded.actions;
        QCOMPARE(loaded, expected);
        QVERIFY(store.loadHistory().isEmpty());
        QVERIFY2(clock.elapsedMs() < 2000, qPrintable(QString::number(clock.elapsedMs())));
        const QStringList aside = setAsideFiles(folder.path(), name);
        QCOMPARE(aside.size(), 1);
        if (special.isEmpty()) {
            QCOMPARE(readAll(folder.path() + u'/' + aside.first()), bytes);
        }
        QVERIFY(!QFileInfo::exists(path) && !QFileInfo(path).isSymLink());

        store.saveConfig(ZubConfig::defaultConfig());
        store.saveHistory({record(1, false, 0)});
        store.loadConfig();
        store.loadHistory();
        QCOMPARE(setAsideFiles(folder.path(), name), aside);

        const auto warnings = QuorAppLogger::shared(QStringLiteral("QuorZub"))->recentEntries(5, QuorLogLevel::warn);
        QVERIFY(!warnings.isEmpty());
        QVERIFY(warnings.first().message.contains(name + QStringLiteral(" could not be read")));
        QVERIFY(warnings.first().message.contains(aside.first()));
    }

    // Dotfile managers link the files; a save replaces the link's target and the link stays.
    void aLinkedFileStaysLinkedAfterASave()
    {
        QTemporaryDir folder;
        const QString dotfiles = folder.path() + QStringLiteral("/dotfiles");
        const ZubConfigStore store(folder.path() + QStringLiteral("/QuorZub"));
        ZubConfig config = ZubConfig::defaultConfig();
        ZubConfigStore(dotfiles).saveConfig(config);
        ZubConfigStore(dotfiles).saveHistory({record(1, false, 0)});
        QVERIFY(QDir().mkpath(store.baseDirectory()));
        for (const char* name : {"config.json", "history.json"}) {
            const QByteArray link = QFile::encodeName(store.baseDirectory() + u'/' + QLatin1String(name));
            QCOMPARE(::symlink(QByteArray("../dotfiles/").append(name).constData(), link.constData()), 0);
        }
        QCOMPARE(store.loadConfig(), config); // read through the link

        config.hideDelaySeconds = 9;
        store.saveConfig(config);
        store.saveHistory({record(1, false, 0), record(2, true, 5)});
        for (const QString& path : {store.configPath(), store.historyPath()}) {
            QVERIFY(QFileInfo(path).isSymLink());
            QVERIFY(QFileInfo(QFileInfo(path).symLinkTarget()).isFile());
        }
        QCOMPARE(store.loadConfig().hideDelaySeconds, 9.0);
        QCOMPARE(store.loadHistory().size(), 2);
        QCOMPARE(QDir(dotfiles).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary left
    }

    // Rows of a hand-edited file that share an id get ids of their own, so each acts on itself.
    void duplicateIdsAreSplitAndSaved()
    {
        QTemporaryDir folder;
        const ZubConfigStore store(folder.path());
        ZubConfig config = ZubConfig::defaultConfig();
        const QUuid shared = config.actions.first().id;
        config.actions[1].id = config.actions[2].id = shared;
        store.saveConfig(config);
        QList<ZubHistoryRecord> records(5, record(0, false, 0));
        store.saveHistory(records);

        const ZubConfig loaded = store.loadConfig();
        const QList<ZubHistoryRecord> history = store.loadHistory();
        QCOMPARE(distinctIds(loaded.actions), loaded.actions.size());
        QCOMPARE(distinctIds(history), 5);
        QCOMPARE(loaded.actions.first().id, shared); // the first keeps its id
        QCOMPARE(history.first().id, records.first().id);
        QCOMPARE(store.loadConfig(), loaded); // the new ids were saved
        QCOMPARE(store.loadHistory(), history);
    }

    void theFolderAndFilesArePrivateAndLeftoversGo()
    {
        QTemporaryDir folder;
        const ZubConfigStore store(folder.path() + QStringLiteral("/Tallowmer/QuorZub"));
        store.saveConfig(ZubConfig::defaultConfig());
        store.saveHistory({record(1, false, 0)});
        for (const QString& path : {store.baseDirectory(), folder.path() + QStringLiteral("/Tallowmer")}) {
            QCOMPARE(modeOf(path), mode_t(0700));
        }
        for (const QString& path : {store.configPath(), store.historyPath()}) {
            QCOMPARE(modeOf(path), mode_t(0600));
        }

        // A loose folder found at start is closed, and the leftovers of killed saves go; files of
        // another name stay.
        QCOMPARE(::chmod(QFile::encodeName(store.baseDirectory()).constData(), 0755), 0);
        const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        const QStringList leftovers{QStringLiteral(".config.json.") + uuid + QStringLiteral(".tmp"),
                                    QStringLiteral(".history.json.") + uuid + QStringLiteral(".tmp")};
        const QStringList kept{QStringLiteral(".notes.json.") + uuid + QStringLiteral(".tmp"),
                               QStringLiteral(".history.json.tmp")};
        for (const QString& name : leftovers + kept) {
            QVERIFY(writeAll(store.baseDirectory() + u'/' + name, "partial"));
        }
        store.tidyFolder();
        QCOMPARE(modeOf(store.baseDirectory()), mode_t(0700));
        QStringList present = QDir(store.baseDirectory()).entryList(QDir::Files | QDir::Hidden);
        QStringList expected = kept + QStringList{QStringLiteral("config.json"), QStringLiteral("history.json")};
        present.sort();
        expected.sort();
        QCOMPARE(present, expected);
        const auto warnings = QuorAppLogger::shared(QStringLiteral("QuorZub"))->recentEntries(5, QuorLogLevel::warn);
        QVERIFY(!warnings.isEmpty() && warnings.first().message.contains(QStringLiteral("other users")));
    }

    void historyIsWrittenWithWholeSecondUTCDates()
    {
        QTemporaryDir folder;
        const ZubConfigStore store(folder.path());
        ZubHistoryRecord item = record(1, true, 0);
        item.detectedLanguageCode = QStringLiteral("tr");
        item.createdAt = QDateTime(QDate(2026, 12, 9), QTime(8, 15, 56, 730), QTimeZone(3 * 3600));
        store.saveHistory({item});
        const QJsonArray written = QJsonDocument::fromJson(readAll(store.historyPath())).array();
        QCOMPARE(written.first().toObject().value(QStringLiteral("createdAt")).toString(),
                 QStringLiteral("2026-12-09T05:15:56Z"));
        QVERIFY(readAll(store.historyPath()).contains("\n        \"detectedLanguageCode\": \"tr\""));
        const auto loaded = store.loadHistory();
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(loaded.first().createdAt, QDateTime(QDate(2026, 12, 9), QTime(5, 15, 56), Qt::UTC));
        QCOMPARE(loaded.first().detectedLanguageCode, item.detectedLanguageCode);
        QVERIFY(loaded.first().isPinned);
    }

    // The writer never leaves a file the reader would refuse: the oldest unpinned records give way,
    // the pinned ones never do, and a restart finds the rest.
    void aHistoryJustOverItsSizeLimitSurvivesARestartWithItsPinnedRecords()
    {
        QTemporaryDir folder;
        QList<ZubHistoryRecord> records; // newest first, every tenth pinned (the oldest among them)
        QJsonArray array;
        for (int i = 0; i < 30; ++i) {
            records.append(record(i, i % 10 == 9, -i, QString(1000, QChar(u'a' + i))));
            array.append(records.last().toJson());
        }
        const QString path = ZubConfigStore(folder.path()).historyPath();
        ZubConfigStore(folder.path()).saveHistory(records);
        const QByteArray whole = readAll(path);
        // Laid out as the JSON writer lays out the array.
        QCOMPARE(whole, QuorJson::pretty(array));

        const qint64 limit = whole.size() - 1;
        ZubConfigStore(folder.path(), 250, limit).saveHistory(records);
        QVERIFY(QFileInfo(path).size() <= limit);
        const auto warnings = QuorAppLogger::shared(QStringLiteral("QuorZub"))->recentEntries(1, QuorLogLevel::warn);
        QVERIFY(!warnings.isEmpty() && warnings.first().message.contains(QStringLiteral("left out the 1 oldest unpinned")));
        QList<ZubHistoryRecord> expected = records;
        expected.removeAt(28); // the oldest unpinned record
        QVERIFY(ZubConfigStore(folder.path(), 250, limit).loadHistory() == expected);

        // Pinned records alone beyond the limit: the file stays as it was.
        const QByteArray before = readAll(path);
        const ZubConfigStore::SaveResult refused = ZubConfigStore(folder.path(), 250, 2000).saveHistory(records);
        QVERIFY(!refused);
        QCOMPARE(refused.errorNumber, EFBIG);
        QCOMPARE(readAll(path), before);
        QVERIFY(QuorAppLogger::shared(QStringLiteral("QuorZub"))
                    ->recentEntries(1, QuorLogLevel::warn)
                    .first()
                    .message.contains(QStringLiteral("was not saved")));
    }

    void capKeepsPinnedRecordsAndTheNewestUnpinned_data()
    {
        QTest::addColumn<QList<ZubHistoryRecord>>("records");
        QTest::addColumn<QStringList>("expected");

        QList<ZubHistoryRecord> exact; // oldest first: a full list is written as given, unsorted
        QStringList exactInputs;
        for (int i = 0; i < 20; ++i) {
            exact.append(record(i, i % 3 == 0, i));
            exactInputs.append(QStringLiteral("input %1").arg(i));
        }
        QTest::newRow("exactly the cap") << exact << exactInputs;

        QList<ZubHistoryRecord> manyPinned; // 25 pinned, 10 unpinned, dates out of order
        for (int i = 0; i < 35; ++i) {
            manyPinned.append(record(i, i % 7 < 5, (i * 13) % 35));
        }
        QList<ZubHistoryRecord> pinnedNewestFirst;
        std::copy_if(manyPinned.begin(), manyPinned.end(), std::back_inserter(pinnedNewestFirst),
                     [](const ZubHistoryRecord& item) { return item.isPinned; });
        std::sort(pinnedNewestFirst.begin(), pinnedNewestFirst.end(),
                  [](const auto& a, const auto& b) { return a.createdAt > b.createdAt; });
        const QStringList manyPinnedExpected = inputs(pinnedNewestFirst);
        QCOMPARE(manyPinnedExpected.size(), 25);
        QTest::newRow("more pinned than the cap") << manyPinned << manyPinnedExpected;

        QList<ZubHistoryRecord> mixed;
        for (int i = 0; i < 30; ++i) {
            mixed.append(record(i, false, 1000 - i * 10)); // newest first, as the caller keeps them
        }
        mixed.insert(5, record(100, true, 1));     // very old but pinned
        mixed.insert(12, record(101, true, 2000)); // newest of all
        mixed.append(record(102, true, 905));      // between unpinned 9 and 10
        QStringList mixedExpected{QStringLiteral("input 101")};
        for (int i = 0; i < 17; ++i) {
            mixedExpected.append(QStringLiteral("input %1").arg(i));
            if (i == 9) {
                mixedExpected.append(QStringLiteral("input 102"));
            }
        }
        mixedExpected.append(QStringLiteral("input 100"));
        QTest::newRow("three pinned among thirty") << mixed << mixedExpected;

        QList<ZubHistoryRecord> tie;
        for (int i = 0; i < 20; ++i) {
            tie.append(record(i, false, 500 - i));
        }
        tie.append(record(50, true, 500)); // same date as unpinned 0: pinned comes first
        QStringList tieExpected{QStringLiteral("input 50")};
        for (int i = 0; i < 19; ++i) {
            tieExpected.append(QStringLiteral("input %1").arg(i));
        }
        QTest::newRow("equal dates") << tie << tieExpected;
    }

    void capKeepsPinnedRecordsAndTheNewestUnpinned()
    {
        QFETCH(QList<ZubHistoryRecord>, records);
        QFETCH(QStringList, expected);
        QTemporaryDir folder;
        const ZubConfigStore store(folder.path(), 20);
        store.saveHistory(records);
        QCOMPARE(inputs(store.loadHistory()), expected);
    }

    // Killing the writer at any moment leaves either the old history or the new one, whole.
    void aCrashWhileSavingLeavesACompleteFile()
    {
        QTemporaryDir folder;
        const ZubConfigStore store(folder.path());
        QList<ZubHistoryRecord> first;
        QList<ZubHistoryRecord> second;
        for (int i = 0; i < 250; ++i) {
            first.append(record(i, false, -i, QString(2000, u'a')));
            second.append(record(i, false, -i, QString(2000, u'b')));
        }
        store.saveHistory(first);
        for (int round = 0; round < 12; ++round) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                for (int i = 0;; ++i) {
                    store.saveHistory(i % 2 == 0 ? second : first);
                }
            }
            ::usleep(static_cast<useconds_t>(3000 + round * 2500));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            const auto loaded = store.loadHistory();
            QCOMPARE(loaded.size(), 250);
            QVERIFY(loaded == first || loaded == second);
        }
        QVERIFY(setAsideFiles(folder.path(), QStringLiteral("history.json")).isEmpty());
    }

    void aFailedWriteKeepsTheOldFile()
    {
        QTemporaryDir folder;
        const QString blocked = folder.path() + QStringLiteral("/blocked");
        QVERIFY(writeAll(blocked, "a file where the folder should be"));
        const ZubConfigStore store(blocked + QStringLiteral("/QuorZub"));
        store.saveConfig(ZubConfig::defaultConfig());
        store.saveHistory({record(1, false, 0)});
        QCOMPARE(readAll(blocked), QByteArray("a file where the folder should be"));
        QVERIFY(store.loadHistory().isEmpty());
    }
};

QUOR_TEST_GUILESS_MAIN(TestZubConfigStore)
#include "tst_zubconfigstore.moc"
