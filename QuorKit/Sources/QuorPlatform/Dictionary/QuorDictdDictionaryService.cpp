#include "QuorPlatform/Dictionary/QuorDictdDictionaryService.h"

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>

namespace quor::platform {

DictdDictionaryService::DictdDictionaryService(QStringList folders) : m_folders(std::move(folders)) {}

DictdDictionaryService::~DictdDictionaryService() = default;

void DictdDictionaryService::discover()
{
    if (m_discovered) {
        return;
    }
    m_discovered = true;
    QList<QFileInfo> indexes;
    for (const QString& folder : m_folders) {
        indexes.append(QDir(folder).entryInfoList({QStringLiteral("*.index")}, QDir::Files | QDir::Readable, QDir::Name));
    }
    std::stable_partition(indexes.begin(), indexes.end(),
                          [](const QFileInfo& info) { return info.completeBaseName() == QLatin1String("wn"); });
    for (const QFileInfo& index : indexes) {
        const QString stem = index.absolutePath() + u'/' + index.completeBaseName();
        for (const QString& text : {stem + QStringLiteral(".dict.dz"), stem + QStringLiteral(".dict")}) {
            if (QFileInfo::exists(text)) {
                m_databases.push_back(std::make_unique<DictdDatabase>(index.absoluteFilePath(), text));
                break;
            }
        }
    }
}

std::optional<QString> DictdDictionaryService::definition(const QString& term)
{
    QMutexLocker locker(&m_mutex);
    discover();
    for (const auto& database : m_databases) {
        if (auto text = database->define(term)) {
            return text;
        }
    }
    return std::nullopt;
}

QStringList DictdDictionaryService::databaseNames()
{
    QMutexLocker locker(&m_mutex);
    discover();
    QStringList names;
    for (const auto& database : m_databases) {
        names.append(database->name());
    }
    return names;
}

} // namespace quor::platform
