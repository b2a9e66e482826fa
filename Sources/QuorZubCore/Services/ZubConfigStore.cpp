#include "QuorZubCore/Services/ZubConfigStore.h"

#include "QuorKit/System/QuorPaths.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <algorithm>
#include <exception>
#include <functional>

namespace {
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
// been set aside).
template <typename T>
std::optional<T> readFile(const QString& path, const std::function<T(const QByteArray&)>& decode)
{
    QFile file(path);
    if (!file.exists()) {
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        setAside(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setAside(path, file.errorString());
        return std::nullopt;
    }
    file.close();
    try {
        return decode(bytes);
    } catch (const std::exception& error) {
        setAside(path, QString::fromUtf8(error.what()));
        return std::nullopt;
    }
}

ZubConfig decodeConfig(const QByteArray& bytes)
{
    return ZubConfig::fromJson(QuorJson::parseObject(bytes));
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

ZubConfigStore::ZubConfigStore(const std::optional<QString>& baseDirectory, qsizetype maxHistoryRecords)
    : m_baseDirectory(baseDirectory.value_or(QuorPaths::appDirectory(appName))),
      m_maxHistoryRecords(std::max(minimumHistoryRecords, maxHistoryRecords))
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

ZubConfig ZubConfigStore::loadConfig() const
{
    auto config = readFile<ZubConfig>(configPath(), decodeConfig);
    if (!config) {
        return ZubConfig::defaultConfig();
    }
    if (config->actions.isEmpty()) {
        config->actions = ZubActionDefinition::defaultActions();
    }
    return *config;
}

void ZubConfigStore::saveConfig(const ZubConfig& config) const
{
    write(configPath(), QuorJson::pretty(config.toJson()));
}

QList<ZubHistoryRecord> ZubConfigStore::loadHistory() const
{
    return readFile<QList<ZubHistoryRecord>>(historyPath(), decodeHistory).value_or(QList<ZubHistoryRecord>{});
}

void ZubConfigStore::saveHistory(const QList<ZubHistoryRecord>& records) const
{
    QJsonArray array;
    for (const auto& record : capHistory(records)) {
        array.append(record.toJson());
    }
    write(historyPath(), QuorJson::pretty(array));
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

void ZubConfigStore::write(const QString& path, const QByteArray& bytes) const
{
    // The data folder is private to its user, as the XDG base directory rules ask.
    QuorAtomicFile::WriteOptions options;
    options.folderMode = 0700;
    const auto result = QuorAtomicFile::write(path, bytes, options);
    if (!result) {
        warn(QStringLiteral("%1 was not saved: %2").arg(QFileInfo(path).fileName(), result.error));
    }
}
