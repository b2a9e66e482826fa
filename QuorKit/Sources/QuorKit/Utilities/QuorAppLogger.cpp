#include "QuorKit/Utilities/QuorAppLogger.h"

#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorKit/Utilities/QuorRegularFile.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMutexLocker>
#include <QUuid>

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>
#include <vector>

namespace {

// ICU's regular expressions, so word boundaries (\b), white space (\s) and case-insensitive
// matching follow exactly the rules the masks were written for.
struct RedactionRule {
    const char16_t* pattern;
    const char16_t* replacement;
};

constexpr RedactionRule redactionRules[] = {
    {u"(?i)(bearer\\s+)[A-Za-z0-9._\\-]{8,}", u"$1[REDACTED]"},
    {u"\\b(sk-[A-Za-z0-9_\\-]{10,})\\b", u"[REDACTED_KEY]"},
    {u"\\b(AIza[0-9A-Za-z\\-_]{16,})\\b", u"[REDACTED_KEY]"},
    {u"(?i)((?:api[_-]?key|token|secret|password)\\s*[=:]\\s*)[^\\s,;\\\"']+", u"$1[REDACTED]"},
};

// Compiled once; a compiled pattern is immutable and hands out a fresh matcher to each thread.
const std::vector<std::unique_ptr<icu::RegexPattern>>& compiledRules()
{
    static const std::vector<std::unique_ptr<icu::RegexPattern>> patterns = [] {
        std::vector<std::unique_ptr<icu::RegexPattern>> result;
        for (const RedactionRule& rule : redactionRules) {
            UErrorCode status = U_ZERO_ERROR;
            UParseError parseError{};
            std::unique_ptr<icu::RegexPattern> pattern(
                icu::RegexPattern::compile(icu::UnicodeString(rule.pattern), 0, parseError, status));
            // A rule that does not compile is skipped rather than taking the log down.
            result.push_back(U_SUCCESS(status) ? std::move(pattern) : nullptr);
        }
        return result;
    }();
    return patterns;
}

// Whether any rule could match. Each one needs one of these words; in ASCII text, case-insensitive
// matching is ASCII case folding, so a line without them is left as it is without compiling the
// rules (ICU's regular expression engine is half a megabyte of code and tables that most runs would
// otherwise keep resident for their start-up lines alone). Any other character sends the line
// through the rules, since Unicode case folding lets other letters stand for these.
bool mayHoldSecret(const QString& text)
{
    const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii) {
        return true;
    }
    static constexpr QLatin1StringView words[] = {QLatin1StringView("bearer"), QLatin1StringView("sk-"),
                                                  QLatin1StringView("aiza"),   QLatin1StringView("key"),
                                                  QLatin1StringView("token"),  QLatin1StringView("secret"),
                                                  QLatin1StringView("password")};
    return std::any_of(std::begin(words), std::end(words),
                       [&text](QLatin1StringView word) { return text.contains(word, Qt::CaseInsensitive); });
}

icu::UnicodeString toIcu(const QString& text)
{
    return {reinterpret_cast<const UChar*>(text.utf16()), static_cast<int32_t>(text.size())};
}

QString fromIcu(const icu::UnicodeString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

// Every match replaced by `replacement` ("$1" is the first group); the input unchanged on failure.
icu::UnicodeString replaceAll(const icu::RegexPattern& pattern, const icu::UnicodeString& input,
                              const char16_t* replacement)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::RegexMatcher> matcher(pattern.matcher(input, status));
    if (U_FAILURE(status)) {
        return input;
    }
    icu::UnicodeString replaced = matcher->replaceAll(icu::UnicodeString(replacement), status);
    return U_SUCCESS(status) ? replaced : input;
}

QString fileStem(const QString& appName)
{
    return appName.toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

int syslogPriority(QuorLogLevel level)
{
    switch (level) {
    case QuorLogLevel::debug:
        return LOG_DEBUG;
    case QuorLogLevel::info:
        return LOG_INFO;
    case QuorLogLevel::warn:
    case QuorLogLevel::error:
        return LOG_ERR;
    }
    return LOG_INFO;
}

// syslog(3) names one identity per process; the first logger to write gives it. The category and
// message are always arguments of a fixed format, never a format of their own.
void mirrorToSystemLog(const QString& subsystem, QuorLogLevel level, const QString& category, const QString& message)
{
    static const QByteArray identity = subsystem.toUtf8();
    static const bool opened = (::openlog(identity.constData(), LOG_PID, LOG_USER), true);
    Q_UNUSED(opened);
    ::syslog(syslogPriority(level), "[%s] %s", category.toUtf8().constData(), message.toUtf8().constData());
}

bool appendToExisting(const QString& path, const QByteArray& bytes, QString& failure)
{
    // Non-blocking, so a FIFO in the log's place cannot stall the caller waiting for a reader.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        failure = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        failure = QStringLiteral("not a regular file");
        ::close(fd);
        return false;
    }
    const char* cursor = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, cursor, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            failure = QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            return false;
        }
        cursor += written;
        left -= written;
    }
    ::close(fd);
    return true;
}

