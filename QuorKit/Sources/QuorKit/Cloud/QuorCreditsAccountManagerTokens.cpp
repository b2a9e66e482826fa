#include "QuorKit/Cloud/QuorCreditsAccountManager.h"

#include "QuorKit/Cloud/QuorBrowserHandOff.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Cloud/QuorCreditsError.h"
#include "QuorKit/Cloud/QuorLoopbackHTTP.h"
#include "QuorKit/Cloud/QuorPKCECrypto.h"
#include "QuorKit/Cloud/QuorSupportLog.h"
#include "QuorKit/Cloud/QuorTransferError.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorSettings.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorAppVersion.h"
#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorKit/Utilities/QuorRegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QUrlQuery>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroNetworkReply>

#include <sys/stat.h>

namespace {
using MapOfTexts = QuorCreditsAccountManager::MapOfTexts;

const QString tokenKeyPrefix = QStringLiteral("account-token ");

QString withoutEdgeSlashes(QString text)
{
    while (text.startsWith(QLatin1Char('/'))) {
        text.remove(0, 1);
    }
    while (text.endsWith(QLatin1Char('/'))) {
        text.chop(1);
    }
    return text;
}

void warnInLog(const QString& message)
{
    QuorCreditsAccountManager::logger()->warn(message, QStringLiteral("security"));
}

// An account file holds a few tokens; anything much larger is not one.
constexpr qint64 maxAccountFileBytes = 1024 * 1024;

// Said once per path and problem: the files are read on every refresh and every AI request.
void warnOnce(const QString& path, const QString& problem, const QString& message)
{
    static QMutex lock;
    static QSet<QString> reported;
    const QMutexLocker locker(&lock);
    const QString key = problem + QLatin1Char(' ') + path;
    if (!reported.contains(key)) {
        reported.insert(key);
        warnInLog(message);
    }
}

// The token is as good as anyone's who can read it. A read changes no mode (the folder may be one
// the user shares on purpose, named by TALLOWMER_ACCOUNT_DIR); the next save writes the file 0600.
void reportLooseMode(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 077) != 0) {
        warnOnce(path, QStringLiteral("mode"),
                 QStringLiteral("%1 is open to other users (mode %2); it is written 0600 at the next save")
                     .arg(path, QString::number(info.st_mode & 0777, 8)));
    }
}

// An account file is a JSON object whose members are all texts; anything else reads as unreadable.
// Only a regular file of a bounded size is read: a FIFO or a device in its place would otherwise
// hold the file queue (and every later token read) for good.
std::optional<MapOfTexts> readTokenMap(const QString& path)
{
    const QuorRegularFile::ReadResult read = QuorRegularFile::read(path, maxAccountFileBytes);
    if (!read.ok()) {
        if (read.status != QuorRegularFile::ReadResult::Status::missing) {
            warnOnce(path, QStringLiteral("read"),
                     QStringLiteral("%1 was not read as an account file: %2").arg(path, read.error));
        }
        return std::nullopt;
    }
    reportLooseMode(path);
    try {
        const QJsonObject object = QuorJson::parseObject(read.bytes);
        MapOfTexts map;
        for (auto member = object.constBegin(); member != object.constEnd(); ++member) {
            if (!member->isString()) {
                return std::nullopt;
            }
            map.insert(member.key(), member->toString());
        }
        return map;
    } catch (const QuorDecodingError&) {
        return std::nullopt;
    }
}

// The map a save extends. The file holds the tokens of every gateway and of other applications, so
// one that is there but cannot be read as such is never overwritten: it is moved aside (once: the
// save then leaves a readable file) and the save starts a fresh map. Nothing when it could not be
// moved: then the save leaves that file alone.
std::optional<MapOfTexts> mapToExtend(const QString& path)
{
    if (auto map = readTokenMap(path)) {
        return map;
    }
    if (!QFileInfo::exists(path)) {
        return MapOfTexts();
    }
    if (const auto movedTo = QuorAtomicFile::moveAside(path)) {
        warnInLog(QStringLiteral("%1 could not be read as an account file; moved aside to %2")
                      .arg(path, QFileInfo(*movedTo).fileName()));
        return MapOfTexts();
    }
    warnInLog(QStringLiteral("%1 could not be read as an account file nor moved aside; the token was not saved there")
                  .arg(path));
    return std::nullopt;
}

