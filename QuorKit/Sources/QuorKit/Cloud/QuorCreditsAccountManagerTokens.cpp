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
#include "QuorPlatform/Loopback/UniqueFd.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QUrlQuery>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroNetworkReply>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The token is as good as anyone's who can read it. Where nobody chose the folder, the suite's own,
// a read closes a file left open to others (and its folder); a folder someone named (by
// TALLOWMER_ACCOUNT_DIR or by the caller) may be shared on purpose, so there a read only says so and
// the next save writes the file 0600.
enum class LooseModes { report, close };

void reportLooseMode(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 077) != 0) {
        warnOnce(path, QStringLiteral("mode"),
                 QStringLiteral("%1 is open to other users (mode %2); it is written 0600 at the next save")
                     .arg(path, QString::number(info.st_mode & 0777, 8)));
    }
}

// Makes the file at `path` 0600 and its folder 0700 when the file is open to others. Only the user's
// own regular file, right in the user's own folder under that name, is changed: through a symbolic
// link or a second name the mode of a file elsewhere would change. False when it was left as found.
bool closeLooseMode(const QString& path)
{
    using quor::platform::UniqueFd;
    const QFileInfo where(path);
    const UniqueFd folder(
        ::open(QFile::encodeName(where.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) {
        return false;
    }
    const UniqueFd file(::openat(folder.get(), QFile::encodeName(where.fileName()).constData(),
                                 O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    struct stat fileInfo {};
    struct stat folderInfo {};
    if (!file || ::fstat(file.get(), &fileInfo) != 0 || ::fstat(folder.get(), &folderInfo) != 0) {
        return false;
    }
    const uid_t self = ::geteuid();
    if (!S_ISREG(fileInfo.st_mode) || fileInfo.st_nlink != 1 || fileInfo.st_uid != self || folderInfo.st_uid != self) {
        return false;
    }
    if ((fileInfo.st_mode & 077) == 0) {
        return true;
    }
    if (::fchmod(file.get(), 0600) != 0) {
        return false;
    }
    const auto modeText = [](mode_t mode) { return QString::number(mode & 0777, 8); };
    QString done =
        QStringLiteral("%1 was open to other users (mode %2); it is now 0600").arg(path, modeText(fileInfo.st_mode));
    if ((folderInfo.st_mode & 077) != 0) {
        done += ::fchmod(folder.get(), 0700) == 0
                    ? QStringLiteral(", its folder 0700")
                    : QStringLiteral(", its folder stays mode ") + modeText(folderInfo.st_mode);
    }
    warnInLog(done);
    return true;
}

// An account file is a JSON object whose members are all texts; anything else reads as unreadable.
// Only a regular file of a bounded size is read: a FIFO or a device in its place would otherwise
// hold the file queue (and every later token read) for good.
std::optional<MapOfTexts> readTokenMap(const QString& path, LooseModes looseModes)
{
    const QuorRegularFile::ReadResult read = QuorRegularFile::read(path, maxAccountFileBytes);
    if (!read.ok()) {
        if (read.status != QuorRegularFile::ReadResult::Status::missing) {
            warnOnce(path, QStringLiteral("read"),
                     QStringLiteral("%1 was not read as an account file: %2").arg(path, read.error));
        }
        return std::nullopt;
    }
    if (looseModes == LooseModes::report || !closeLooseMode(path)) {
        reportLooseMode(path);
    }
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
std::optional<MapOfTexts> mapToExtend(const QString& path, LooseModes looseModes)
{
    if (auto map = readTokenMap(path, looseModes)) {
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
    const LooseModes looseModes = m_defaultLocations ? LooseModes::close : LooseModes::report;
    const auto readFiles = [files, key, looseModes]() -> std::optional<QString> {
        for (const QString& file : files) {
            const auto map = readTokenMap(file, looseModes);
            if (map && map->contains(key)) {
                const QString token = map->value(key).trimmed();
                if (!token.isEmpty()) {
                    return token;
                }
            }
        }
        return std::nullopt;
    };
    // Named before it is awaited: g++ 12 destroys a capturing lambda inside a co_await expression twice.
    QFuture<std::optional<QString>> read = QtConcurrent::run(&m_fileQueue, readFiles);
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
    const LooseModes looseModes = m_defaultLocations ? LooseModes::close : LooseModes::report;
    // Kept when the primary file holds it: that is the file every later read starts with.
    QFuture<bool> written = QtConcurrent::run(&m_fileQueue, [files, key, trimmed, looseModes] {
        bool primaryWritten = false;
        for (const QString& file : files) {
            bool stored = false;
            if (std::optional<MapOfTexts> map = mapToExtend(file, looseModes)) {
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
    const LooseModes looseModes = m_defaultLocations ? LooseModes::close : LooseModes::report;
    QFuture<void> cleared = QtConcurrent::run(&m_fileQueue, [files, key, looseModes] {
        for (const QString& file : files) {
            auto map = readTokenMap(file, looseModes);
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
