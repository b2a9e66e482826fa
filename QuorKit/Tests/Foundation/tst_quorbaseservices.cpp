#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorGraphemeBoundaries.h"
#include "QuorKit/Utilities/QuorGraphemes.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorKit/Utilities/QuorNotificationCenter.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorKit/Utilities/QuorSettings.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <sys/stat.h>

class TestQuorBaseServices : public QObject {
    Q_OBJECT
private slots:
    void pathsFollowXdgDataHome()
    {
        const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        QCOMPARE(QuorPaths::appDirectory(QStringLiteral("QuorZub")), dataHome + QStringLiteral("/Tallowmer/QuorZub"));
        qputenv("XDG_DATA_HOME", "relative/ignored");
        QCOMPARE(QuorPaths::applicationSupportDirectory(), QDir::homePath() + QStringLiteral("/.local/share"));
        qputenv("XDG_DATA_HOME", dataHome.toUtf8());
    }

    void bundleFindsResourcesAndIdentity()
    {
        const QuorBundle& bundle = QuorBundle::main();
        QCOMPARE(bundle.bundleIdentifier(), QStringLiteral("com.tallowmer.quorzub"));
        QVERIFY(bundle.resourceDirectory().has_value());
        QVERIFY(!bundle.pathForResource(QStringLiteral("no-such-resource"), QStringLiteral("json")));
    }

