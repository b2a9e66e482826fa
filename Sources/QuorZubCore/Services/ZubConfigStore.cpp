#include "QuorZubCore/Services/ZubConfigStore.h"

#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorKit/Utilities/QuorRegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <functional>
#include <sys/stat.h>

namespace {
constexpr mode_t folderMode = 0700;
const QString appName = QStringLiteral("QuorZub");
const QString logCategory = QStringLiteral("lifecycle");

void warn(const QString& message)
{
    QuorAppLogger::shared(appName)->warn(message, logCategory);
}

// A file that is there but cannot be used: keep it for the user (or a newer version) rather than
// letting the next save replace it with defaults.
void setAside(const QString& path, const QString& reason)
{
    const auto movedTo = QuorAtomicFile::moveAside(path);
    if (movedTo) {
        warn(QStringLiteral("%1 could not be read (%2); moved aside to %3, using defaults")
                 .arg(QFileInfo(path).fileName(), reason, QFileInfo(*movedTo).fileName()));
    } else {
        warn(QStringLiteral("%1 could not be read (%2) nor moved aside; using defaults")
                 .arg(QFileInfo(path).fileName(), reason));
    }
}

// Reads and decodes `path`; nothing when the file does not exist or did not decode (then it has
// been set aside). Only a regular file of at most `maxBytes` is read: a FIFO, a device or a folder
// in its place is set aside at once rather than waited on or read without end.
template <typename T>
std::optional<T> readFile(const QString& path, qint64 maxBytes, const std::function<T(const QByteArray&)>& decode)
{
    const QuorRegularFile::ReadResult read = QuorRegularFile::read(path, maxBytes);
    if (read.status == QuorRegularFile::ReadResult::Status::missing) {
        return std::nullopt;
    }
    if (!read.ok()) {
        setAside(path, read.error);
        return std::nullopt;
    }
    try {
        return decode(read.bytes);
    } catch (const std::exception& error) {
        setAside(path, QString::fromUtf8(error.what()));
        return std::nullopt;
    }
}

ZubConfig decodeConfig(const QByteArray& bytes)
{
    return ZubConfig::fromJson(QuorJson::parseObject(bytes));
}

// Gives every item whose id an earlier item already holds a fresh one, so that switching off,
// pinning or deleting a row of a hand-edited file touches that row alone. Returns how many changed.
template <typename T>
qsizetype giveDuplicatesFreshIds(QList<T>& items)
{
    QSet<QUuid> seen;
    qsizetype changed = 0;
    for (T& item : items) {
        if (seen.contains(item.id)) {
            item.id = QUuid::createUuid();
            ++changed;
        }
        seen.insert(item.id);
    }
    return changed;
}

void warnAboutSplitIds(const QString& path, qsizetype count, const QString& what)
{
    warn(QStringLiteral("%1 held %2 %3 whose id an earlier one already had; each now has its own id")
             .arg(QFileInfo(path).fileName())
             .arg(count)
             .arg(what));
}

// history.json is laid out as the indented JSON writer lays out an array of objects, built a record
// at a time so that each record's share of the file is known before the file is.
QByteArray encodeHistoryRecord(const ZubHistoryRecord& record)
{
    // String values hold no raw line breaks (JSON escapes them): each line is a line of the object.
    const QByteArray object = QuorJson::pretty(record.toJson());
    QByteArray indented;
    indented.reserve(object.size() + object.count('\n') * 4);
    for (qsizetype from = 0; from < object.size();) {
        const qsizetype found = object.indexOf('\n', from);
        const qsizetype end = found < 0 ? object.size() : found;
        if (end > from) {
            indented.append("    ").append(object.constData() + from, end - from).append('\n');
        }
        from = end + 1;
    }
    indented.chop(1);
    return indented;
}

// "[\n", the ",\n" between records, and "\n]\n" (just "[\n]\n" without records).
qint64 historyFrameBytes(qsizetype records)
{
    return records == 0 ? 4 : 2 + 2 * (records - 1) + 3;
}

QByteArray joinHistory(const QList<QByteArray>& records, qint64 recordBytes)
{
    QByteArray file;
    file.reserve(recordBytes + historyFrameBytes(records.size()));
    file.append("[\n");
    for (qsizetype index = 0; index < records.size(); ++index) {
        file.append(records.at(index)).append(index + 1 < records.size() ? ",\n" : "\n");
    }
    file.append("]\n");
    return file;
}

QList<ZubHistoryRecord> decodeHistory(const QByteArray& bytes)
{
    const QJsonArray array = QuorJson::parseArray(bytes);
    QList<ZubHistoryRecord> records;
    records.reserve(array.size());
    for (const QJsonValue& value : array) {
        if (!value.isObject()) {
            throw QuorDecodingError(QStringLiteral("the history holds a value that is not an object"));
        }
        records.append(ZubHistoryRecord::fromJson(value.toObject()));
    }
    return records;
}
} // namespace

ZubConfigStore::ZubConfigStore(const std::optional<QString>& baseDirectory, qsizetype maxHistoryRecords,
                               qint64 historyBytesLimit)
    : m_baseDirectory(baseDirectory.value_or(QuorPaths::appDirectory(appName))),
      m_maxHistoryRecords(std::max(minimumHistoryRecords, maxHistoryRecords)),
      m_historyBytesLimit(historyBytesLimit)
{
}

QString ZubConfigStore::configPath() const
{
    return m_baseDirectory + QStringLiteral("/config.json");
}

