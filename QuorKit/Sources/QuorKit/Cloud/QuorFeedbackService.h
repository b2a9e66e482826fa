#pragma once

#include "QuorKit/Cloud/QuorBrowserHandOff.h"
#include "QuorKit/Cloud/QuorFeedbackKind.h"
#include "QuorKit/Cloud/QuorFeedbackReceipt.h"
#include "QuorKit/Cloud/QuorFeedbackScreenshot.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Utilities/QuorAppVersion.h"

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <optional>

class QMimeData;
class QuorBundle;

// Stateless feedback operations: the web form, and the upload of a note with screenshots. The
// environment and the user's settings are read afresh on every call.
namespace QuorFeedbackService {

inline const QString defaultBaseURL = QStringLiteral("https://tallowmer.com");
inline const QString baseURLDefaultsKey = QStringLiteral("com.tallowmer.feedbackBaseURL");
inline const QString baseURLEnvironmentVariable = QStringLiteral("TALLOWMER_FEEDBACK_BASE_URL");
inline const QString sourceValue = QStringLiteral("desktop_app");

inline constexpr int maxScreenshots = 5;
// A screenshot of exactly this size is still accepted.
inline constexpr qint64 maxScreenshotBytes = 5'242'880;

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

// Opens webFeedbackURL() in the default browser and tells `outcome`, while `context` lives, whether
// it opened: not when there is no address, it is not http or https, or the browser's launcher
// failed (the caller then offers webFeedbackURL() to copy). The log says which, once it is known.
// Call it on the GUI thread.
void openInBrowser(const QString& appName, const QuorAppVersion& version, QuorFeedbackKind kind,
                   QuorLanguage language, const std::optional<QString>& baseURL = std::nullopt,
                   QObject* context = nullptr, QuorBrowserHandOff::Outcome outcome = {});

// The application's display name: the bundle's "CFBundleDisplayName", then "CFBundleName", then
// the running process's name, each trimmed and taken when not blank; else `fallback` as given.
QString resolvedCurrentAppName(const QuorBundle& bundle, const QString& fallback);

// Checks a note, sends it as one multipart/form-data POST to base + "/api/v1/feedback" over
// `session` and returns the service's receipt. The checks run in this order, before any traffic:
// the trimmed e-mail (an "@", a "." and at least 5 characters), the trimmed message (at least 10
// characters), at most maxScreenshots screenshots, none over maxScreenshotBytes, an http or https
// address. Throws QuorFeedbackError only; a refused or failed request never reads as success.
QCoro::Task<QuorFeedbackReceipt> submit(QString appName, QuorAppVersion version, QuorFeedbackKind kind, QString email,
                                        QString senderName, QString subject, QString message,
                                        QList<QuorFeedbackScreenshot> screenshots, QuorLanguage language,
                                        std::optional<QString> baseURL, QPointer<QNetworkAccessManager> session);

// The request body: one part per (name, value) field whose value is not empty, then one
// "screenshots[]" file part per screenshot, then the closing boundary; CRLF line ends.
QByteArray buildMultipartBody(const QString& boundary, const QList<QPair<QString, QString>>& fields,
                              const QList<QuorFeedbackScreenshot>& screenshots);

// The clipboard's picture as a PNG screenshot named "clipboard-<seconds since 1970>.png": its
// "image/png" data unchanged, else its first other picture that decodes, re-encoded. Nothing when it
// holds no picture. Applies no size or count limit. Call it on the GUI thread.
std::optional<QuorFeedbackScreenshot> readScreenshotFromPasteboard();
// The same from any clipboard contents, with the time given.
std::optional<QuorFeedbackScreenshot> screenshotFromMimeData(const QMimeData& mime, qint64 secondsSince1970);
// The same, with nothing slow on the calling thread: another program's clipboard is read over an
// X connection of its own, and a picture that is not PNG is decoded and re-encoded on a worker.
// Start it on the GUI thread.
QCoro::Task<std::optional<QuorFeedbackScreenshot>> fetchScreenshotFromPasteboard();

// The process's network session for feedback uploads, made on first use (on the GUI thread) and kept
// to the end, so an upload may outlive the window that started it.
QNetworkAccessManager* sharedSession();

} // namespace QuorFeedbackService
