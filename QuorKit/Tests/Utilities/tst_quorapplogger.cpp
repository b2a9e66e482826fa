#include "QuorBuildInfo.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "Support/QuorTestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QtTest>

#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <sys/syscall.h>

// The flushes to the disk that each thread of this process asks for.
thread_local int flushesOnThisThread = 0;
extern "C" int fsync(int fd)
{
    ++flushesOnThisThread;
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {
QuorAppVersion fixedVersion()
{
    return {QStringLiteral("2.1.0"), QStringLiteral("77")};
}

QString path(const QUrl& url)
{
    return url.toLocalFile();
}

mode_t modeOf(const QString& file)
{
    struct stat info {};
    return ::stat(QFile::encodeName(file).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
}

QByteArray readAll(const QString& file)
{
    QFile handle(file);
    return handle.open(QIODevice::ReadOnly) ? handle.readAll() : QByteArray();
}

void writeFile(const QString& file, const QByteArray& bytes)
{
    QFile handle(file);
    QVERIFY(handle.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(handle.write(bytes), bytes.size());
}

// A folder of its own for each logger, so tests never see each other's files.
QString freshFolder(const QString& name)
{
    const QString folder = quorTestSandboxPath() + QStringLiteral("/logs-") + name;
    QDir(folder).removeRecursively();
    return folder;
}
} // namespace

// Stands in for the desktop's file manager on the private session bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shownItems;
public slots:
    void ShowItems(const QStringList& uris, const QString& startupId)
    {
        Q_UNUSED(startupId);
        shownItems += uris;
    }
};

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class TestQuorAppLogger : public QObject {
    Q_OBJECT
private slots:
    void sharedLoggerNamesItsFolderFileAndSubsystem()
    {
        const auto logger = QuorAppLogger::shared(QStringLiteral("Quor Test App"));
        QCOMPARE(path(logger->logDirectoryURL()),
                 qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Tallowmer/Quor Test App/logs"));
        QCOMPARE(QFileInfo(path(logger->currentLogFileURL())).fileName(), QStringLiteral("quor-test-app.log"));
        QCOMPARE(logger->systemLogSubsystem(), QStringLiteral("com.tallowmer.quor-test-app"));
        QCOMPARE(logger->maxFileBytes(), quint64(2 * 1024 * 1024));
        QCOMPARE(logger->maxRotatedFiles(), 5);
        QVERIFY(!QFileInfo::exists(path(logger->logDirectoryURL()))); // nothing is created before a write
        QCOMPARE(QuorAppLogger::shared(QStringLiteral("Quor Test App")).get(), logger.get());
        QVERIFY(QuorAppLogger::shared(QStringLiteral("quor test app")).get() != logger.get());

        // Without a provider the version comes from the running build.
        logger->info(QStringLiteral("started"), QStringLiteral("lifecycle"));
        const auto entries = logger->recentEntries(1);
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().version, QStringLiteral(QUOR_VERSION_STRING));
        QCOMPARE(entries.first().build, QStringLiteral(QUOR_BUILD_NUMBER));

        // What the user selected reaches the log: the folders and the file are the user's alone.
        const QString logs = path(logger->logDirectoryURL());
        QCOMPARE(modeOf(QFileInfo(logs).absolutePath()), mode_t(0700));
        QCOMPARE(modeOf(logs), mode_t(0700));
        QCOMPARE(modeOf(path(logger->currentLogFileURL())), mode_t(0600));
    }

    void aFifoInTheLogsPlaceNeitherBlocksNorIsRead()
    {
        const QString folder = freshFolder(QStringLiteral("fifo"));
        QuorAppLogger logger(QStringLiteral("Fifo"), folder, 4096, 1, fixedVersion);
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(::mkfifo(QFile::encodeName(path(logger.currentLogFileURL())).constData(), 0600), 0);
        logger.error(QStringLiteral("dropped, not stuck"), QStringLiteral("c"));
        QVERIFY(logger.recentEntries(10).isEmpty());
    }

    void givenFolderAndFloors()
    {
        const QString folder = freshFolder(QStringLiteral("floors"));
        const QuorAppLogger plain(QStringLiteral("X"), folder, 0, 0, fixedVersion);
        QCOMPARE(path(plain.logDirectoryURL()), folder);
        QCOMPARE(path(plain.currentLogFileURL()), folder + QStringLiteral("/x.log"));
        QCOMPARE(plain.maxFileBytes(), quint64(4096));
        QCOMPARE(plain.maxRotatedFiles(), 1);
        QCOMPARE(QuorAppLogger(QStringLiteral("X"), folder, 4096, -3, fixedVersion).maxFileBytes(), quint64(4096));
        QCOMPARE(QuorAppLogger(QStringLiteral("X"), folder, 4097, 2, fixedVersion).maxFileBytes(), quint64(4097));
        QCOMPARE(QuorAppLogger(QStringLiteral("X"), folder, 4097, 2, fixedVersion).maxRotatedFiles(), 2);
    }

    void writesJsonLinesAndReadsThemBack()
    {
        QuorAppLogger logger(QStringLiteral("Lines"), freshFolder(QStringLiteral("lines")), 1 << 20, 5, fixedVersion);
        logger.debug(QStringLiteral("first"), QStringLiteral("lifecycle"));
        logger.info(QStringLiteral("path /tmp/a \"quoted\" ünïcode"), QStringLiteral("watcher"));
        logger.warn(QStringLiteral("third"), QStringLiteral("action"));
        logger.error(QStringLiteral("fourth"), QStringLiteral("ocr"));

        const QByteArray bytes = readAll(path(logger.currentLogFileURL()));
        QVERIFY(bytes.endsWith('\n'));
        const QList<QByteArray> lines = bytes.chopped(1).split('\n');
        QCOMPARE(lines.size(), 4);
        // Compact, keys sorted, "/" escaped, UTF-8 as is.
        QVERIFY2(lines[1].startsWith("{\"build\":\"77\",\"category\":\"watcher\",\"id\":\""), lines[1].constData());
        QVERIFY(lines[1].contains("\"level\":\"info\",\"message\":\"path \\/tmp\\/a \\\"quoted\\\" ünïcode\","));
        QVERIFY(lines[1].endsWith("\",\"version\":\"2.1.0\"}"));

        const auto entries = logger.recentEntries(10);
        QCOMPARE(entries.size(), 4);
        QCOMPARE(entries[0].message, QStringLiteral("fourth"));
        QCOMPARE(entries[0].level, QuorLogLevel::error);
        QCOMPARE(entries[2].message, QStringLiteral("path /tmp/a \"quoted\" ünïcode"));
        QCOMPARE(entries[3].category, QStringLiteral("lifecycle"));
        const QRegularExpression uuid(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
        const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$"));
        for (const QuorLogEntry& entry : entries) {
            QVERIFY2(uuid.match(entry.id).hasMatch(), qPrintable(entry.id));
            QVERIFY2(stamp.match(entry.timestamp).hasMatch(), qPrintable(entry.timestamp));
            QCOMPARE(entry.version, QStringLiteral("2.1.0"));
            QCOMPARE(entry.build, QStringLiteral("77"));
        }
        QVERIFY(entries[0].id != entries[1].id);
    }

    void readingFiltersLimitsAndSkipsBadLines()
    {
        QuorAppLogger logger(QStringLiteral("Filter"), freshFolder(QStringLiteral("filter")), 1 << 20, 5, fixedVersion);
        logger.info(QStringLiteral("old info"), QStringLiteral("c"));
        logger.warn(QStringLiteral("old warn"), QStringLiteral("c"));
        QFile file(path(logger.currentLogFileURL()));
        QVERIFY(file.open(QIODevice::Append));
        file.write("not json at all\n\n");
        file.write(R"({"build":"1","category":"c","id":"X","level":"fatal","message":"m","timestamp":"t","version":"1"})" "\n");
        file.write(R"({"build":"1","category":"c","id":"X","level":"warn","timestamp":"t","version":"1"})" "\n");
        file.close();
        logger.debug(QStringLiteral("new debug"), QStringLiteral("c"));
        logger.error(QStringLiteral("new error"), QStringLiteral("c"));

        auto messages = [](const QList<QuorLogEntry>& entries) {
            QStringList result;
            for (const auto& entry : entries) {
                result.append(entry.message);
            }
            return result;
        };
        QCOMPARE(messages(logger.recentEntries(10)),
                 QStringList({"new error", "new debug", "old warn", "old info"}));
        QCOMPARE(messages(logger.recentEntries(10, QuorLogLevel::warn)), QStringList({"new error", "old warn"}));
        QCOMPARE(messages(logger.recentEntries(2)), QStringList({"new error", "new debug"}));
        QCOMPARE(messages(logger.recentEntries(0)), QStringList({"new error"}));
        QCOMPARE(messages(logger.recentEntries(-5, QuorLogLevel::info)), QStringList({"new error"}));

        const auto shown = logger.recentEntries(2, QuorLogLevel::warn);
        const QString expected = QStringLiteral("[%1] [WARN] [v2.1.0#77] [c] old warn\n[%2] [ERROR] [v2.1.0#77] [c] new error")
                                     .arg(shown[1].timestamp, shown[0].timestamp);
        QCOMPARE(logger.exportPlainText(2, QuorLogLevel::warn), expected);
    }

    void clearRemovesEveryFileUntilTheNextEntry()
    {
        const QString folder = freshFolder(QStringLiteral("clear"));
        QuorAppLogger logger(QStringLiteral("Clear"), folder, 4096, 3, fixedVersion);
        logger.info(QStringLiteral("one"), QStringLiteral("c"));
        for (int n = 1; n <= 3; ++n) {
            writeFile(path(logger.currentLogFileURL()) + QStringLiteral(".%1").arg(n), "rotated\n");
        }
        logger.clear();
        QVERIFY(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(logger.recentEntries(10).isEmpty());
        QCOMPARE(logger.exportPlainText(10), QString());
        logger.info(QStringLiteral("two"), QStringLiteral("c"));
        QCOMPARE(logger.recentEntries(10).size(), 1);
    }

    void rotatesAtTheThresholdAndShiftsTheChain()
    {
        const QString folder = freshFolder(QStringLiteral("rotate"));
        QuorAppLogger logger(QStringLiteral("Rotate"), folder, 4096, 5, fixedVersion);
        const QString current = path(logger.currentLogFileURL());
        auto rotated = [&current](int n) { return current + QStringLiteral(".%1").arg(n); };
        QVERIFY(QDir().mkpath(folder));

        // One byte below the threshold: the entry is appended.
        writeFile(current, QByteArray(4095, 'a'));
        logger.info(QStringLiteral("appended"), QStringLiteral("c"));
        QVERIFY(!QFileInfo::exists(rotated(1)));
        QVERIFY(readAll(current).startsWith(QByteArray(4095, 'a')));

        // At the threshold, with five rotated files: the oldest goes, every other moves up one.
        writeFile(current, QByteArray(4096, 'c'));
        for (int n = 1; n <= 5; ++n) {
            writeFile(rotated(n), "r" + QByteArray::number(n));
        }
        logger.info(QStringLiteral("fresh"), QStringLiteral("c"));
        QCOMPARE(readAll(rotated(1)), QByteArray(4096, 'c'));
        for (int n = 2; n <= 5; ++n) {
            QCOMPARE(readAll(rotated(n)), "r" + QByteArray::number(n - 1));
        }
        QVERIFY(!QFileInfo::exists(rotated(6)));
        QCOMPARE(logger.recentEntries(10).size(), 1);
        QCOMPARE(logger.recentEntries(10).first().message, QStringLiteral("fresh"));
    }

    void steadyWritingKeepsTheLogBounded()
    {
        const QString folder = freshFolder(QStringLiteral("bounded"));
        QuorAppLogger logger(QStringLiteral("Bounded"), folder, 4096, 2, fixedVersion);
        const QString filler(200, QLatin1Char('x'));
        for (int i = 0; i < 200; ++i) {
            logger.info(QStringLiteral("%1 %2").arg(i).arg(filler), QStringLiteral("c"));
        }
        const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QCOMPARE(files, QStringList({"bounded.log", "bounded.log.1", "bounded.log.2"}));
        for (const QString& name : files) {
            // At most one entry beyond the threshold.
            QVERIFY(QFileInfo(folder + QLatin1Char('/') + name).size() < 4096 + 400);
        }
        QVERIFY(logger.recentEntries(1).first().message.startsWith(QStringLiteral("199 ")));
    }

    void writingNeverWaitsForTheDisk()
    {
        // Also the entries that start a file, the first one and the one after each rotation.
        const QString folder = freshFolder(QStringLiteral("flush"));
        QuorAppLogger logger(QStringLiteral("Flush"), folder, 4096, 2, fixedVersion);
        const int before = flushesOnThisThread;
        const QString filler(300, QLatin1Char('x'));
        for (int i = 0; i < 40; ++i) {
            logger.info(QStringLiteral("%1 %2").arg(i).arg(filler), QStringLiteral("c"));
        }
        QVERIFY(QFileInfo::exists(path(logger.currentLogFileURL()) + QStringLiteral(".2")));
        QCOMPARE(flushesOnThisThread, before);
    }

    void concurrentWritersNeverInterleaveLines()
    {
        QuorAppLogger logger(QStringLiteral("Threads"), freshFolder(QStringLiteral("threads")), 1 << 20, 5, fixedVersion);
        std::vector<std::thread> writers;
        for (int t = 0; t < 4; ++t) {
            writers.emplace_back([&logger, t] {
                for (int i = 0; i < 50; ++i) {
                    logger.info(QStringLiteral("writer %1 entry %2 token=abc%2").arg(t).arg(i), QStringLiteral("c"));
                }
            });
        }
        for (auto& writer : writers) {
            writer.join();
        }
        const QList<QByteArray> lines = readAll(path(logger.currentLogFileURL())).split('\n');
        QCOMPARE(lines.size(), 201); // 200 lines and the empty piece after the last line feed
        const auto entries = logger.recentEntries(1000);
        QCOMPARE(entries.size(), 200);
        for (const auto& entry : entries) {
            QVERIFY(entry.message.endsWith(QStringLiteral("token=[REDACTED]")));
        }
    }

    void writeFailureIsReportedOnStandardErrorOnly()
    {
        // The log folder's path is taken by a regular file.
        const QString blocker = quorTestSandboxPath() + QStringLiteral("/not-a-folder");
        writeFile(blocker, "x");
        QuorAppLogger logger(QStringLiteral("Broken App"), blocker + QStringLiteral("/logs"), 4096, 1, fixedVersion);

        QTemporaryFile captured;
        QVERIFY(captured.open());
        std::fflush(stderr);
        const int savedStderr = ::dup(STDERR_FILENO);
        ::dup2(captured.handle(), STDERR_FILENO);
        logger.error(QStringLiteral("lost"), QStringLiteral("c"));
        std::fflush(stderr);
        ::dup2(savedStderr, STDERR_FILENO);
        ::close(savedStderr);

        const QByteArray report = readAll(captured.fileName());
        QVERIFY2(report.startsWith("[QuorAppLogger:Broken App] write failed: "), report.constData());
        QVERIFY(report.endsWith('\n'));
        QVERIFY(logger.recentEntries(10).isEmpty());
        logger.clear(); // ignores what it cannot remove
    }

    void masksSecrets_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("logged");
        auto row = [](const char* name, const QString& message, const QString& logged) {
            QTest::newRow(name) << message << logged;
        };
        row("bearer", QStringLiteral("Authorization: Bearer abc.def_gh-1 next"),
            QStringLiteral("Authorization: Bearer [REDACTED] next"));
        row("bearer upper case, tab", QStringLiteral("BEARER\tabcdefgh"), QStringLiteral("BEARER\t[REDACTED]"));
        row("bearer no-break space", QStringLiteral("bearer\u00A0abcdefgh"), QStringLiteral("bearer\u00A0[REDACTED]"));
        row("bearer seven", QStringLiteral("bearer abcdefg"), QStringLiteral("bearer abcdefg"));
        row("password colon", QStringLiteral("password: hunter2, then more"),
            QStringLiteral("password: [REDACTED], then more"));
        row("PASSWORD equals", QStringLiteral("PASSWORD=hunter2;rest"), QStringLiteral("PASSWORD=[REDACTED];rest"));
        row("value ends at quote", QStringLiteral("secret=abc\"def"), QStringLiteral("secret=[REDACTED]\"def"));
        row("end of a longer word", QStringLiteral("mytoken:abc def"), QStringLiteral("mytoken:[REDACTED] def"));
        row("api key forms", QStringLiteral("apikey=1 api_key = 2 Api-Key:3"),
            QStringLiteral("apikey=[REDACTED] api_key = [REDACTED] Api-Key:[REDACTED]"));
        row("sk ten", QStringLiteral("key sk-abcdefghij here"), QStringLiteral("key [REDACTED_KEY] here"));
        row("sk nine", QStringLiteral("key sk-abcdefghi here"), QStringLiteral("key sk-abcdefghi here"));
        row("sk upper case", QStringLiteral("SK-abcdefghijkl"), QStringLiteral("SK-abcdefghijkl"));
        row("sk inside a word", QStringLiteral("task-abcdefghijkl"), QStringLiteral("task-abcdefghijkl"));
        row("sk after a letter with accent", QStringLiteral("ésk-abcdefghijkl"), QStringLiteral("ésk-abcdefghijkl"));
        row("sk trailing hyphen", QStringLiteral("sk-abcdefghijk- x"), QStringLiteral("[REDACTED_KEY]- x"));
        row("google key", QStringLiteral("k=AIzaSyA1234567890abcdef!"), QStringLiteral("k=[REDACTED_KEY]!"));
        row("google key short", QStringLiteral("AIza123456789012345"), QStringLiteral("AIza123456789012345"));
        row("google key case", QStringLiteral("aiza1234567890123456"), QStringLiteral("aiza1234567890123456"));
        row("rules in order", QStringLiteral("token=sk-abcdefghijklmn"), QStringLiteral("token=[REDACTED]"));
        row("bearer before key", QStringLiteral("Bearer sk-abcdefghijklmn"), QStringLiteral("Bearer [REDACTED]"));
        row("plain text", QStringLiteral("nothing secret here"), QStringLiteral("nothing secret here"));
        row("no rule word", QStringLiteral("Studio opened: 2 windows"), QStringLiteral("Studio opened: 2 windows"));
        // The Kelvin sign folds to k: only the rules themselves may say this line holds nothing.
        row("kelvin sign", QStringLiteral("to\u212Aen=abcdef rest"), QStringLiteral("to\u212Aen=[REDACTED] rest"));
    }

    void masksSecrets()
    {
        QFETCH(QString, message);
        QFETCH(QString, logged);
        QCOMPARE(QuorAppLogger::redactSecrets(message), logged);
    }

    void masksTheMessageButNotTheCategory()
    {
        QuorAppLogger logger(QStringLiteral("Mask"), freshFolder(QStringLiteral("mask")), 1 << 20, 5, fixedVersion);
        logger.warn(QStringLiteral("login with password=hunter2"), QStringLiteral("token=abc"));
        const QByteArray bytes = readAll(path(logger.currentLogFileURL()));
        QVERIFY(!bytes.contains("hunter2"));
        const auto entry = logger.recentEntries(1).first();
        QCOMPARE(entry.message, QStringLiteral("login with password=[REDACTED]"));
        QCOMPARE(entry.category, QStringLiteral("token=abc"));
    }

    void revealOpensTheFolderOrAsksTheFileManager()
    {
        const QString folder = freshFolder(QStringLiteral("reveal"));
        QuorAppLogger logger(QStringLiteral("Reveal"), folder, 1 << 20, 5, fixedVersion);
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
        auto cleanup = qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); });

        // No log file yet: the folder is created and opened.
        logger.revealInFinder();
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(recorder.opened, QList<QUrl>{QUrl::fromLocalFile(folder)});

        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            QSKIP("no session bus");
        }
        if (bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.FileManager1"))) {
            QSKIP("a file manager already serves this bus");
        }
        // A log file but no file manager on the bus: the folder is opened instead.
        logger.info(QStringLiteral("entry"), QStringLiteral("c"));
        recorder.opened.clear();
        logger.revealInFinder();
        QUOR_TRY_COMPARE(recorder.opened, QList<QUrl>{QUrl::fromLocalFile(folder)});

        // With a file manager: it is asked to show the file itself.
        QDBusConnection managerBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-fm"));
        auto disconnect = qScopeGuard([] { QDBusConnection::disconnectFromBus(QStringLiteral("fake-fm")); });
        FakeFileManager manager;
        QVERIFY(managerBus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                          QDBusConnection::ExportAllSlots));
        QVERIFY(managerBus.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        recorder.opened.clear();
        logger.revealInFinder();
        QUOR_TRY_COMPARE(manager.shownItems, QStringList{logger.currentLogFileURL().toString()});
        QVERIFY(recorder.opened.isEmpty());
        managerBus.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
    }
};

QUOR_TEST_GUI_MAIN(TestQuorAppLogger)
#include "tst_quorapplogger.moc"
