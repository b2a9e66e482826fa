#include "QuorKit/Utilities/QuorAtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace QuorAtomicFile {

namespace {
QString errnoText(const char* step, const QString& path)
{
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(step), path, QString::fromLocal8Bit(std::strerror(errno)));
}

bool makeFolders(const QString& folder, std::optional<mode_t> mode)
{
    if (QFileInfo(folder).isDir()) {
        return true;
    }
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent != folder && !makeFolders(parent, mode)) {
        return false;
    }
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), mode.value_or(0755)) != 0 && errno != EEXIST) {
        return false;
    }
    if (mode) {
        ::chmod(native.constData(), *mode); // mkdir's mode is narrowed by the umask
    }
    return true;
}

bool writeAll(int fd, const QByteArray& data)
{
    const char* cursor = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, cursor, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        cursor += written;
        left -= written;
    }
    return true;
}
} // namespace

WriteResult write(const QString& path, const QByteArray& data, const WriteOptions& options)
{
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    if (options.createFolder && !makeFolders(folder, options.folderMode)) {
        return {false, errnoText("cannot create folder", folder)};
    }
    const QString temporary = folder + QStringLiteral("/.") + target.fileName() + QLatin1Char('.')
        + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".tmp");
    const QByteArray temporaryNative = QFile::encodeName(temporary);
    const int fd = ::open(temporaryNative.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, options.fileMode);
    if (fd < 0) {
        return {false, errnoText("cannot create", temporary)};
    }
    const bool written = writeAll(fd, data) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!written) {
        errno = savedErrno;
        const WriteResult failure{false, errnoText("cannot write", temporary)};
        ::unlink(temporaryNative.constData());
        return failure;
    }
    if (::rename(temporaryNative.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        const WriteResult failure{false, errnoText("cannot replace", path)};
        ::unlink(temporaryNative.constData());
        return failure;
    }
    return {true, {}};
}

bool isTemporaryName(const QString& fileName)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\..+\\.[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\.tmp$"));
    return pattern.match(fileName).hasMatch();
}

std::optional<QString> moveAside(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        return std::nullopt;
    }
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString destination = path + QStringLiteral(".corrupt-") + stamp;
    for (int attempt = 2; QFileInfo::exists(destination); ++attempt) {
        destination = path + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(attempt);
    }
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(destination).constData()) != 0) {
        return std::nullopt;
    }
    return destination;
}

} // namespace QuorAtomicFile
