#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// A privacy permission the suite may need.
enum class QuorSystemPermissionKind { accessibility, screenRecording, systemAudio };

namespace QuorSystemPermissions {

const QList<QuorSystemPermissionKind>& allCases();
QString rawValue(QuorSystemPermissionKind kind);
// Exactly "accessibility", "screenRecording" or "systemAudio".
std::optional<QuorSystemPermissionKind> fromRawValue(const QString& rawValue);
inline QString id(QuorSystemPermissionKind kind) { return rawValue(kind); }
// The settings page that grants the permission. The desktop has no such pages, so there is none
// to open: the views say what to do instead.
std::optional<QUrl> settingsURL(QuorSystemPermissionKind kind);

} // namespace QuorSystemPermissions

inline size_t qHash(QuorSystemPermissionKind kind, size_t seed = 0) noexcept
{
    return qHash(QuorSystemPermissions::rawValue(kind), seed);
}
