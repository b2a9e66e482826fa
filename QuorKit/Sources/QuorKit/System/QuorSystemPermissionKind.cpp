#include "QuorKit/System/QuorSystemPermissionKind.h"

namespace QuorSystemPermissions {

const QList<QuorSystemPermissionKind>& allCases()
{
    static const QList<QuorSystemPermissionKind> cases{QuorSystemPermissionKind::accessibility,
                                                       QuorSystemPermissionKind::screenRecording,
                                                       QuorSystemPermissionKind::systemAudio};
    return cases;
}

QString rawValue(QuorSystemPermissionKind kind)
{
    switch (kind) {
    case QuorSystemPermissionKind::accessibility:
        return QStringLiteral("accessibility");
    case QuorSystemPermissionKind::screenRecording:
        return QStringLiteral("screenRecording");
    case QuorSystemPermissionKind::systemAudio:
        return QStringLiteral("systemAudio");
    }
    return {};
}

std::optional<QuorSystemPermissionKind> fromRawValue(const QString& rawValue)
{
    for (const QuorSystemPermissionKind kind : allCases()) {
        if (QuorSystemPermissions::rawValue(kind) == rawValue) {
            return kind;
        }
    }
    return std::nullopt;
}

std::optional<QUrl> settingsURL(QuorSystemPermissionKind /*kind*/)
{
    return std::nullopt;
}

} // namespace QuorSystemPermissions
