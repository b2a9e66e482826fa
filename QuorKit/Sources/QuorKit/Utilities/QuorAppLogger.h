#pragma once

#include "QuorKit/Utilities/QuorAppVersion.h"
#include "QuorKit/Utilities/QuorLogEntry.h"
#include "QuorKit/Utilities/QuorLogLevel.h"

#include <QByteArrayView>
#include <QList>
#include <QMutex>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

// An application's runtime log: one JSON object per line in a size-rotated file, secrets masked
// before anything is written, every entry mirrored to the system log. Every member may be called
// from any thread; file work is serialized by the logger's own lock. Nothing ever fails towards
// the caller: a failed write is reported on standard error and the entry is dropped.
class QuorAppLogger {
public:
    using VersionProvider = std::function<QuorAppVersion()>;

    static constexpr quint64 defaultMaxFileBytes = 2 * 1024 * 1024;
    static constexpr int defaultMaxRotatedFiles = 5;

    // The process-wide logger of `appName` (exact, case-sensitive), created on first request with
    // the default folder, 2 MiB per file and 5 rotated files. Without a provider the version is
    // read from the main bundle. A later request returns the same logger and ignores `provider`.
    static std::shared_ptr<QuorAppLogger> shared(const QString& appName, VersionProvider provider = {});

    // Without `directory` the folder is <data home>/Tallowmer/<appName>/logs. `maxFileBytes`
    // below 4097 becomes 4096 and `maxRotatedFiles` below 2 becomes 1. Creates no file or folder.
    QuorAppLogger(const QString& appName, const std::optional<QString>& directory, quint64 maxFileBytes,
                  int maxRotatedFiles, VersionProvider versionProvider);
    QuorAppLogger(const QuorAppLogger&) = delete;
    QuorAppLogger& operator=(const QuorAppLogger&) = delete;

    QString appName() const { return m_appName; }
    QUrl logDirectoryURL() const { return QUrl::fromLocalFile(m_logDirectory); }
    // The file being appended to; rotated file n (1 newest .. maxRotatedFiles() oldest) is this
    // path + "." + n.
    QUrl currentLogFileURL() const { return QUrl::fromLocalFile(m_currentLogFile); }
    quint64 maxFileBytes() const { return m_maxFileBytes; }
    int maxRotatedFiles() const { return m_maxRotatedFiles; }
    // The identity of the system-log mirror: "com.tallowmer." + the file name stem.
    QString systemLogSubsystem() const { return m_subsystem; }

    void log(QuorLogLevel level, const QString& category, const QString& message);
    void debug(const QString& message, const QString& category);
    void info(const QString& message, const QString& category);
    void warn(const QString& message, const QString& category);
    void error(const QString& message, const QString& category);

    // Newest first, from the current file only, at or above `minimumLevel`; stops once `limit`
    // entries are held (so a limit of 0 or less still gives the newest match). Each line is decoded
    // on its own: one that is not UTF-8 or not an entry is skipped. The lock is held for reading
    // the file only, not while its lines are decoded.
    QList<QuorLogEntry> recentEntries(int limit, QuorLogLevel minimumLevel = QuorLogLevel::debug) const;
    // recentEntries() of the bytes of a log file.
    static QList<QuorLogEntry> decodeRecent(QByteArrayView fileBytes, int limit, QuorLogLevel minimumLevel);
    // The same entries oldest first, one line each:
    // "[timestamp] [LEVEL] [vVERSION#BUILD] [category] message", joined by line feeds.
    QString exportPlainText(int limit, QuorLogLevel minimumLevel = QuorLogLevel::debug) const;
    // That text for entries given newest first, as recentEntries() gives them.
    static QString plainText(const QList<QuorLogEntry>& newestFirst);
    // Removes the current and every rotated file; the next entry starts a new file.
    void clear();
    // Shows the log file selected in the file manager, or opens the log folder when there is no
    // file yet or no file manager answers. Call it on the GUI thread.
    void revealInFinder() const;

    // The four masks: "bearer" tokens and key=value secrets keep their key and show "[REDACTED]";
    // "sk-..." and "AIza..." keys are replaced whole by "[REDACTED_KEY]".
    static QString redactSecrets(const QString& text);

private:
    QString rotatedLogFile(int n) const;
    QByteArray currentFileBytes() const;
    void rotateIfNeededLocked() const;
    bool appendLocked(const QByteArray& line, QString& failure) const;

    QString m_appName;
    QString m_logDirectory;
    QString m_currentLogFile;
    QString m_subsystem;
    quint64 m_maxFileBytes;
    int m_maxRotatedFiles;
    VersionProvider m_versionProvider;
    mutable QMutex m_lock;
};
