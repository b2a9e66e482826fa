#pragma once

#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorZubCore/Models/ZubConfig.h"
#include "QuorZubCore/Models/ZubHistoryRecord.h"

#include <QList>
#include <QString>

#include <optional>

// The application's two files in one per-user folder: the settings (config.json) and the result
// history (history.json). Nothing here throws: a file that cannot be read gives defaults, a file
// that cannot be written stays as it was (and a save says why, so it is never taken for done).
// A file that exists but cannot be
// read (also a FIFO, a device or a folder in its place, or a file over its size cap) is moved aside
// (with a logged warning) before the defaults can be saved over it. The folder is 0700 and both
// files 0600 from creation; a file that is a symbolic link stays one, its target receiving saves.
//
// Holds no mutable state; reads and writes are synchronous on the caller's thread.
class ZubConfigStore {
public:
    static constexpr qsizetype minimumHistoryRecords = 20;
    // Far beyond any real file; what is larger is not read into memory.
    static constexpr qint64 maxConfigBytes = 16 * 1024 * 1024;
    // The most history.json may hold: what the reader reads, and so what the writer writes.
    static constexpr qint64 maxHistoryBytes = 256 * 1024 * 1024;

    // Without a folder: <XDG data home>/Tallowmer/QuorZub, created on the first save. The cap is
    // never below minimumHistoryRecords. `historyBytesLimit` is for tests.
    explicit ZubConfigStore(const std::optional<QString>& baseDirectory = std::nullopt,
                            qsizetype maxHistoryRecords = 250, qint64 historyBytesLimit = maxHistoryBytes);

    QString baseDirectory() const { return m_baseDirectory; }
    qsizetype maxHistoryRecords() const { return m_maxHistoryRecords; }
    QString configPath() const;
    QString historyPath() const;

    // Once at start, before the first load: makes a folder that other users could open private
    // (with a warning) and removes the temporary files of saves that a killed process cut short.
    void tidyFolder() const;

    // The stored configuration, or the defaults; an empty action list is replaced by the default
    // actions (the file is not rewritten). Actions sharing an id are given ids of their own, and
    // the file is saved with them.
    ZubConfig loadConfig() const;
    // What a save did: written, or why the file stayed as it was (also logged).
    using SaveResult = QuorAtomicFile::WriteResult;
    // Pretty-printed with sorted keys.
    SaveResult saveConfig(const ZubConfig& config) const;

    // In stored order; empty when the file is missing or unreadable. Records sharing an id are
    // given ids of their own, and the file is saved with them.
    QList<ZubHistoryRecord> loadHistory() const;
    // Applies the cap first: pinned records always stay, the first unpinned ones fill the rest.
    // A file that would pass the size limit leaves out the last (oldest) unpinned records until
    // it fits, with a logged warning; one whose pinned records alone would pass it is not written
    // (a failure with EFBIG).
    SaveResult saveHistory(const QList<ZubHistoryRecord>& records) const;
    // What saveHistory keeps of `records`, newest first once anything had to go.
    QList<ZubHistoryRecord> capHistory(const QList<ZubHistoryRecord>& records) const;

private:
    SaveResult write(const QString& path, const QByteArray& bytes) const;

    QString m_baseDirectory;
    qsizetype m_maxHistoryRecords;
    qint64 m_historyBytesLimit;
};
