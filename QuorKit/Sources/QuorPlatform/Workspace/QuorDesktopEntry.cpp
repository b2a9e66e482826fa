#include "QuorPlatform/Workspace/QuorDesktopEntry.h"

#include <QDir>
#include <QFileInfo>

namespace quor::platform::DesktopEntry {

namespace {
// The general string escapes of a desktop entry value (\s, \n, \t, \r, \\).
QString unescapeValue(const QString& value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar character = value.at(i);
        if (character != QLatin1Char('\\') || i + 1 == value.size()) {
            result.append(character);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's': result.append(QLatin1Char(' ')); break;
        case 'n': result.append(QLatin1Char('\n')); break;
        case 't': result.append(QLatin1Char('\t')); break;
        case 'r': result.append(QLatin1Char('\r')); break;
        case '\\': result.append(QLatin1Char('\\')); break;
        default: result.append(QLatin1Char('\\')).append(next); break;
        }
    }
    return result;
}

// The raw value of `key` in the entry's "Desktop Entry" group.
std::optional<QString> mainGroupValue(const QByteArray& contents, const QString& key)
{
    bool inMainGroup = false;
    for (const QByteArray& rawLine : contents.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inMainGroup && equals > 0 && line.left(equals).trimmed() == key) {
            return unescapeValue(line.mid(equals + 1).trimmed());
        }
    }
    return std::nullopt;
}

// Splits an Exec value into arguments: spaces separate, double quotes group (inside them a
// backslash escapes ", `, $ and \), "%%" is a percent sign and every other field code is dropped.
std::optional<QStringList> splitExec(const QString& exec)
{
    QStringList arguments;
    QString current;
    bool started = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar character = exec.at(i);
        if (quoted) {
            if (character == QLatin1Char('\\') && i + 1 < exec.size()
                && QStringLiteral("\"`$\\").contains(exec.at(i + 1))) {
                current.append(exec.at(++i));
            } else if (character == QLatin1Char('"')) {
                quoted = false;
            } else {
                current.append(character);
            }
        } else if (character == QLatin1Char(' ') || character == QLatin1Char('\t')) {
            if (started) {
                arguments.append(current);
            }
            current.clear();
            started = false;
        } else if (character == QLatin1Char('"')) {
            quoted = true;
            started = true;
        } else if (character == QLatin1Char('%') && i + 1 < exec.size()) {
            if (exec.at(++i) == QLatin1Char('%')) {
                current.append(QLatin1Char('%'));
                started = true;
            }
        } else {
            current.append(character);
            started = true;
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    if (started) {
        arguments.append(current);
    }
    if (arguments.isEmpty() || arguments.first().isEmpty()) {
        return std::nullopt;
    }
    return arguments;
}
} // namespace

QStringList applicationFolders(const QString& dataHome)
{
    QStringList folders{dataHome + QStringLiteral("/applications")};
    QStringList dataDirs;
    for (const QString& dir : qEnvironmentVariable("XDG_DATA_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        // The XDG rules ignore relative entries.
        if (QDir::isAbsolutePath(dir)) {
            dataDirs.append(QDir::cleanPath(dir));
        }
    }
    if (dataDirs.isEmpty()) {
        dataDirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    }
    for (const QString& dir : dataDirs) {
        folders.append(dir + QStringLiteral("/applications"));
    }
    return folders;
}

std::optional<QString> find(const QString& desktopFileId, const QStringList& folders)
{
    for (const QString& folder : folders) {
        const QString path = folder + QLatin1Char('/') + desktopFileId + QStringLiteral(".desktop");
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return std::nullopt;
}

std::optional<QStringList> execArguments(const QByteArray& contents)
{
    const std::optional<QString> exec = mainGroupValue(contents, QStringLiteral("Exec"));
    return exec ? splitExec(*exec) : std::nullopt;
}

QStringList categories(const QByteArray& contents)
{
    return mainGroupValue(contents, QStringLiteral("Categories"))
        .value_or(QString())
        .split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

} // namespace quor::platform::DesktopEntry