// The token never exists on disk with wider rights: the temporary file is created 0600 and the folder
// 0700 before a byte is written, and the file is renamed into place. False (and a log line) when the
// file could not be written.
bool persistPrivateMap(const MapOfTexts& map, const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    ::chmod(folder.constData(), 0700); // an existing folder; a missing one is created 0700 below
    QJsonObject object;
    for (auto member = map.constBegin(); member != map.constEnd(); ++member) {
        object.insert(member.key(), member.value());
    }
    QuorAtomicFile::WriteOptions options;
    options.fileMode = 0600;
    options.folderMode = 0700;
    const QuorAtomicFile::WriteResult written = QuorAtomicFile::write(path, QuorJson::pretty(object), options);
    if (!written) {
        QuorSupportLog::write(QuorLogLevel::error, QuorSupportLog::account,
                              QStringLiteral("The account file %1 could not be written: %2").arg(path, written.error));
        return false;
    }
    ::chmod(QFile::encodeName(path).constData(), 0600);
    return true;
}

QUrl connectAddress(const QString& portalBase, quint16 port, const QString& challenge, const QString& state)
{
    QUrl url(withoutEdgeSlashes(portalBase) + QStringLiteral("/baglan"), QUrl::StrictMode);
    if (!QuorCreditsAccountManager::isWebAddress(url)) {
        throw QuorCreditsError::invalidGatewayURL();
    }
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("redirect_uri"), QStringLiteral("http://127.0.0.1:") + QString::number(port));
    query.addQueryItem(QStringLiteral("code_challenge"), challenge);
    query.addQueryItem(QStringLiteral("code_challenge_method"), QStringLiteral("S256"));
    query.addQueryItem(QStringLiteral("state"), state);
    query.addQueryItem(QStringLiteral("client"), QuorCreditsAccountManager::currentAppHeader());
    url.setQuery(query);
    if (!url.isValid()) {
        throw QuorCreditsError::invalidGatewayURL();
    }
    return url;
}

// A token the gateway gave but this computer could not keep: the browser must not say "connected".
void writeNotSavedPage(int clientFD, QuorLanguage language)
{
    const QString title =
        quorText(QStringLiteral("Account could not be saved"), QStringLiteral("Hesap kaydedilemedi"), {}, language);
    const QString message =
        quorText(QStringLiteral("Your Tallowmer app could not save the account on this computer. Return to the app to see why."),
                 QStringLiteral("Tallowmer uygulamanız hesabı bu bilgisayara kaydedemedi. Nedenini görmek için uygulamaya "
                                "dönün."),
                 {}, language);
    QuorLoopbackHTTP::writeRawResponse(
        clientFD, QuorLoopbackHTTP::pageResponse(500, QStringLiteral("Internal Server Error"), title, message,
                                                 QStringLiteral("#ff647c")));
}

void writeResultPage(int clientFD, bool success, QuorLanguage language)
{
    const QString title = success ? quorText(QStringLiteral("✓ Tallowmer Account Connected"),
                                             QStringLiteral("✓ Tallowmer Hesabı Bağlandı"), {}, language)
                                  : quorText(QStringLiteral("Connection code expired or invalid"),
                                             QStringLiteral("Bağlantı kodu geçersiz veya süresi doldu"), {}, language);
    const QString message =
        success ? quorText(QStringLiteral("Your shared credits are ready across all Tallowmer apps. You can close this browser tab."),
                           QStringLiteral("Ortak kredileriniz tüm Tallowmer uygulamalarında kullanıma hazır. Bu tarayıcı "
                                          "sekmesini kapatabilirsiniz."),
                           {}, language)
                : quorText(QStringLiteral("Please return to your Tallowmer app and click Connect again."),
                           QStringLiteral("Lütfen Tallowmer uygulamanıza dönüp yeniden Bağlan düğmesine tıklayın."), {}, language);
    QuorLoopbackHTTP::writeRawResponse(
        clientFD, success ? QuorLoopbackHTTP::pageResponse(200, QStringLiteral("OK"), title, message, QStringLiteral("#3ee6a8"))
                          : QuorLoopbackHTTP::pageResponse(400, QStringLiteral("Bad Request"), title, message,
                                                           QStringLiteral("#ff647c")));
}

// Closes the cancel signal's pipe on every way out of the browser exchange.
struct SignalCloser {
    std::shared_ptr<QuorLoopbackCancelSignal> signal;
    ~SignalCloser() { signal->close(); }
};
} // namespace

// ---------------------------------------------------------------------------------------------------
// Token files

QString QuorCreditsAccountManager::currentTokenKey() const
{
    return tokenKeyPrefix + resolvedGatewayURL(m_gatewayURLOverride);
}

