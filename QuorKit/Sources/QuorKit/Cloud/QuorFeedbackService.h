#pragma once

#include "QuorKit/Cloud/QuorFeedbackKind.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Utilities/QuorAppVersion.h"

#include <QString>
#include <QUrl>

#include <optional>

class QuorBundle;

// Stateless feedback operations. The environment and the user's settings are read afresh on every
// call.
namespace QuorFeedbackService {

inline const QString defaultBaseURL = QStringLiteral("https://tallowmer.com");
inline const QString baseURLDefaultsKey = QStringLiteral("com.tallowmer.feedbackBaseURL");
inline const QString baseURLEnvironmentVariable = QStringLiteral("TALLOWMER_FEEDBACK_BASE_URL");
inline const QString sourceValue = QStringLiteral("desktop_app");

// The first non-blank of `override`, the environment variable and the settings value, trimmed of
// whitespace and then of "/" at both ends; else defaultBaseURL.
QString resolvedBaseURL(const std::optional<QString>& override = std::nullopt);

// The name lower-cased with only its letters, marks and digits kept: "Quor Zub 2" -> "quorzub2".
QString normalizedAppSlug(const QString& name);

// The system in words from the text of an os-release file: the distribution's NAME and VERSION_ID
// (else its PRETTY_NAME, else "Linux" and the kernel version), then the processor architecture in
// parentheses: "Debian GNU/Linux 12 (x86_64)".
QString osDescription(const QString& osRelease, const QString& kernelVersion, const QString& architecture);
// osDescription() of this machine's /etc/os-release (or /usr/lib/os-release).
QString currentOSDescription();

// base + "/tr/geri-bildirim" for Turkish, else base + "/" + code + "/feedback", with the query
// type, source, os, app (when its slug is not empty) and version (when not empty), in this order.
// Nothing when the address is not a valid URL.
std::optional<QUrl> webFeedbackURL(const QString& appName, const QuorAppVersion& version, QuorFeedbackKind kind,
                                   QuorLanguage language, const std::optional<QString>& baseURL = std::nullopt);

// Opens webFeedbackURL() in the default browser; does nothing when there is no address or it is
// not http or https. Call it on the GUI thread.
void openInBrowser(const QString& appName, const QuorAppVersion& version, QuorFeedbackKind kind,
                   QuorLanguage language, const std::optional<QString>& baseURL = std::nullopt);

// The application's display name: the bundle's "CFBundleDisplayName", then "CFBundleName", then
// the running process's name, each trimmed and taken when not blank; else `fallback` as given.
QString resolvedCurrentAppName(const QuorBundle& bundle, const QString& fallback);

} // namespace QuorFeedbackService
