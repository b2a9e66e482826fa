#include "Support/QuorFakeLauncher.h"

#include <QFile>

QuorFakeLauncher::QuorFakeLauncher(int exitCode) : m_path(qgetenv("PATH"))
{
    QFile script(m_folder.filePath(QStringLiteral("xdg-open")));
    if (!m_folder.isValid() || !script.open(QIODevice::WriteOnly)) {
        return;
    }
    const QByteArray asked = QFile::encodeName(m_folder.filePath(QStringLiteral("asked")));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + asked + "'\nexit " + QByteArray::number(exitCode) + "\n");
    script.close();
    m_ready = script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(m_folder.path()) + ':' + m_path);
}

QuorFakeLauncher::~QuorFakeLauncher()
{
    qputenv("PATH", m_path);
}

QStringList QuorFakeLauncher::addresses() const
{
    QFile asked(m_folder.filePath(QStringLiteral("asked")));
    if (!asked.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(asked.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
