#include "QuorPlatform/Memory/QuorKernelFiles.h"

#include <QFile>

namespace quor::platform::KernelFiles {

std::optional<QByteArray> read(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.read(maxBytes);
}

QString unescapePath(const QByteArray& field)
{
    QByteArray path;
    path.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && code < 256) {
                path.append(static_cast<char>(code));
                i += 3;
                continue;
            }
        }
        path.append(field.at(i));
    }
    return QFile::decodeName(path);
}

} // namespace quor::platform::KernelFiles
