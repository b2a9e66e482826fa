#include "QuorKit/Cloud/QuorKeychainStore.h"

#include "QuorPlatform/Core/QuorCancellationToken.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QStringDecoder>

#include <QCoro/QCoroDBusPendingCall>
#include <QCoro/QCoroSignal>

#include <qt6keychain/keychain.h>

#include <memory>

namespace {
QString englishText(int status, const QString& detail, QuorKeychainError::Operation operation)
{
    const QString suffix = detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail);
    const bool saving = operation == QuorKeychainError::Operation::save;
    const QString outcome = saving ? QStringLiteral("so the key was not saved.") : QStringLiteral("so the key was not removed.");
    switch (status) {
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        return QStringLiteral("Access to the system keyring was denied, ") + outcome + suffix;
    case QKeychain::NoBackendAvailable:
        return QStringLiteral("No system keyring is available, ") + outcome
               + QStringLiteral(" Start and unlock a keyring service such as GNOME Keyring or KWallet, then try again.")
               + suffix;
    default:
        return (saving ? QStringLiteral("The system keyring could not save the key.")
                       : QStringLiteral("The system keyring could not remove the key."))
               + QStringLiteral(" Make sure a keyring service such as GNOME Keyring or KWallet is running and unlocked, "
                                "then try again.")
               + suffix;
    }
}

QString turkishText(int status, const QString& detail, QuorKeychainError::Operation operation)
{
    const QString suffix = detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail);
    const bool saving = operation == QuorKeychainError::Operation::save;
    const QString outcome = saving ? QStringLiteral("bu yüzden anahtar kaydedilmedi.") : QStringLiteral("bu yüzden anahtar silinmedi.");
    switch (status) {
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        return QStringLiteral("Sistem anahtarlığına erişim reddedildi, ") + outcome + suffix;
    case QKeychain::NoBackendAvailable:
        return QStringLiteral("Kullanılabilir bir sistem anahtarlığı yok, ") + outcome
               + QStringLiteral(" GNOME Keyring veya KWallet gibi bir anahtarlık hizmetini başlatıp kilidini açın ve "
                                "yeniden deneyin.")
               + suffix;
    default:
        return (saving ? QStringLiteral("Sistem anahtarlığı anahtarı kaydedemedi.")
                       : QStringLiteral("Sistem anahtarlığı anahtarı silemedi."))
               + QStringLiteral(" GNOME Keyring veya KWallet gibi bir anahtarlık hizmetinin çalıştığından ve kilidinin "
                                "açık olduğundan emin olun, sonra yeniden deneyin.")
               + suffix;
    }
}

template <typename JobType>
std::unique_ptr<JobType> makeJob(const QString& service, const QString& account)
{
    auto job = std::make_unique<JobType>(service);
    job->setAutoDelete(false);
    // A secret must never end up in a plain settings file, whatever the library's default.
    job->setInsecureFallback(false);
    job->setKey(account);
    return job;
}

// Starts the job and resumes once it has finished, however quickly that happens.
QCoro::Task<> run(QKeychain::Job* job)
{
    bool finished = false;
    quor::detail::SignalRelay relay;
    QObject::connect(job, &QKeychain::Job::finished, &relay, [&finished, &relay] {
        finished = true;
        relay.fire();
    });
    job->start();
    if (!finished) {
        co_await qCoro(&relay, &quor::detail::SignalRelay::fired);
    }
}

// Under KDE the keychain library keeps its items in KWallet, where the Secret Service cannot see them.
bool keychainUsesTheSecretService()
{
    const QByteArray desktop = qgetenv("XDG_CURRENT_DESKTOP").toLower();
    const QByteArray session = qgetenv("DESKTOP_SESSION").toLower();
    return !desktop.contains("kde") && !session.contains("kde") && !session.contains("plasma")
           && qEnvironmentVariableIsEmpty("KDE_FULL_SESSION") && qEnvironmentVariableIsEmpty("KDE_SESSION_VERSION");
}

// True only when the Secret Service answers that it holds no item, locked or not, with the pair's
// attributes (those the keychain library stores and looks items up by). It is one D-Bus call on a
// connection the process already has, where the keychain library would load its client libraries
// (about 3 MB that stay resident) just to find nothing, which is what the start-up read of a
// never-saved key does. Any doubt (no bus, no service, an error) answers false.
QCoro::Task<bool> secretServiceHoldsNoItem(QString service, QString account)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!keychainUsesTheSecretService() || !bus.isConnected()) {
        co_return false;
    }
    static const QMetaType mapType = qDBusRegisterMetaType<QMap<QString, QString>>();
    Q_UNUSED(mapType);
    QDBusMessage search = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
        QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("SearchItems"));
    const QMap<QString, QString> attributes{{QStringLiteral("user"), account}, {QStringLiteral("server"), service}};
    search << QVariant::fromValue(attributes);
    const QDBusPendingCall pending = bus.asyncCall(search);
    const QDBusMessage reply = co_await pending;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
        co_return false;
    }
    for (const QVariant& paths : reply.arguments()) {
        if (!qdbus_cast<QList<QDBusObjectPath>>(paths).isEmpty()) {
            co_return false;
        }
    }
    co_return true;
}

std::optional<QString> strictUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    // A non-null empty text: an item that holds no bytes is still a stored secret.
    return text.isNull() ? QStringLiteral("") : text;
}
} // namespace

QuorKeychainError::QuorKeychainError(int status, QString detail, Operation operation)
    : QuorError(englishText(status, detail, operation), turkishText(status, detail, operation)), m_status(status),
      m_detail(std::move(detail))
{
}

QCoro::Task<> QuorKeychainStore::save(QString secret, QString service, QString account)
{
    // The library replaces an existing item of the pair in one step, so there is no moment without one.
    const auto job = makeJob<QKeychain::WritePasswordJob>(service, account);
    // Stored as the secret's plain UTF-8 bytes, readable by any Secret Service client.
    job->setTextData(secret);
    co_await run(job.get());
    if (job->error() != QKeychain::NoError) {
        throw QuorKeychainError(job->error(), job->errorString());
    }
}

QCoro::Task<std::optional<QString>> QuorKeychainStore::load(QString service, QString account)
{
    if (co_await secretServiceHoldsNoItem(service, account)) {
        co_return std::nullopt;
    }
    const auto job = makeJob<QKeychain::ReadPasswordJob>(service, account);
    co_await run(job.get());
    if (job->error() != QKeychain::NoError) {
        co_return std::nullopt;
    }
    co_return strictUtf8(job->binaryData());
}

QCoro::Task<> QuorKeychainStore::deleteItem(QString service, QString account)
{
    const auto job = makeJob<QKeychain::DeletePasswordJob>(service, account);
    co_await run(job.get());
    // A locked or missing keyring must not pass for a removed key: the key would stay stored while
    // the user is told it is gone.
    if (job->error() != QKeychain::NoError && job->error() != QKeychain::EntryNotFound) {
        throw QuorKeychainError(job->error(), job->errorString(), QuorKeychainError::Operation::remove);
    }
}
