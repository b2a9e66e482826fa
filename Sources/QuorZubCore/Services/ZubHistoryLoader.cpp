#include "QuorZubCore/Services/ZubHistoryLoader.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <malloc.h>

namespace {
QList<ZubHistoryRecord> readHistory(const ZubConfigStore& store)
{
    return store.capHistory(store.loadHistory());
}
} // namespace

ZubHistoryLoader::ZubHistoryLoader(const ZubConfigStore& store)
{
    if (QFileInfo(store.historyPath()).size() <= immediateBytes) {
        m_records = readHistory(store);
    } else {
        m_reading = QtConcurrent::run([store] {
            QList<ZubHistoryRecord> records = readHistory(store);
            // Decoding took several times the texts' size in passing; the worker's heap would keep
            // it for good.
            ::malloc_trim(0);
            return records;
        });
    }
}

ZubHistoryLoader::~ZubHistoryLoader()
{
    m_reading.waitForFinished();
}

bool ZubHistoryLoader::isReady() const
{
    return m_records.has_value() || m_reading.isFinished();
}

QList<ZubHistoryRecord> ZubHistoryLoader::records()
{
    if (!m_records) {
        m_records = m_reading.result();
    }
    return *m_records;
}

void ZubHistoryLoader::whenRead(QObject* context, std::function<void()> ready)
{
    // Owned by the context: gone with it, nothing is called.
    auto* watcher = new QFutureWatcher<QList<ZubHistoryRecord>>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, ready = std::move(ready)] {
        watcher->deleteLater();
        ready();
    });
    watcher->setFuture(m_reading);
}
