#pragma once

#include <QByteArray>
#include <QString>

// Reads the user's own files (settings, history, caches, language packs) without trusting what sits
// at their path: only a regular file (also through a symbolic link) is read, and only up to a size.
// A FIFO, a device such as /dev/zero or a folder in a file's place is refused at once, so it can
// neither hang the reader nor fill its memory.
namespace QuorRegularFile {

struct ReadResult {
    enum class Status { ok, missing, notRegular, tooLarge, failed };

    Status status = Status::missing;
    QByteArray bytes; // the whole file when ok
    QString error;    // English, for logs, when neither ok nor missing

    bool ok() const { return status == Status::ok; }
};

// Whether a symbolic link at the path itself is followed. Files another process may have placed
// (the suite folder shared by the suite's applications) are read only when nothing links elsewhere.
enum class Links { follow, refuse };

// The whole file at `path` when it is a regular file of at most `maxBytes` bytes.
ReadResult read(const QString& path, qint64 maxBytes, Links links = Links::follow);

} // namespace QuorRegularFile
