#include "QuorPlatform/Processes/QuorProcessTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace quor::platform::ProcessTable {

namespace {
bool isProcessFolderName(const QString& name)
{
    if (name.isEmpty()) {
        return false;
    }
    for (const QChar character : name) {
        if (!character.isDigit()) {
            return false;
        }
    }
    return true;
}

QString executableName(const QString& folder)
{
    QString target = QFile::symLinkTarget(folder + QStringLiteral("/exe"));
    // A program replaced while it runs keeps its old path with this suffix.
    const QString deleted = QStringLiteral(" (deleted)");
    if (target.endsWith(deleted)) {
        target.chop(deleted.size());
    }
    return QFileInfo(target).fileName();
}
} // namespace

QList<RunningProcess> ownProcesses(const QString& procRoot)
{
    const uid_t user = ::getuid();
    QList<RunningProcess> processes;
    const QStringList names = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (!isProcessFolderName(name)) {
            continue;
        }
        const QString folder = procRoot + QLatin1Char('/') + name;
        struct stat status {};
        if (::stat(QFile::encodeName(folder).constData(), &status) != 0 || status.st_uid != user) {
            continue;
        }
        const QString executable = executableName(folder);
        bool ok = false;
        const qint64 pid = name.toLongLong(&ok);
        if (ok && !executable.isEmpty()) {
            processes.append({pid, executable});
        }
    }
    return processes;
}

} // namespace quor::platform::ProcessTable