QCoro::Task<std::optional<QString>> QuorCreditsAccountManager::savedToken()
{
    QStringList files{m_primaryAccountFile};
    if (m_legacyFennimarAccountFile) {
        files.append(*m_legacyFennimarAccountFile);
    }
    const QString key = currentTokenKey();
    // Named before it is awaited: g++ 12 destroys a capturing lambda inside a co_await expression twice.
    QFuture<std::optional<QString>> read = QtConcurrent::run(&m_fileQueue, [files, key]() -> std::optional<QString> {
        for (const QString& file : files) {
            const auto map = readTokenMap(file);
            if (map && map->contains(key)) {
                const QString token = map->value(key).trimmed();
                if (!token.isEmpty()) {
                    return token;
                }
            }
        }
        return std::nullopt;
    });
    co_return co_await read;
}

QCoro::Task<bool> QuorCreditsAccountManager::saveToken(QString token)
{
    const QString trimmed = token.trimmed();
    if (trimmed.isEmpty()) {
        co_return false;
    }
    QStringList files{m_primaryAccountFile};
    if (m_legacyFennimarAccountFile) {
        files.append(*m_legacyFennimarAccountFile);
    }
    const QString key = currentTokenKey();
    // Kept when the primary file holds it: that is the file every later read starts with.
    QFuture<bool> written = QtConcurrent::run(&m_fileQueue, [files, key, trimmed] {
        bool primaryWritten = false;
        for (const QString& file : files) {
            bool stored = false;
            if (std::optional<MapOfTexts> map = mapToExtend(file)) {
                map->insert(key, trimmed);
                stored = persistPrivateMap(*map, file);
            }
            if (file == files.first()) {
                primaryWritten = stored;
            }
        }
        return primaryWritten;
    });
    co_return co_await written;
}

QString QuorCreditsAccountManager::accountFolder() const
{
    return QFileInfo(m_primaryAccountFile).absolutePath();
}

QCoro::Task<> QuorCreditsAccountManager::keepToken(QString token)
{
    // Awaited on its own line: g++ 12 mishandles the awaited task's lifetime inside a condition.
    const bool saved = co_await saveToken(std::move(token));
    if (!saved) {
        throw QuorCreditsError::tokenNotSaved(accountFolder());
    }
}

QCoro::Task<> QuorCreditsAccountManager::clearLocalToken()
{
    QStringList files{m_primaryAccountFile};
    if (m_legacyFennimarAccountFile) {
        files.append(*m_legacyFennimarAccountFile);
    }
    const QString key = currentTokenKey();
    QFuture<void> cleared = QtConcurrent::run(&m_fileQueue, [files, key] {
        for (const QString& file : files) {
            auto map = readTokenMap(file);
            if (map && map->remove(key) > 0) {
                persistPrivateMap(*map, file);
            }
        }
    });
    co_await cleared;
}

// ---------------------------------------------------------------------------------------------------
// Browser sign-in

QCoro::Task<QString> QuorCreditsAccountManager::startOneClickSignIn(QString portalBase, double timeoutSeconds,
                                                                   bool openBrowser, bool syncSharedStore,
                                                                   std::function<void(const QUrl&)> onConnectURLReady,
                                                                   QuorCancellationToken cancel)
{
    const QString verifier = QuorPKCECrypto::randomBase64URL(32);
    const QString challenge = QuorPKCECrypto::sha256Base64URL(verifier);
    const QString state = QuorPKCECrypto::randomBase64URL(16);

    // Declared in this order, the browser's connection closes first, then the listener, then the pipe.
    const QuorLoopbackListener listener = QuorLoopbackHTTP::bindEphemeralLoopback();
    const SignalCloser closer{std::make_shared<QuorLoopbackCancelSignal>()};

    const QUrl connectURL = connectAddress(portalBase, listener.port, challenge, state);
    if (onConnectURLReady) {
        onConnectURLReady(connectURL);
    }
    if (openBrowser) {
        // A launcher that fails is logged; a caller that tells the user opens the page itself.
        openServerURL(connectURL, this, {});
    }

    const QuorLoopbackCallbackHit hit =
        co_await QuorLoopbackHTTP::awaitCallback(listener.fd.get(), state, timeoutSeconds, closer.signal, cancel);

    const QuorLanguage language = QuorLanguages::current();
    QString token;
    try {
        token = co_await redeemConnectCode(hit.code, verifier, cancel);
    } catch (const QuorCreditsError& error) {
        if (error.kind() == QuorCreditsError::Kind::tokenNotSaved) {
            writeNotSavedPage(hit.clientFD.get(), language);
        } else {
            writeResultPage(hit.clientFD.get(), false, language);
        }
        throw;
    } catch (...) {
        writeResultPage(hit.clientFD.get(), false, language);
        throw;
    }
    writeResultPage(hit.clientFD.get(), true, language);
    if (syncSharedStore) {
        co_await QuorCreditsAccountStore::shared().refreshWithNewToken();
    }
    co_return token;
}
