#include "QuorPlatform/LoginItem/QuorAutostartEntry.h"

#include <QStringList>

namespace quor::platform::AutostartEntry {

QString path(const QString& configDirectory, const QString& desktopFileId)
{
    return configDirectory + QStringLiteral("/autostart/") + desktopFileId + QStringLiteral(".desktop");
}

QString quoteExecArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    // A literal percent sign is written as "%%" whether quoted or not.
    QString text = argument;
    text.replace(QLatin1Char('%'), QStringLiteral("%%"));
    bool needsQuotes = text.isEmpty();
    for (const QChar character : argument) {
        needsQuotes = needsQuotes || reserved.contains(character);
    }
    if (!needsQuotes) {
        return text;
    }
    QString quoted;
    for (const QChar character : std::as_const(text)) {
        if (character == QLatin1Char('"') || character == QLatin1Char('`') || character == QLatin1Char('$')
            || character == QLatin1Char('\\')) {
            quoted.append(QLatin1Char('\\'));
        }
        quoted.append(character);
    }
    // The value is also a string, whose own escape turns each backslash into two.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray contents(const QString& applicationName, const QString& executable, const QString& iconName)
{
    const QStringList lines{
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Type=Application"),
        QStringLiteral("Name=") + applicationName,
        QStringLiteral("Exec=") + quoteExecArgument(executable),
        QStringLiteral("Icon=") + iconName,
        QStringLiteral("Terminal=false"),
        QStringLiteral("X-GNOME-Autostart-enabled=true"),
    };
    return lines.join(QLatin1Char('\n')).toUtf8() + '\n';
}

bool isActive(const QByteArray& contents)
{
    bool inMainGroup = false;
    bool sawGroup = false;
    for (const QByteArray& rawLine : contents.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            sawGroup = sawGroup || inMainGroup;
            continue;
        }
        if (!inMainGroup) {
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals < 0) {
            continue;
        }
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed().toLower();
        if ((key == "Hidden" && value == "true") || (key == "X-GNOME-Autostart-enabled" && value == "false")) {
            return false;
        }
    }
    return sawGroup;
}

} // namespace quor::platform::AutostartEntry