QString ZubConfigStore::historyPath() const
{
    return m_baseDirectory + QStringLiteral("/history.json");
}

void ZubConfigStore::tidyFolder() const
{
    const QByteArray folder = QFile::encodeName(m_baseDirectory);
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return;
    }
    // Selections and results are private: a folder that an older version or another tool left
    // open to other users is closed.
    if ((info.st_mode & 077) != 0) {
        const bool tightened = ::chmod(folder.constData(), folderMode) == 0;
        warn(QStringLiteral("The data folder could be opened by other users (mode %1); %2")
                 .arg(info.st_mode & 0777, 4, 8, QLatin1Char('0'))
                 .arg(tightened ? QStringLiteral("it is now private (0700)") : QStringLiteral("it could not be made private")));
    }
    const int removed = QuorAtomicFile::removeStaleTemporaryFiles(
        m_baseDirectory, {QFileInfo(configPath()).fileName(), QFileInfo(historyPath()).fileName()});
    if (removed > 0) {
        QuorAppLogger::shared(appName)->info(
            QStringLiteral("Removed %1 temporary file(s) left by an interrupted save").arg(removed), logCategory);
    }
}

ZubConfig ZubConfigStore::loadConfig() const
{
    auto config = readFile<ZubConfig>(configPath(), maxConfigBytes, decodeConfig);
    if (!config) {
        return ZubConfig::defaultConfig();
    }
    if (config->actions.isEmpty()) {
        config->actions = ZubActionDefinition::defaultActions();
    }
    if (const qsizetype split = giveDuplicatesFreshIds(config->actions); split > 0) {
        warnAboutSplitIds(configPath(), split, QStringLiteral("action(s)"));
        saveConfig(*config);
    }
    return *config;
}

ZubConfigStore::SaveResult ZubConfigStore::saveConfig(const ZubConfig& config) const
{
    return write(configPath(), QuorJson::pretty(config.toJson()));
}

QList<ZubHistoryRecord> ZubConfigStore::loadHistory() const
{
    auto records = readFile<QList<ZubHistoryRecord>>(historyPath(), m_historyBytesLimit, decodeHistory);
    if (!records) {
        return {};
    }
    if (const qsizetype split = giveDuplicatesFreshIds(*records); split > 0) {
        warnAboutSplitIds(historyPath(), split, QStringLiteral("record(s)"));
        saveHistory(*records);
    }
    return *records;
}

ZubConfigStore::SaveResult ZubConfigStore::saveHistory(const QList<ZubHistoryRecord>& records) const
{
    const QList<ZubHistoryRecord> kept = capHistory(records);
    QList<QByteArray> encoded;
    encoded.reserve(kept.size());
    qint64 size = 0;
    for (const auto& record : kept) {
        encoded.append(encodeHistoryRecord(record));
        size += encoded.constLast().size();
    }
    const auto fileSize = [&encoded, &size] { return size + historyFrameBytes(encoded.size()); };
    if (fileSize() > m_historyBytesLimit) {
        // The reader refuses a larger file as a whole: the oldest unpinned records go instead.
        const qint64 wanted = fileSize();
        qsizetype left = 0;
        for (qsizetype index = kept.size() - 1; index >= 0 && fileSize() > m_historyBytesLimit; --index) {
            if (!kept.at(index).isPinned) {
                size -= encoded.at(index).size();
                encoded.removeAt(index);
                ++left;
            }
        }
        if (fileSize() > m_historyBytesLimit) {
            SaveResult tooLarge;
            tooLarge.error = QStringLiteral("its pinned records alone take %1 bytes, more than the %2 a history may hold")
                                 .arg(fileSize())
                                 .arg(m_historyBytesLimit);
            tooLarge.errorNumber = EFBIG;
            warn(QStringLiteral("history.json was not saved: ") + tooLarge.error);
            return tooLarge;
        }
        warn(QStringLiteral("history.json would take %1 bytes, more than the %2 a history may hold; left out the %3 "
                            "oldest unpinned record(s)")
                 .arg(wanted)
                 .arg(m_historyBytesLimit)
                 .arg(left));
    }
    return write(historyPath(), joinHistory(encoded, size));
}

QList<ZubHistoryRecord> ZubConfigStore::capHistory(const QList<ZubHistoryRecord>& records) const
{
    if (m_maxHistoryRecords >= records.size()) {
        return records;
    }
    QList<ZubHistoryRecord> kept;
    QList<ZubHistoryRecord> unpinned;
    for (const auto& record : records) {
        (record.isPinned ? kept : unpinned).append(record);
    }
    const qsizetype room = std::max<qsizetype>(0, m_maxHistoryRecords - kept.size());
    kept.append(unpinned.first(std::min(room, unpinned.size())));
    std::stable_sort(kept.begin(), kept.end(), [](const ZubHistoryRecord& a, const ZubHistoryRecord& b) {
        return a.createdAt > b.createdAt;
    });
    return kept;
}

ZubConfigStore::SaveResult ZubConfigStore::write(const QString& path, const QByteArray& bytes) const
{
    // The data folder and both files are private to their user from the moment they exist.
    QuorAtomicFile::WriteOptions options;
    options.fileMode = 0600;
    options.folderMode = folderMode;
    const auto result = QuorAtomicFile::write(path, bytes, options);
    if (!result) {
        warn(QStringLiteral("%1 was not saved: %2").arg(QFileInfo(path).fileName(), result.error));
    }
    return result;
}
