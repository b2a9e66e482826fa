#include "QuorKit/System/QuorSecurityBookmarks.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

namespace {

QString makeFolder(const QTemporaryDir& root, const QString& name)
{
    const QString path = root.filePath(name);
    QDir().mkpath(path);
    return path;
}

QStringList storedKeys(const QString& storageKey)
{
    return QuorSettings::standard().value(storageKey).toMap().keys();
}

} // namespace

class TestQuorSecurityBookmarks : public QObject {
    Q_OBJECT
private slots:
    void savingStandardizesAndSurvivesANewStore()
    {
        const QString key = QStringLiteral("test.bookmarks.save");
        QTemporaryDir root(quorTestSandboxPath() + QStringLiteral("/bm-XXXXXX"));
        const QString beta = makeFolder(root, QStringLiteral("beta"));
        const QString alpha = makeFolder(root, QStringLiteral("alpha"));
        {
            QuorSecurityBookmarkStore store(key, QuorSettings::standard());
            store.saveBookmark(beta);
            store.saveBookmark(beta + QStringLiteral("/../beta/."));
            store.saveBookmark(alpha);
        }
        QCOMPARE(storedKeys(key), (QStringList{alpha, beta}));

        const QuorSecurityBookmarkStore reopened(key, QuorSettings::standard());
        QCOMPARE(reopened.resolveAllBookmarks(), (QStringList{alpha, beta}));
    }

    void savingAMissingLocationThrowsAndStoresNothing()
    {
        const QString key = QStringLiteral("test.bookmarks.missing");
        QuorSecurityBookmarkStore store(key, QuorSettings::standard());
        QVERIFY_THROWS_EXCEPTION(QuorSecurityBookmarkError,
                                 store.saveBookmark(quorTestSandboxPath() + QStringLiteral("/no/such/place")));
        QVERIFY(!QuorSettings::standard().contains(key));
    }

    void removingMatchesTheStoredPathExactly()
    {
        const QString key = QStringLiteral("test.bookmarks.remove");
        QTemporaryDir root(quorTestSandboxPath() + QStringLiteral("/bm-XXXXXX"));
        const QString folder = makeFolder(root, QStringLiteral("folder"));
        QuorSecurityBookmarkStore store(key, QuorSettings::standard());
        store.saveBookmark(folder);

        store.removeBookmark(folder + QStringLiteral("/."));
        QCOMPARE(storedKeys(key), QStringList{folder});
        store.removeBookmark(folder);
        QVERIFY(storedKeys(key).isEmpty());
        QVERIFY(store.resolveAllBookmarks().isEmpty());
    }

    void vanishedLocationsAreSkippedButKept()
    {
        const QString key = QStringLiteral("test.bookmarks.vanished");
        QTemporaryDir root(quorTestSandboxPath() + QStringLiteral("/bm-XXXXXX"));
        const QString kept = makeFolder(root, QStringLiteral("kept"));
        const QString file = root.filePath(QStringLiteral("gone.txt"));
        QFile(file).open(QIODevice::WriteOnly);
        QuorSecurityBookmarkStore store(key, QuorSettings::standard());
        store.saveBookmark(kept);
        store.saveBookmark(file);

        QVERIFY(QFile::remove(file));
        QCOMPARE(store.resolveAllBookmarks(), QStringList{kept});
        QCOMPARE(storedKeys(key), (QStringList{file, kept}));
    }

    void storedValueOfTheWrongShapeReadsAsEmpty()
    {
        const QString key = QStringLiteral("test.bookmarks.shape");
        QTemporaryDir root(quorTestSandboxPath() + QStringLiteral("/bm-XXXXXX"));
        const QString folder = makeFolder(root, QStringLiteral("folder"));
        const QuorSettings defaults = QuorSettings::standard();
        QuorSecurityBookmarkStore store(key, defaults);

        defaults.setValue(key, QStringLiteral("not a map"));
        QVERIFY(store.resolveAllBookmarks().isEmpty());

        // One value that is not bytes spoils the whole map.
        defaults.setValue(key, QVariantMap{{folder, QFile::encodeName(folder)}, {QStringLiteral("/x"), 7}});
        QVERIFY(store.resolveAllBookmarks().isEmpty());

        store.saveBookmark(folder);
        QCOMPARE(storedKeys(key), QStringList{folder});
        QCOMPARE(store.resolveAllBookmarks(), QStringList{folder});
    }

    void scopedAccessRunsTheBodyAndPassesItsOutcome()
    {
        const QuorSecurityBookmarkStore store(QStringLiteral("test.bookmarks.scoped"), QuorSettings::standard());
        QCOMPARE(store.withScopedAccess(quorTestSandboxPath(), [] { return 42; }), 42);
        int runs = 0;
        store.withScopedAccess(quorTestSandboxPath(), [&] { ++runs; });
        QCOMPARE(runs, 1);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, store.withScopedAccess(quorTestSandboxPath(), []() -> int {
            throw std::runtime_error("body failed");
        }));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorSecurityBookmarks)
#include "tst_quorsecuritybookmarks.moc"