    void atomicWriteReplacesAndLeavesNoTemporary()
    {
        const QString folder = quorTestSandboxPath() + QStringLiteral("/atomic/deeper");
        const QString path = folder + QStringLiteral("/file.json");
        QVERIFY(QuorAtomicFile::write(path, "one"));
        QVERIFY(QuorAtomicFile::write(path, "two"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("two"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void atomicWriteHonoursPrivateModes()
    {
        const QString folder = quorTestSandboxPath() + QStringLiteral("/private");
        const QString path = folder + QStringLiteral("/token.json");
        QuorAtomicFile::WriteOptions options;
        options.fileMode = 0600;
        options.folderMode = 0700;
        QVERIFY(QuorAtomicFile::write(path, "secret", options));
        struct stat fileInfo {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &fileInfo), 0);
        QCOMPARE(fileInfo.st_mode & 0777, mode_t(0600));
        QCOMPARE(::stat(QFile::encodeName(folder).constData(), &fileInfo), 0);
        QCOMPARE(fileInfo.st_mode & 0777, mode_t(0700));
    }

    void atomicWriteFailureKeepsTheOldFile()
    {
        const QString path = quorTestSandboxPath() + QStringLiteral("/keep.json");
        QVERIFY(QuorAtomicFile::write(path, "original"));
        // A directory squatting on the target makes the rename fail after the temporary was written.
        const QString blocked = quorTestSandboxPath() + QStringLiteral("/blocked");
        QVERIFY(QDir().mkpath(blocked + QStringLiteral("/inside")));
        const auto result = QuorAtomicFile::write(blocked, "new");
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        const QStringList leftovers = QDir(quorTestSandboxPath()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : leftovers) {
            QVERIFY2(!QuorAtomicFile::isTemporaryName(name), qPrintable(name));
        }
    }

    void moveAsideKeepsTheBytes()
    {
        const QString path = quorTestSandboxPath() + QStringLiteral("/config.json");
        QVERIFY(QuorAtomicFile::write(path, "{ truncated"));
        const auto aside = QuorAtomicFile::moveAside(path);
        QVERIFY(aside.has_value());
        QVERIFY(aside->startsWith(path + QStringLiteral(".corrupt-")));
        QVERIFY(!QFile::exists(path));
        QFile moved(*aside);
        QVERIFY(moved.open(QIODevice::ReadOnly));
        QCOMPARE(moved.readAll(), QByteArray("{ truncated"));
        QVERIFY(!QuorAtomicFile::moveAside(path).has_value());
    }

    void strictJsonFollowsTypedDecoding()
    {
        const QJsonObject object = QuorJson::parseObject(
            R"({"name":"x","count":5,"whole":5.0,"half":1.5,"flag":true,"nothing":null,"big":9007199254740993})");
        QCOMPARE(QuorJson::requireString(object, QStringLiteral("name")), QStringLiteral("x"));
        QCOMPARE(QuorJson::requireInt(object, QStringLiteral("count")), 5);
        QCOMPARE(QuorJson::requireInt(object, QStringLiteral("whole")), 5);
        QCOMPARE(QuorJson::requireInt64(object, QStringLiteral("big")), Q_INT64_C(9007199254740993));
        QVERIFY(!QuorJson::optionalString(object, QStringLiteral("nothing")).has_value());
        QVERIFY(!QuorJson::optionalBool(object, QStringLiteral("absent")).has_value());
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorJson::requireInt(object, QStringLiteral("half")));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorJson::requireString(object, QStringLiteral("count")));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorJson::optionalString(object, QStringLiteral("flag")));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorJson::requireBool(object, QStringLiteral("absent")));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorJson::parseObject("[1]"));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorJson::parseObject("{\"a\":"));
    }

    void isoDatesRoundTrip()
    {
        const QDateTime date(QDate(2026, 12, 8), QTime(6, 18, 54), Qt::UTC);
        QCOMPARE(QuorJson::isoDate(date), QStringLiteral("2026-12-08T06:18:54Z"));
        QCOMPARE(QuorJson::parseIsoDate(QStringLiteral("2026-12-08T06:18:54Z")), date);
        QCOMPARE(QuorJson::parseIsoDate(QStringLiteral("2026-12-08T09:18:54+03:00")), date);
        QVERIFY(!QuorJson::parseIsoDate(QStringLiteral("yesterday")).has_value());
    }

    void graphemesCountWhatPeopleSee()
    {
        const QString family = QString::fromUtf8("👨‍👩‍👧");
        const QString accented = QStringLiteral("e\u0301");
        QCOMPARE(QuorGraphemes::count(family), 1);
        QCOMPARE(QuorGraphemes::count(accented + QStringLiteral("x")), 2);
        QCOMPARE(QuorGraphemes::prefix(family + QStringLiteral("ab"), 2), family + QStringLiteral("a"));
        QCOMPARE(QuorGraphemes::suffix(QStringLiteral("ab") + accented, 1), accented);
        QCOMPARE(QuorGraphemes::dropLast(QStringLiteral("abc"), 5), QString());
        QCOMPARE(QuorGraphemes::count(QString()), 0);
        // A lone surrogate from a broken paste still counts as one character.
        QCOMPARE(QuorGraphemes::count(QString(QChar(0xD800)) + QStringLiteral("a")), 2);

        // A prefix of a long text measures only its start, and a character longer than the first
        // stretch measured is still taken whole.
        const QString marks = QString(300, QChar(0x0301));
        const QString longText = QStringLiteral("a") + marks + accented.repeated(5000) + family;
        QCOMPARE(QuorGraphemes::prefix(longText, 1), QStringLiteral("a") + marks);
        QCOMPARE(QuorGraphemes::prefix(longText, 101), QStringLiteral("a") + marks + accented.repeated(100));
        QCOMPARE(QuorGraphemes::prefix(longText, 5002), longText);
    }

    // Runs below U+0300 are split without ICU; where they meet other characters ICU decides, so
    // CR LF, combining marks, joiners and flags come out as people see them either way.
    void graphemeBoundariesWhereCheapRunsMeetICU()
    {
        const auto count = [](const QString& text) { return QuorGraphemeBoundaries(text).count(); };
        QCOMPARE(count(QStringLiteral("x\r\ny")), 3);
        QCOMPARE(count(QStringLiteral("\r\r\n\n\r")), 4);
        QCOMPARE(count(QStringLiteral("ağaç\r\n")), 5);
        QCOMPARE(count(QStringLiteral("ae\u0301\u0301b")), 3);
        QCOMPARE(count(QString::fromUtf8("a🇹🇷🇩🇪b")), 4);
        // © is a pictograph: joined to another by ZWJ the two are one character.
        QCOMPARE(count(QStringLiteral("©\u200D©©")), 2);
        QCOMPARE(count(QStringLiteral("x\u1100\u1161\u11A8y")), 3);
        QCOMPARE(count(QStringLiteral("a") + QChar(0xDC00) + QChar(0xD800)), 3);

        const QuorGraphemeBoundaries bounds(QStringLiteral("ae\u0301\r\nb"));
        QCOMPARE(bounds.count(), 4);
        QCOMPARE(bounds.offset(2), 3);
        QCOMPARE(bounds.offset(3), 5);
        QVERIFY(!bounds.isBoundary(2));
        QVERIFY(!bounds.isBoundary(4));
        QVERIFY(bounds.isBoundary(6));
        QVERIFY(!bounds.isBoundary(7));

        // A visitor that measures other texts does not disturb the walk it is called from.
        QStringList seen;
        QuorGraphemeBoundaries::forEach(QStringLiteral("a\u0301b\u0301\u4E2D\u6587"), [&](QStringView character) {
            QCOMPARE(QuorGraphemes::count(QStringLiteral("e\u0301\u0301") + character.toString()), 2);
            seen.append(character.toString());
        });
        QCOMPARE(seen, (QStringList{QStringLiteral("a\u0301"), QStringLiteral("b\u0301"), QStringLiteral("\u4E2D"),
                                    QStringLiteral("\u6587")}));
    }

    void settingsKeepStringsAndData()
    {
        const QuorSettings settings = QuorSettings::standard();
        settings.setValue(QStringLiteral("com.tallowmer.test"), QStringLiteral("value"));
        QCOMPARE(settings.string(QStringLiteral("com.tallowmer.test")), QStringLiteral("value"));
        settings.setValue(QStringLiteral("com.tallowmer.blob"), QByteArray("\x00\x01", 2));
        QCOMPARE(settings.data(QStringLiteral("com.tallowmer.blob")), QByteArray("\x00\x01", 2));
        QVERIFY(!settings.string(QStringLiteral("com.tallowmer.blob")).has_value());
        settings.remove(QStringLiteral("com.tallowmer.test"));
        QVERIFY(!settings.contains(QStringLiteral("com.tallowmer.test")));
        QVERIFY(settings.fileName().startsWith(quorTestSandboxPath()));
    }

    void notificationsReachObserversOfTheirNameOnly()
    {
        QObject context;
        QStringList seen;
        QuorNotificationCenter::defaultCenter().addObserver(QStringLiteral("a"), &context, [&seen](const QuorNotification& note) {
            seen << note.object.toString();
        });
        QuorNotificationCenter::defaultCenter().post(QStringLiteral("a"), QStringLiteral("first"));
        QuorNotificationCenter::defaultCenter().post(QStringLiteral("b"), QStringLiteral("other"));
        {
            QObject gone;
            QuorNotificationCenter::defaultCenter().addObserver(QStringLiteral("a"), &gone, [](const QuorNotification&) {
                QFAIL("observer outlived its context");
            });
        }
        QuorNotificationCenter::defaultCenter().post(QStringLiteral("a"), QStringLiteral("second"));
        QCOMPARE(seen, QStringList({QStringLiteral("first"), QStringLiteral("second")}));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorBaseServices)
#include "tst_quorbaseservices.moc"
