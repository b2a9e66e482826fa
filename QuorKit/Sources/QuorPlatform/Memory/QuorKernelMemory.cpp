#include "QuorPlatform/Memory/QuorKernelMemory.h"

#include "QuorPlatform/Core/QuorSaturating.h"
#include "QuorPlatform/Memory/QuorKernelFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <optional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace quor::platform::KernelMemory {

namespace {

constexpr int maxDeviceDepth = 8;

QString underRoot(const QString& root, const QString& path)
{
    return QDir::cleanPath(root + QLatin1Char('/') + path);
}

// "MemTotal:       16318148 kB" lines, in bytes.
QHash<QString, qint64> meminfo(const QString& root)
{
    QHash<QString, qint64> values;
    const auto text = KernelFiles::read(underRoot(root, QStringLiteral("proc/meminfo")));
    if (!text) {
        return values;
    }
    for (const QByteArray& line : text->split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) {
            continue;
        }
        const QList<QByteArray> parts = line.mid(colon + 1).simplified().split(' ');
        bool ok = false;
        const qint64 number = parts.value(0).toLongLong(&ok);
        if (ok && number >= 0) {
            values.insert(QString::fromLatin1(line.left(colon)),
                          parts.value(1) == "kB" ? QuorSaturating::multiply(number, 1024) : number);
        }
    }
    return values;
}

qint64 zramCompressedBytes(const QString& root)
{
    qint64 total = 0;
    const QDir block(underRoot(root, QStringLiteral("sys/block")));
    for (const QString& device : block.entryList({QStringLiteral("zram*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        // mm_stat: original size, compressed size, memory used, ...
        const auto stat = KernelFiles::read(block.filePath(device + QStringLiteral("/mm_stat")));
        bool ok = false;
        const qint64 compressed = stat ? stat->simplified().split(' ').value(1).toLongLong(&ok) : 0;
        if (ok && compressed > 0) {
            total = QuorSaturating::add(total, compressed);
        }
    }
    return total;
}

bool isOnDmCrypt(const QString& root, const QString& blockName, int depth = 0)
{
    if (depth > maxDeviceDepth || blockName.isEmpty()) {
        return false;
    }
    const QString device = underRoot(root, QStringLiteral("sys/class/block/") + blockName);
    if (KernelFiles::read(device + QStringLiteral("/dm/uuid")).value_or(QByteArray()).startsWith("CRYPT-")) {
        return true;
    }
    // Swap on a volume of a volume group on an encrypted disk sits on dm-crypt too.
    const QStringList slaves = QDir(device + QStringLiteral("/slaves")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    return !slaves.isEmpty() && std::all_of(slaves.cbegin(), slaves.cend(), [&](const QString& slave) {
        return isOnDmCrypt(root, slave, depth + 1);
    });
}

// The block device a swap area lives on: the device itself, or the one holding the swap file.
QString swapBlockName(const QString& root, const QString& path, bool isPartition)
{
    const QString rooted = underRoot(root, path);
    if (isPartition) {
        const QString resolved = QFileInfo(rooted).canonicalFilePath();
        return QFileInfo(resolved.isEmpty() ? path : resolved).fileName();
    }
    struct stat status {};
    if (::stat(QFile::encodeName(rooted).constData(), &status) != 0) {
        return {};
    }
    const QString link = underRoot(root, QStringLiteral("sys/dev/block/%1:%2")
                                             .arg(major(status.st_dev))
                                             .arg(minor(status.st_dev)));
    return QFileInfo(QFileInfo(link).canonicalFilePath()).fileName();
}

bool swapIsEncrypted(const QString& root)
{
    const auto swaps = KernelFiles::read(underRoot(root, QStringLiteral("proc/swaps")));
    if (!swaps) {
        return false;
    }
    int devices = 0;
    for (const QByteArray& line : swaps->split('\n').mid(1)) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2 || fields.first().isEmpty()) {
            continue;
        }
        ++devices;
        const QString name = swapBlockName(root, KernelFiles::unescapePath(fields.at(0)), fields.at(1) == "partition");
        if (!isOnDmCrypt(root, name)) {
            return false;
        }
    }
    return devices > 0;
}

// "some avg10=1.23 avg60=..." and "full avg10=..." as the avg10 percentages.
std::optional<QString> stallPressure(const QString& root)
{
    const auto text = KernelFiles::read(underRoot(root, QStringLiteral("proc/pressure/memory")));
    if (!text) {
        return std::nullopt;
    }
    std::optional<double> some;
    std::optional<double> full;
    for (const QByteArray& line : text->split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2 || !fields.at(1).startsWith("avg10=")) {
            continue;
        }
        bool ok = false;
        const double value = fields.at(1).mid(6).toDouble(&ok);
        if (ok && fields.first() == "some") {
            some = value;
        } else if (ok && fields.first() == "full") {
            full = value;
        }
    }
    if (!some && !full) {
        return std::nullopt;
    }
    if (full.value_or(0) >= criticalFullStallPercent) {
        return QStringLiteral("critical");
    }
    return some.value_or(0) >= warningSomeStallPercent ? QStringLiteral("warning") : QStringLiteral("normal");
}

QString availabilityPressure(qint64 total, std::optional<qint64> available)
{
    if (total <= 0 || !available) {
        return QStringLiteral("normal");
    }
    const double share = static_cast<double>(*available) / static_cast<double>(total);
    if (share < criticalAvailableShare) {
        return QStringLiteral("critical");
    }
    return share < warningAvailableShare ? QStringLiteral("warning") : QStringLiteral("normal");
}

qint64 systemPhysicalBytes()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? QuorSaturating::multiply(pages, pageSize) : 0;
}

std::optional<qint64> value(const QHash<QString, qint64>& values, const char* key)
{
    const auto found = values.constFind(QLatin1String(key));
    return found == values.constEnd() ? std::nullopt : std::optional<qint64>(*found);
}

} // namespace

KernelMemoryFigures read(const QString& root)
{
    const QHash<QString, qint64> info = meminfo(root);
    KernelMemoryFigures figures;
    figures.physicalTotalBytes = value(info, "MemTotal").value_or(systemPhysicalBytes());
    const std::optional<qint64> available = value(info, "MemAvailable");
    if (available) {
        figures.physicalUsedBytes = std::clamp(figures.physicalTotalBytes - *available, qint64{0}, figures.physicalTotalBytes);
    }
    figures.compressedBytes = zramCompressedBytes(root);
    if (const auto zswap = value(info, "Zswap")) {
        figures.compressedBytes = QuorSaturating::add(figures.compressedBytes, *zswap);
    }
    figures.swapTotalBytes = value(info, "SwapTotal").value_or(0);
    figures.swapUsedBytes =
        std::clamp(figures.swapTotalBytes - value(info, "SwapFree").value_or(figures.swapTotalBytes), qint64{0},
                   figures.swapTotalBytes);
    figures.swapEncrypted = swapIsEncrypted(root);
    figures.pressureLevel = stallPressure(root).value_or(availabilityPressure(figures.physicalTotalBytes, available));
    return figures;
}

} // namespace quor::platform::KernelMemory
