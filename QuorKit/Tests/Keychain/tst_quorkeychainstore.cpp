#include "QuorKit/Cloud/QuorKeychainStore.h"
#include "Support/QuorTestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QUuid>
#include <QtTest>

#include <qt6keychain/keychain.h>

namespace {
const QString service = QStringLiteral("com.tallowmer.quorzub");

// A fresh account per case, so repeated and parallel runs never see each other's items.
QString freshAccount(const QString& stem)
{
    return stem + QLatin1Char('-') + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// How many keyring items hold the pair, asked of the Secret Service itself.
int itemCount(const QString& account)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
        QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("SearchItems"));
    QMap<QString, QString> attributes{{QStringLiteral("server"), service}, {QStringLiteral("user"), account}};
    call << QVariant::fromValue(attributes);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
        return -1;
    }
    int count = 0;
    for (const QVariant& paths : reply.arguments()) {
        count += static_cast<int>(qdbus_cast<QList<QDBusObjectPath>>(paths).size());
    }
    return count;
}

QCoro::Task<std::optional<QString>> saveThenLoad(QString secret, QString account)
{
    co_await QuorKeychainStore::save(secret, service, account);
    co_return co_await QuorKeychainStore::load(service, account);
}

// Writes raw bytes under the pair the way another program might.
void writeForeignBytes(const QString& account, const QByteArray& bytes)
{
    QKeychain::WritePasswordJob job(service);
    job.setAutoDelete(false);
    job.setKey(account);
    job.setBinaryData(bytes);
    QSignalSpy finished(&job, &QKeychain::Job::finished);
    job.start();
    QVERIFY(finished.wait(10000));
    QCOMPARE(job.error(), QKeychain::NoError);
}
} // namespace

class TestQuorKeychainStore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qDBusRegisterMetaType<QMap<QString, QString>>(); }

    void saveLoadReplaceAndDelete()
    {
        const QString account = freshAccount(QStringLiteral("ai-api-key-openAI"));
        QCOMPARE(quorAwait(QuorKeychainStore::load(service, account)), std::nullopt);
        // Finding nothing is one question to the keyring service; the client library stays unloaded.
        QVERIFY(!quorIsMapped("libsecret-1"));

        QCOMPARE(quorAwait(saveThenLoad(QStringLiteral("sk-first"), account)), QStringLiteral("sk-first"));
        QCOMPARE(itemCount(account), 1);

        // Replacing keeps exactly one item, and non-ASCII text survives byte for byte.
        const QString nonAscii = QStringLiteral("şifre-İıĞ-鍵-🔑 with spaces");
        QCOMPARE(quorAwait(saveThenLoad(nonAscii, account)), nonAscii);
        QCOMPARE(itemCount(account), 1);

        quorAwait(QuorKeychainStore::deleteItem(service, account));
        QCOMPARE(quorAwait(QuorKeychainStore::load(service, account)), std::nullopt);
        QCOMPARE(itemCount(account), 0);
        // Deleting what is not there is quiet.
        quorAwait(QuorKeychainStore::deleteItem(service, account));
    }

    void emptySecretIsStoredNotAbsent()
    {
        const QString account = freshAccount(QStringLiteral("empty"));
        const auto loaded = quorAwait(saveThenLoad(QString(), account));
        QVERIFY(loaded.has_value());
        QVERIFY(loaded->isEmpty());
        quorAwait(QuorKeychainStore::deleteItem(service, account));
    }

    void accountsAreIndependent()
    {
        const QString ollama = freshAccount(QStringLiteral("ai-api-key-ollamaLocal"));
        const QString credits = freshAccount(QStringLiteral("ai-api-key-tallowmerCredits"));
        quorAwait(QuorKeychainStore::save(QStringLiteral("one"), service, ollama));
        quorAwait(QuorKeychainStore::save(QStringLiteral("two"), service, credits));
        quorAwait(QuorKeychainStore::deleteItem(service, ollama));
        QCOMPARE(quorAwait(QuorKeychainStore::load(service, ollama)), std::nullopt);
        QCOMPARE(quorAwait(QuorKeychainStore::load(service, credits)), QStringLiteral("two"));
        // The same account under another service is another item.
        QCOMPARE(quorAwait(QuorKeychainStore::load(QStringLiteral("com.tallowmer.other"), credits)), std::nullopt);
        quorAwait(QuorKeychainStore::deleteItem(service, credits));
    }

    void bytesThatAreNotUtf8LoadAsAbsent()
    {
        const QString account = freshAccount(QStringLiteral("foreign"));
        writeForeignBytes(account, QByteArray("\xff\xfe\x80 not text", 12));
        QCOMPARE(quorAwait(QuorKeychainStore::load(service, account)), std::nullopt);
        quorAwait(QuorKeychainStore::deleteItem(service, account));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorKeychainStore)
#include "tst_quorkeychainstore.moc"
