#pragma once

#include <QString>

class QuorBundle;

// Stateless feedback operations.
namespace QuorFeedbackService {

// The application's display name: the bundle's "CFBundleDisplayName", then "CFBundleName", then
// the running process's name, each trimmed and taken when not blank; else `fallback` as given.
QString resolvedCurrentAppName(const QuorBundle& bundle, const QString& fallback);

} // namespace QuorFeedbackService
