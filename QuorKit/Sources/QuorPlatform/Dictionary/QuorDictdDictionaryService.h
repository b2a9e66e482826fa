#pragma once

#include "QuorPlatform/Dictionary/QuorDictdDatabase.h"
#include "QuorPlatform/Dictionary/QuorDictionaryService.h"

#include <QMutex>
#include <QStringList>

#include <memory>
#include <vector>

namespace quor::platform {

// The dictd databases installed in the given folders (by default /usr/share/dictd), asked in
// turn: WordNet ("wn") first, then the others by name. The first that knows the term answers.
// Safe to share between threads.
class DictdDictionaryService : public DictionaryService {
public:
    explicit DictdDictionaryService(QStringList folders = {QStringLiteral("/usr/share/dictd")});
    ~DictdDictionaryService() override;

    std::optional<QString> definition(const QString& term) override;

    // The databases found, in the order they are asked.
    QStringList databaseNames();

private:
    void discover();

    QStringList m_folders;
    QMutex m_mutex;
    bool m_discovered = false;
    std::vector<std::unique_ptr<DictdDatabase>> m_databases;
};

} // namespace quor::platform
