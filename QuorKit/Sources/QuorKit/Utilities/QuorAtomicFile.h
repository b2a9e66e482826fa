#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <sys/types.h>

// Every file the system writes is replaced atomically: the bytes go to "." + name + "." + UUID +
// ".tmp" in the target's folder, are flushed (unless the file need not be durable), and the
// temporary file is renamed over the target.
// A reader therefore sees the old file or the new one, never a mixture. A target that is a symbolic
// link (as dotfile managers make) stays one: the file it names is replaced, in that file's folder.
namespace QuorAtomicFile {

struct WriteOptions {
    mode_t fileMode = 0644;           // mode the temporary file is created with (before any byte)
    std::optional<mode_t> folderMode; // when set, a missing folder is created with this mode
    bool createFolder = true;
    // Flush the bytes to the disk before the rename, so a power cut leaves the old file or the
    // whole new one. Files that only live while their writer runs can skip the wait.
    bool durable = true;
};

struct WriteResult {
    bool ok = false;
    QString error; // English, for logs, when !ok
    int errorNumber = 0; // the system's errno of the failed step, when there was one
    explicit operator bool() const { return ok; }
};

WriteResult write(const QString& path, const QByteArray& data, const WriteOptions& options = {});

// Creates `folder` and its missing parents with `mode` (not narrowed by the umask); folders that
// exist keep theirs. False when the folder is not there afterwards.
bool createFolders(const QString& folder, mode_t mode);

// Name of the temporary file write() would use next to `path` (for tests and cleanup).
bool isTemporaryName(const QString& fileName);

// Removes from `folder` the temporary files that writes of the files named `targetNames` left
// behind when their process was killed mid-save. Only regular files of exactly that form go.
// Returns how many were removed.
int removeStaleTemporaryFiles(const QString& folder, const QStringList& targetNames);

// Moves a file that exists but cannot be read aside as name + ".corrupt-" + UTC timestamp, so the
// defaults saved after it do not destroy what the user had. Returns the new path.
std::optional<QString> moveAside(const QString& path);

} // namespace QuorAtomicFile
