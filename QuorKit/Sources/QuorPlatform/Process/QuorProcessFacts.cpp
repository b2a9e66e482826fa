#include "QuorPlatform/Process/QuorProcessFacts.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace quor::platform {
namespace {
// Deeper than any real process tree; a bound against a loop in a doctored /proc.
constexpr int maxAncestors = 64;
} // namespace

std::optional<qint64> ProcessFacts::parentOf(qint64 pid, const QString& procRoot)
{
    QFile stat(procRoot + QStringLiteral("/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // "pid (name) state ppid ...": the name may hold spaces and parentheses, so the fields are
    // counted from its last closing parenthesis.
    const QByteArray line = stat.read(4096);
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0) {
        return std::nullopt;
    }
    const QList<QByteArray> fields = line.mid(close + 1).simplified().split(' ');
    bool ok = false;
    const qint64 parent = fields.value(1).toLongLong(&ok);
    return ok && parent > 0 ? std::optional<qint64>(parent) : std::nullopt;
}

ProcessFacts ProcessFacts::read(qint64 pid, const QString& procRoot)
{
    ProcessFacts facts;
    facts.pid = pid;
    if (pid <= 0) {
        return facts;
    }
    const QString exe = procRoot + QStringLiteral("/%1/exe").arg(pid);
    struct stat file {};
    if (::stat(QFile::encodeName(exe).constData(), &file) == 0) {
        facts.executable = FileIdentity{static_cast<quint64>(file.st_dev), static_cast<quint64>(file.st_ino)};
        facts.executableName = QFileInfo(QFileInfo(exe).symLinkTarget()).fileName();
    }
    qint64 current = pid;
    while (facts.ancestors.size() < maxAncestors) {
        const std::optional<qint64> parent = parentOf(current, procRoot);
        if (!parent || *parent == current || facts.ancestors.contains(*parent)) {
            break;
        }
        facts.ancestors.append(*parent);
        current = *parent;
    }
    return facts;
}

} // namespace quor::platform
