#pragma once

#include "QuorZubCore/Services/ZubConfigStore.h"

#include <QFuture>
#include <QList>

#include <functional>
#include <optional>

class QObject;

// The history as the application starts: history.json read and held only as far as it will be
// kept (ZubConfigStore::capHistory). A file of ordinary size, thousands of records included, is read
// at once. One that holds megabytes of results takes longer to decode than the windows take to come
// up, so it is read on a worker thread meanwhile.
class ZubHistoryLoader {
public:
    // Larger files are read on the worker.
    static constexpr qint64 immediateBytes = 1024 * 1024;

    explicit ZubHistoryLoader(const ZubConfigStore& store);
    // Waits for the worker, which reads the store's folder.
    ~ZubHistoryLoader();
    ZubHistoryLoader(const ZubHistoryLoader&) = delete;
    ZubHistoryLoader& operator=(const ZubHistoryLoader&) = delete;

    bool isReady() const;
    // The records, waiting for the worker when it is still reading.
    QList<ZubHistoryRecord> records();
    // Runs `ready` on the thread of `context`, once the worker has read the file (never after
    // `context` is gone).
    void whenRead(QObject* context, std::function<void()> ready);

private:
    std::optional<QList<ZubHistoryRecord>> m_records;
    QFuture<QList<ZubHistoryRecord>> m_reading;
};
