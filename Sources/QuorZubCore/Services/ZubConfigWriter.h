#pragma once

#include "QuorZubCore/Services/ZubConfigStore.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <chrono>

// Saves the configuration on a thread of its own, so the thread that changes it never waits for
// the disk (a settings field saves at every keystroke, a slider at every step). A configuration
// handed over while an earlier one still waits replaces it and the wait starts again, so a burst of
// changes is written once, as its last state. Every file goes through ZubConfigStore::saveConfig,
// which replaces config.json atomically: whoever reads it, and a process killed at any moment,
// finds the old file or the new one. flush() returns once the last configuration is on disk; the
// destructor flushes, so the last change is saved on the way out.
class ZubConfigWriter : public QObject {
    Q_OBJECT
public:
    // How long a change waits for the next one before its file is written.
    static constexpr std::chrono::milliseconds defaultQuietTime{250};

    explicit ZubConfigWriter(ZubConfigStore store, std::chrono::milliseconds quietTime = defaultQuietTime,
                             QObject* parent = nullptr);
    ~ZubConfigWriter() override;
    ZubConfigWriter(const ZubConfigWriter&) = delete;
    ZubConfigWriter& operator=(const ZubConfigWriter&) = delete;

    // Hands over the whole configuration and returns its number; numbers rise with every call.
    // `promptly` writes it without waiting for changes that may follow (someone waits to hear).
    quint64 save(const ZubConfig& config, bool promptly = false);
    // Writes what is waiting at once and returns when the file holds it or the write failed.
    void flush();
    // Files written (or tried) so far.
    qsizetype writeCount() const { return m_writeCount.load(); }

signals:
    // The write of configuration `number`, which holds every change handed over before it: the file
    // now holds it, or could not be written and is as it was. Delivered on the thread that made the
    // writer.
    void written(quint64 number, const ZubConfigStore::SaveResult& result);

private:
    class Worker;

    QThread m_thread;
    Worker* m_worker;
    quint64 m_lastNumber = 0;
    std::atomic<qsizetype> m_writeCount = 0;
};
