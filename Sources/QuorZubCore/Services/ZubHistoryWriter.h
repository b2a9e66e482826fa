#pragma once

#include "QuorZubCore/Services/ZubConfigStore.h"

#include <QList>
#include <QObject>
#include <QThreadPool>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

// Saves the history on a thread of its own, so the thread that changes the history never waits
// for it to be encoded and written (megabytes, when results are large). save() hands over a
// snapshot: the list and its texts are shared, not copied. A snapshot handed over while an earlier
// one still waits replaces it, so a burst of changes is written once, as its last state. Every
// file goes through ZubConfigStore::saveHistory, which replaces history.json atomically: whoever
// reads it, and a process killed at any moment, finds the old file or the new one. flush() returns
// once the last snapshot is on disk; the destructor flushes, so nothing is lost on the way out.
class ZubHistoryWriter : public QObject {
    Q_OBJECT
public:
    // How long a change waits for the ones that follow it before its file is written.
    static constexpr std::chrono::milliseconds defaultGatherTime{100};

    explicit ZubHistoryWriter(ZubConfigStore store, std::chrono::milliseconds gatherTime = defaultGatherTime,
                              QObject* parent = nullptr);
    ~ZubHistoryWriter() override;
    ZubHistoryWriter(const ZubHistoryWriter&) = delete;
    ZubHistoryWriter& operator=(const ZubHistoryWriter&) = delete;

    // Hands over a snapshot and returns its number; numbers rise with every call.
    quint64 save(QList<ZubHistoryRecord> records);
    // Writes what is waiting at once and returns when the file holds the last snapshot, or its
    // write failed.
    void flush();
    // Files written (or tried) so far.
    qsizetype writeCount() const;

signals:
    // The write of snapshot `number`, which stands for every snapshot handed over before it: the
    // file now holds it, or could not take it and is as it was. Delivered on the thread that made
    // the writer.
    void written(quint64 number, const ZubConfigStore::SaveResult& result);

private:
    struct Snapshot {
        QList<ZubHistoryRecord> records;
        quint64 number = 0;
    };

    void writeWaitingSnapshots();

    const ZubConfigStore m_store;
    const std::chrono::milliseconds m_gatherTime;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Snapshot> m_waiting;
    quint64 m_lastNumber = 0;
    bool m_writing = false;
    int m_flushes = 0;
    qsizetype m_writeCount = 0;
    // Last, so that it is gone (its work done) before the state above.
    QThreadPool m_thread;
};
