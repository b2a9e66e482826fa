#include "QuorZubCore/Services/ZubHistoryWriter.h"

#include <malloc.h>

#include <utility>

ZubHistoryWriter::ZubHistoryWriter(ZubConfigStore store, std::chrono::milliseconds gatherTime, QObject* parent)
    : QObject(parent), m_store(std::move(store)), m_gatherTime(gatherTime)
{
    m_thread.setMaxThreadCount(1);
}

ZubHistoryWriter::~ZubHistoryWriter()
{
    flush();
    m_thread.waitForDone();
}

quint64 ZubHistoryWriter::save(QList<ZubHistoryRecord> records)
{
    const std::lock_guard lock(m_mutex);
    const quint64 number = ++m_lastNumber;
    m_waiting = Snapshot{std::move(records), number};
    if (!m_writing) {
        m_writing = true;
        m_thread.start([this] { writeWaitingSnapshots(); });
    }
    return number;
}

void ZubHistoryWriter::flush()
{
    std::unique_lock lock(m_mutex);
    ++m_flushes;
    m_wake.notify_all();
    m_wake.wait(lock, [this] { return !m_writing; });
    --m_flushes;
}

qsizetype ZubHistoryWriter::writeCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_writeCount;
}

void ZubHistoryWriter::writeWaitingSnapshots()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        // The changes that follow within the gathering time join this write, unless someone is
        // waiting for the file.
        m_wake.wait_for(lock, m_gatherTime, [this] { return m_flushes > 0; });
        if (!m_waiting) {
            break;
        }
        std::optional<Snapshot> snapshot = std::exchange(m_waiting, std::nullopt);
        lock.unlock();
        const ZubConfigStore::SaveResult result = m_store.saveHistory(snapshot->records);
        // Dropped by Qt if the writer is gone by the time its thread runs it.
        QMetaObject::invokeMethod(
            this, [this, number = snapshot->number, result] { emit written(number, result); }, Qt::QueuedConnection);
        snapshot.reset();
        // Encoding megabytes of results takes as much again in passing; this thread's heap would
        // keep it for good.
        ::malloc_trim(0);
        lock.lock();
        ++m_writeCount;
    }
    m_writing = false;
    m_wake.notify_all();
}
