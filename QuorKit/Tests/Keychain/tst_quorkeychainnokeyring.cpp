#include "QuorKit/Cloud/QuorKeychainStore.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "Support/QuorTestSupport.h"

#include <QDirIterator>
#include <QtTest>

// Runs with the session bus pointed at nowhere: the desktop has no keyring to offer.
class TestQuorKeychainNoKeyring : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Before anything in this process opens the session bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quor-no-bus");
    }

    void savingFailsClearlyAndNothingLandsInAFile()
    {
        const QString secret = QStringLiteral("sk-must-not-leak-7d1f");
        bool threw = false;
        try {
            quorAwait(QuorKeychainStore::save(secret, QStringLiteral("com.tallowmer.quorzub"),
                                              QStringLiteral("ai-api-key-openAI")));
        } catch (const QuorKeychainError& error) {
            threw = true;
            QVERIFY(error.status() != 0);
            QVERIFY(localizedDescription(error, QuorLanguage::en).contains(QStringLiteral("keyring")));
            QVERIFY(localizedDescription(error, QuorLanguage::tr).contains(QStringLiteral("anahtarlı")));
            QVERIFY(!error.englishDescription().contains(secret));
        }
        QVERIFY(threw);

        // No insecure fallback: the secret is nowhere under the test's home.
        QDirIterator files(quorTestSandboxPath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(!file.readAll().contains(secret.toUtf8()), qPrintable(file.fileName()));
        }
    }

    void loadingFindsNothingAndDeletingSaysItCouldNot()
    {
        QCOMPARE(quorAwait(QuorKeychainStore::load(QStringLiteral("com.tallowmer.quorzub"),
                                                   QStringLiteral("ai-api-key-openAI"))),
                 std::nullopt);
        // Without a keyring nobody can tell whether a key is still stored, so removal is not claimed.
        bool threw = false;
        try {
            quorAwait(QuorKeychainStore::deleteItem(QStringLiteral("com.tallowmer.quorzub"),
                                                    QStringLiteral("ai-api-key-openAI")));
        } catch (const QuorKeychainError& error) {
            threw = true;
            const QString english = localizedDescription(error, QuorLanguage::en);
            QVERIFY2(english.contains(QStringLiteral("remove")) && !english.contains(QStringLiteral("save")),
                     qPrintable(english));
            QVERIFY(localizedDescription(error, QuorLanguage::tr).contains(QStringLiteral("sil")));
        }
        QVERIFY(threw);
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorKeychainNoKeyring)
#include "tst_quorkeychainnokeyring.moc"