void openFolder(const QString& folder)
{
    // Opening a location needs the GUI half of Qt; a console process has no file manager to ask.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
}

} // namespace

std::shared_ptr<QuorAppLogger> QuorAppLogger::shared(const QString& appName, VersionProvider provider)
{
    static QMutex registryLock;
    static std::map<QString, std::shared_ptr<QuorAppLogger>> registry;
    const QMutexLocker locker(&registryLock);
    const auto found = registry.find(appName);
    if (found != registry.end()) {
        return found->second;
    }
    if (!provider) {
        provider = [] {
            return QuorAppVersion::current(QuorBundle::main(), QStringLiteral("1.0.0"), QStringLiteral("100"));
        };
    }
    auto logger = std::make_shared<QuorAppLogger>(appName, std::nullopt, defaultMaxFileBytes,
                                                  defaultMaxRotatedFiles, std::move(provider));
    registry.emplace(appName, logger);
    return logger;
}

QuorAppLogger::QuorAppLogger(const QString& appName, const std::optional<QString>& directory,
                             quint64 maxFileBytes, int maxRotatedFiles, VersionProvider versionProvider)
    : m_appName(appName),
      m_logDirectory(directory ? *directory : QuorPaths::appDirectory(appName) + QStringLiteral("/logs")),
      m_currentLogFile(m_logDirectory + QLatin1Char('/') + fileStem(appName) + QStringLiteral(".log")),
      m_subsystem(QStringLiteral("com.tallowmer.") + fileStem(appName)),
      m_maxFileBytes(maxFileBytes < 4097 ? 4096 : maxFileBytes),
      m_maxRotatedFiles(maxRotatedFiles < 2 ? 1 : maxRotatedFiles),
      m_versionProvider(std::move(versionProvider))
{
}

QString QuorAppLogger::rotatedLogFile(int n) const
{
    return m_currentLogFile + QLatin1Char('.') + QString::number(n);
}

void QuorAppLogger::log(QuorLogLevel level, const QString& category, const QString& message)
{
    const QuorAppVersion version = m_versionProvider ? m_versionProvider() : QuorAppVersion{};
    const QuorLogEntry entry{QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(),
                             QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs),
                             level,
                             category,
                             redactSecrets(message),
                             version.shortVersion,
                             version.buildNumber};
    mirrorToSystemLog(m_subsystem, level, category, entry.message);

    const QMutexLocker locker(&m_lock);
    QString failure;
    // What the user selected reaches the log: its folders are the user's alone.
    if (!QuorAtomicFile::createFolders(m_logDirectory, 0700)) {
        failure = QStringLiteral("cannot create the folder %1").arg(m_logDirectory);
    } else {
        rotateIfNeededLocked();
        if (appendLocked(entry.encodedLine() + '\n', failure)) {
            return;
        }
    }
    const QByteArray report = "[QuorAppLogger:" + m_appName.toUtf8() + "] write failed: " + failure.toUtf8() + "\n";
    std::fwrite(report.constData(), 1, static_cast<size_t>(report.size()), stderr);
}

void QuorAppLogger::debug(const QString& message, const QString& category)
{
    log(QuorLogLevel::debug, category, message);
}

void QuorAppLogger::info(const QString& message, const QString& category)
{
    log(QuorLogLevel::info, category, message);
}

void QuorAppLogger::warn(const QString& message, const QString& category)
{
    log(QuorLogLevel::warn, category, message);
}

void QuorAppLogger::error(const QString& message, const QString& category)
{
    log(QuorLogLevel::error, category, message);
}

bool QuorAppLogger::appendLocked(const QByteArray& line, QString& failure) const
{
    if (QFileInfo::exists(m_currentLogFile)) {
        return appendToExisting(m_currentLogFile, line, failure);
    }
    // A process killed while it started a file may have left its temporary copy behind.
    QuorAtomicFile::removeStaleTemporaryFiles(m_logDirectory, {QFileInfo(m_currentLogFile).fileName()});
    QuorAtomicFile::WriteOptions options;
    options.fileMode = 0600;
    // Appended lines are never flushed to the disk one by one, and the line that starts a file
    // need not be either: the caller (often the GUI thread) does not wait for the disk.
    options.durable = false;
    const auto result = QuorAtomicFile::write(m_currentLogFile, line, options);
    failure = result.error;
    return result.ok;
}

