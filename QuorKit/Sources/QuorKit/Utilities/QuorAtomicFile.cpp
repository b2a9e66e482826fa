#include "QuorKit/Utilities/QuorAtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace QuorAtomicFile {

namespace {
WriteResult failedStep(const char* step, const QString& path)
{
    const int number = errno;
    return {false, QStringLiteral("%1 %2: %3").arg(QLatin1String(step), path, QString::fromLocal8Bit(std::strerror(number))),
            number};
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

const QString uuidPattern =
    QStringLiteral("[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}");

// Where a chain of symbolic links starting at `path` ends: `path` itself when it is no link, also
// when the end does not exist yet. Nothing for a chain too long to be anything but a loop.
std::optional<QString> endOfLinks(const QString& path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40; ++hops) {
        const QByteArray native = QFile::encodeName(current);
        struct stat info {};
        if (::lstat(native.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        QByteArray buffer(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(native.constData(), buffer.data(), static_cast<size_t>(buffer.size()));
        if (length < 0) {
            return std::nullopt;
        }
        const QString target = QFile::decodeName(buffer.left(length));
        current = QDir::cleanPath(QDir::isAbsolutePath(target) ? target
                                                                : QFileInfo(current).absolutePath() + QLatin1Char('/') + target);
    }
    return std::nullopt;
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
    const std::optional<QString> resolved = endOfLinks(path);
    if (!resolved) {
        return {false, QStringLiteral("too many symbolic links: %1").arg(path)};
    }
    const QFileInfo target(*resolved);
    const QString folder = target.absolutePath();
    if (*resolved != QFileInfo(path).absoluteFilePath()) {
        // Written through a link: the link's target is replaced, and never by creating folders the
        // link merely names, nor over something that is not a file.
        if (!QFileInfo(folder).isDir()) {
            return {false, QStringLiteral("the folder of the link's target does not exist: %1").arg(*resolved)};
        }
        if (target.exists() && !target.isFile()) {
            return {false, QStringLiteral("the link's target is not a regular file: %1").arg(*resolved)};
        }
    } else if (options.createFolder && !makeFolders(folder, options.folderMode)) {
        return failedStep("cannot create folder", folder);
    }
    const QString temporary = folder + QStringLiteral("/.") + target.fileName() + QLatin1Char('.')
        + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".tmp");
    const QByteArray temporaryNative = QFile::encodeName(temporary);
    const int fd = ::open(temporaryNative.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, options.fileMode);
    if (fd < 0) {
        return failedStep("cannot create", temporary);
    }
    const bool written = writeAll(fd, data) && (!options.durable || ::fsync(fd) == 0);
    const int savedErrno = errno;
    ::close(fd);
    if (!written) {
        errno = savedErrno;
        const WriteResult failure = failedStep("cannot write", temporary);
        ::unlink(temporaryNative.constData());
        return failure;
    }
    if (::rename(temporaryNative.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        const WriteResult failure = failedStep("cannot replace", path);
        ::unlink(temporaryNative.constData());
        return failure;
    }
    return {true, {}};
}

bool createFolders(const QString& folder, mode_t mode)
{
    return makeFolders(QFileInfo(folder).absoluteFilePath(), mode);
}

bool isTemporaryName(const QString& fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.") + uuidPattern + QStringLiteral("\\.tmp$"));
    return pattern.match(fileName).hasMatch();
}

int removeStaleTemporaryFiles(const QString& folder, const QStringList& targetNames)
{
    QStringList alternatives;
    for (const QString& name : targetNames) {
        alternatives.append(QRegularExpression::escape(name));
    }
    const QRegularExpression pattern(QStringLiteral("^\\.(?:") + alternatives.join(QLatin1Char('|'))
                                     + QStringLiteral(")\\.") + uuidPattern + QStringLiteral("\\.tmp$"));
    int removed = 0;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (targetNames.isEmpty() || !pattern.match(name).hasMatch()) {
            continue;
        }
        const QByteArray native = QFile::encodeName(folder + QLatin1Char('/') + name);
        struct stat info {};
        if (::lstat(native.constData(), &info) == 0 && S_ISREG(info.st_mode) && ::unlink(native.constData()) == 0) {
            ++removed;
        }
    }
    return removed;
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
