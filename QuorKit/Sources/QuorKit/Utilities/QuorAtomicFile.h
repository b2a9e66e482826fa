#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/types.h>

// Every file the system writes is replaced atomically: the bytes go to "." + name + "." + UUID +
// ".tmp" in the target's folder, are flushed, and the temporary file is renamed over the target.
// A reader therefore sees the old file or the new one, never a mixture.
namespace QuorAtomicFile {

struct WriteOptions {
    mode_t fileMode = 0644;           // mode the temporary file is created with (before any byte)
    std::optional<mode_t> folderMode; // when set, a missing folder is created with this mode
    bool createFolder = true;
};

struct WriteResult {
    bool ok = false;
    QString error; // English, for logs, when !ok
    explicit operator bool() const { return ok; }
};

WriteResult write(const QString& path, const QByteArray& data, const WriteOptions& options = {});

// Name of the temporary file write() would use next to `path` (for tests and cleanup).
bool isTemporaryName(const QString& fileName);

// Moves a file that exists but cannot be read aside as name + ".corrupt-" + UTC timestamp, so the
// defaults saved after it do not destroy what the user had. Returns the new path.
std::optional<QString> moveAside(const QString& path);

} // namespace QuorAtomicFile