void QuorAppLogger::rotateIfNeededLocked() const
{
    const QFileInfo current(m_currentLogFile);
    if (!current.isFile() || static_cast<quint64>(current.size()) < m_maxFileBytes) {
        return;
    }
    // Failures are ignored: writing goes on into whatever file is current.
    QFile::remove(rotatedLogFile(m_maxRotatedFiles));
    for (int i = m_maxRotatedFiles - 1; i >= 1; --i) {
        const QString from = rotatedLogFile(i);
        if (QFileInfo::exists(from)) {
            ::rename(QFile::encodeName(from).constData(), QFile::encodeName(rotatedLogFile(i + 1)).constData());
        }
    }
    ::rename(QFile::encodeName(m_currentLogFile).constData(), QFile::encodeName(rotatedLogFile(1)).constData());
}

QByteArray QuorAppLogger::currentFileBytes() const
{
    // Only the read holds the lock: decoding a full file takes tens of milliseconds, which threads
    // that log need not wait for.
    const QMutexLocker locker(&m_lock);
    // The file rotates at m_maxFileBytes; anything far larger is not this logger's file.
    const auto read = QuorRegularFile::read(m_currentLogFile, std::max<qint64>(4 * m_maxFileBytes, 16 * 1024 * 1024));
    return read.ok() ? read.bytes : QByteArray();
}

QList<QuorLogEntry> QuorAppLogger::decodeRecent(QByteArrayView fileBytes, int limit, QuorLogLevel minimumLevel)
{
    QList<QuorLogEntry> entries;
    qsizetype end = fileBytes.size();
    while (end > 0) {
        const qsizetype start = fileBytes.lastIndexOf('\n', end - 1) + 1;
        const QByteArrayView line = fileBytes.sliced(start, end - start);
        end = start - 1;
        // A line cut short (a full disk, a killed process) or holding bytes that are not UTF-8 is
        // skipped alone; the lines around it still show.
        if (line.isEmpty() || !line.isValidUtf8()) {
            continue;
        }
        try {
            QuorLogEntry entry = QuorLogEntry::decodeLine(line.toByteArray());
            if (entry.level < minimumLevel) {
                continue;
            }
            entries.append(std::move(entry));
        } catch (const QuorError&) {
            continue;
        }
        if (entries.size() >= limit) {
            break;
        }
    }
    return entries;
}

QList<QuorLogEntry> QuorAppLogger::recentEntries(int limit, QuorLogLevel minimumLevel) const
{
    return decodeRecent(currentFileBytes(), limit, minimumLevel);
}

QString QuorAppLogger::plainText(const QList<QuorLogEntry>& newestFirst)
{
    QStringList lines;
    lines.reserve(newestFirst.size());
    for (auto entry = newestFirst.crbegin(); entry != newestFirst.crend(); ++entry) {
        lines.append(QLatin1Char('[') + entry->timestamp + QStringLiteral("] [") + QuorLogLevels::label(entry->level)
                     + QStringLiteral("] [v") + entry->version + QLatin1Char('#') + entry->build
                     + QStringLiteral("] [") + entry->category + QStringLiteral("] ") + entry->message);
    }
    return lines.join(QLatin1Char('\n'));
}

QString QuorAppLogger::exportPlainText(int limit, QuorLogLevel minimumLevel) const
{
    return plainText(recentEntries(limit, minimumLevel));
}

void QuorAppLogger::clear()
{
    const QMutexLocker locker(&m_lock);
    QFile::remove(m_currentLogFile);
    for (int i = 1; i <= m_maxRotatedFiles; ++i) {
        QFile::remove(rotatedLogFile(i));
    }
}

void QuorAppLogger::revealInFinder() const
{
    QuorAtomicFile::createFolders(m_logDirectory, 0700);
    const QString folder = m_logDirectory;
    if (!QFileInfo::exists(m_currentLogFile)) {
        openFolder(folder);
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolder(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(m_currentLogFile).toString()} << QString();
    // Asked without waiting: the GUI thread never blocks on another process.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [folder](QDBusPendingCallWatcher* done) {
        if (done->isError()) {
            openFolder(folder);
        }
        done->deleteLater();
    });
}

QString QuorAppLogger::redactSecrets(const QString& text)
{
    if (!mayHoldSecret(text)) {
        return text;
    }
    icu::UnicodeString result = toIcu(text);
    for (size_t index = 0; index < std::size(redactionRules); ++index) {
        if (const auto& pattern = compiledRules()[index]) {
            result = replaceAll(*pattern, result, redactionRules[index].replacement);
        }
    }
    return fromIcu(result);
}
