#include "QuorKit/Cloud/QuorFeedbackError.h"
#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Cloud/QuorReplySizeLimit.h"
#include "QuorKit/Cloud/QuorSupportLog.h"
#include "QuorKit/Cloud/QuorSendOnce.h"
#include "QuorKit/Cloud/QuorTransferError.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorGraphemes.h"
#include "QuorKit/Utilities/QuorImageDecoder.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorPlatform/Pasteboard/QuorClipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopeGuard>
#include <QUuid>

#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroNetworkReply>

#include <limits>

namespace {

// The service answers with a short JSON object; nothing it says needs more, and no more is kept.
constexpr qint64 replyLimit = 1024 * 1024;
constexpr int requestTimeoutMs = 25'000;

// What is left of a text once control characters (CR and LF among them) are gone: a value that
// goes into a header line can never end that line or start another.
QString headerSafe(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control) {
            out.append(c);
        }
    }
    return out;
}

QString partFileName(const QString& filename)
{
    QString name = headerSafe(filename);
    name.remove(QLatin1Char('"'));
    return name;
}

// A successful note, checked and ready to go: everything the request needs.
struct PreparedUpload {
    QNetworkRequest request;
    QByteArray body;
};

QUrl uploadURL(const std::optional<QString>& baseURL)
{
    const QUrl url(QuorFeedbackService::resolvedBaseURL(baseURL) + QStringLiteral("/api/v1/feedback"), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        throw QuorFeedbackError::invalidEndpoint();
    }
    return url;
}

void validate(const QString& email, const QString& message, const QList<QuorFeedbackScreenshot>& screenshots)
{
    if (!email.contains(QLatin1Char('@')) || !email.contains(QLatin1Char('.')) || QuorGraphemes::count(email) < 5) {
        throw QuorFeedbackError::invalidEmail();
    }
    if (QuorGraphemes::count(message) < 10) {
        throw QuorFeedbackError::messageTooShort();
    }
    if (screenshots.size() > QuorFeedbackService::maxScreenshots) {
        throw QuorFeedbackError::tooManyScreenshots(QuorFeedbackService::maxScreenshots);
    }
    for (const QuorFeedbackScreenshot& screenshot : screenshots) {
        if (screenshot.data.size() > QuorFeedbackService::maxScreenshotBytes) {
            throw QuorFeedbackError::screenshotTooLarge(
                static_cast<int>(QuorFeedbackService::maxScreenshotBytes / (1024 * 1024)));
        }
    }
}

PreparedUpload prepare(const QString& appName, const QuorAppVersion& version, QuorFeedbackKind kind,
                       const QString& email, const QString& senderName, const QString& subject,
                       const QString& message, const QList<QuorFeedbackScreenshot>& screenshots,
                       QuorLanguage language, const std::optional<QString>& baseURL)
{
    const QString trimmedEmail = email.trimmed();
    const QString trimmedMessage = message.trimmed();
    validate(trimmedEmail, trimmedMessage, screenshots);
    const QUrl url = uploadURL(baseURL);
    const QString boundary = QStringLiteral("QuorFeedback-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();

    QString title = subject.trimmed();
    if (QuorGraphemes::count(title) < 3) {
        title = appName + QStringLiteral(" — ") + QuorFeedbackKinds::title(kind, language);
    }
    const QList<QPair<QString, QString>> fields{
        {QStringLiteral("type"), QuorFeedbackKinds::rawValue(kind)},
        {QStringLiteral("program_slug"), kind == QuorFeedbackKind::newApp ? QStringLiteral("new_app")
                                                                          : QuorFeedbackService::normalizedAppSlug(appName)},
        {QStringLiteral("program_name"), appName},
        {QStringLiteral("email"), trimmedEmail},
        {QStringLiteral("sender_name"), senderName.trimmed()},
        {QStringLiteral("subject"), title},
        {QStringLiteral("message"), trimmedMessage},
        {QStringLiteral("app_version"), version.shortVersion},
        {QStringLiteral("os_info"), QuorFeedbackService::currentOSDescription()},
        {QStringLiteral("locale"), QuorLanguages::rawValue(language)},
        {QStringLiteral("source"), QuorFeedbackService::sourceValue},
    };

    QNetworkRequest request(url);
    request.setTransferTimeout(requestTimeoutMs);
    request.setRawHeader("Content-Type", "multipart/form-data; boundary=" + boundary.toUtf8());
    request.setRawHeader("Accept", "application/json");
    request.setRawHeader("User-Agent", "Tallowmer/" + headerSafe(appName).toUtf8() + " QuorKit");
    return {request, QuorFeedbackService::buildMultipartBody(boundary, fields, screenshots)};
}

QString thankYou(QuorLanguage language)
{
    return quorText(QStringLiteral("Thank you! Your feedback has been received."),
                    QStringLiteral("Teşekkürler! Geri bildiriminiz bize ulaştı."), {}, language);
}

std::optional<QJsonObject> jsonObject(const QByteArray& body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

QuorFeedbackReceipt receiptFrom(int status, const QByteArray& body, int sentCount, QuorLanguage language)
{
    const std::optional<QJsonObject> object = jsonObject(body);
    if (status < 200 || status > 299) {
        const QJsonValue message = object ? object->value(QStringLiteral("message")) : QJsonValue();
        if (message.isString() && !message.toString().isEmpty()) {
            throw QuorFeedbackError::serverRejected(message.toString());
        }
        throw QuorFeedbackError::serverRejected(QStringLiteral("HTTP ") + QString::number(status));
    }
    QuorFeedbackReceipt receipt{QStringLiteral("QUOR-FB-OK"), sentCount, thankYou(language)};
    if (!object) {
        return receipt;
    }
    if (const QJsonValue code = object->value(QStringLiteral("reference_code")); code.isString()) {
        receipt.referenceCode = code.toString();
    }
    const std::optional<qint64> count = QuorJson::int64Value(object->value(QStringLiteral("attachments_count")));
    if (count && *count >= std::numeric_limits<int>::min() && *count <= std::numeric_limits<int>::max()) {
        receipt.attachmentsCount = static_cast<int>(*count);
    }
    if (const QJsonValue message = object->value(QStringLiteral("message")); message.isString()) {
        receipt.message = message.toString();
    }
    return receipt;
}

// The outcome of a finished reply: the receipt, or the error that explains the failure. An answer
// longer than the service ever sends is judged by its status and its first bytes: the note was
// received when the status says so, whatever follows.
QuorFeedbackReceipt finish(QNetworkReply* reply, const QuorReplySizeLimit::Head& head, int sentCount,
                           QuorLanguage language)
{
    if (reply == nullptr) {
        throw QuorFeedbackError::networkFailure(QStringLiteral("Invalid HTTP response"));
    }
    const QNetworkReply::NetworkError error = reply->error();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // Codes below 200 are failures of the connection itself; HTTP statuses map to 200 and above.
    // Cutting a long answer short aborts it, which is no failure of the connection.
    if (!head.cut && error != QNetworkReply::NoError && (error < 200 || !status.isValid())) {
        throw QuorFeedbackError::networkFailure(
            localizedDescription(QuorTransferError::fromReply(error, reply->errorString())));
    }
    if (!status.isValid()) {
        throw QuorFeedbackError::networkFailure(head.cut ? localizedDescription(QuorTransferError::answerTooLarge())
                                                         : QStringLiteral("Invalid HTTP response"));
    }
    QByteArray body = head.bytes;
    if (!head.cut) {
        body += reply->read(replyLimit - body.size());
    }
    return receiptFrom(status.toInt(), body, sentCount, language);
}

QByteArray pngBytes(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        return {};
    }
    return png;
}

QByteArray pngFromMimeData(const QMimeData& mime)
{
    const QString pngType = QStringLiteral("image/png");
    if (const QByteArray png = mime.data(pngType); !png.isEmpty()) {
        return png;
    }
    bool listsPictures = false;
    for (const QString& format : mime.formats()) {
        if (!format.startsWith(QLatin1String("image/")) || format == pngType) {
            continue;
        }
        listsPictures = true;
        if (const std::optional<QImage> image = QuorImageDecoder::decode(mime.data(format))) {
            return pngBytes(*image);
        }
    }
    // A picture put there by this process comes as an image object, not as encoded bytes. Bytes
    // from other programs were tried above, under the decoder's limits, and are not decoded again.
    if (!listsPictures && mime.hasImage()) {
        const QImage image = qvariant_cast<QImage>(mime.imageData());
        if (!image.isNull()) {
            return pngBytes(image);
        }
    }
    return {};
}

// The clipboard's picture formats with their bytes, and the picture object of a copy made in this
// process (which carries no encoded bytes).
struct ClipboardPictures {
    QList<std::pair<QString, QByteArray>> formats;
    QImage inProcess;
};

bool isPictureFormat(const QString& format)
{
    return format.startsWith(QLatin1String("image/"));
}

// Runs on a worker: the decoding and re-encoding of readScreenshotFromPasteboard(), on bytes
// already fetched.
std::optional<QuorFeedbackScreenshot> screenshotFromPictures(const ClipboardPictures& pictures, qint64 secondsSince1970)
{
    QMimeData mime;
    for (const auto& [format, bytes] : pictures.formats) {
        mime.setData(format, bytes);
    }
    if (!pictures.inProcess.isNull()) {
        mime.setImageData(pictures.inProcess);
    }
    return QuorFeedbackService::screenshotFromMimeData(mime, secondsSince1970);
}

} // namespace

namespace QuorFeedbackService {

QCoro::Task<QuorFeedbackReceipt> submit(QString appName, QuorAppVersion version, QuorFeedbackKind kind, QString email,
                                        QString senderName, QString subject, QString message,
                                        QList<QuorFeedbackScreenshot> screenshots, QuorLanguage language,
                                        std::optional<QString> baseURL, QPointer<QNetworkAccessManager> session)
{
    const PreparedUpload upload =
        prepare(appName, version, kind, email, senderName, subject, message, screenshots, language, baseURL);
    if (!session) {
        throw QuorFeedbackError::networkFailure(
            localizedDescription(QuorTransferError::fromReply(QNetworkReply::UnknownNetworkError, {})));
    }
    const QPointer<QNetworkReply> reply = QuorSendOnce::send(*session, upload.request, "POST", upload.body);
    const auto release = qScopeGuard([reply] {
        if (reply) {
            reply->deleteLater();
        }
    });
    const std::shared_ptr<const QuorReplySizeLimit::Head> head = QuorReplySizeLimit::keepHead(reply.data(), replyLimit);
    const QString sending = QStringLiteral("Feedback upload (%1, %2 screenshot(s)) to %3")
                                .arg(QuorFeedbackKinds::rawValue(kind))
                                .arg(screenshots.size())
                                .arg(QuorSupportLog::address(upload.request.url()));
    if (!reply->isFinished()) {
        co_await qCoro(reply.data()).waitForFinished();
    }
    try {
        QuorFeedbackReceipt receipt = finish(reply.data(), *head, static_cast<int>(screenshots.size()), language);
        QuorSupportLog::write(QuorLogLevel::info, QuorSupportLog::feedback,
                              sending + QStringLiteral(" sent: reference %1, %2 attachment(s)")
                                            .arg(receipt.referenceCode)
                                            .arg(receipt.attachmentsCount));
        co_return receipt;
    } catch (const QuorFeedbackError& error) {
        const int status = reply ? reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
        QString detail = QString::fromUtf8(error.what());
        if (status != 0) {
            detail += QStringLiteral("; HTTP %1: %2").arg(status).arg(QuorSupportLog::excerpt(head->bytes));
        }
        QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::feedback, sending + QStringLiteral(" failed: ") + detail);
        throw;
    }
}

QByteArray buildMultipartBody(const QString& boundary, const QList<QPair<QString, QString>>& fields,
                              const QList<QuorFeedbackScreenshot>& screenshots)
{
    const QByteArray crlf("\r\n");
    const QByteArray opening = "--" + boundary.toUtf8() + crlf;
    QByteArray body;
    qsizetype expected = 0;
    for (const QuorFeedbackScreenshot& screenshot : screenshots) {
        expected += screenshot.data.size() + 256;
    }
    body.reserve(expected + 4096);
    for (const auto& [name, value] : fields) {
        if (value.isEmpty()) {
            continue;
        }
        body += opening;
        body += "Content-Disposition: form-data; name=\"" + name.toUtf8() + "\"" + crlf + crlf;
        body += value.toUtf8() + crlf;
    }
    for (const QuorFeedbackScreenshot& screenshot : screenshots) {
        body += opening;
        body += "Content-Disposition: form-data; name=\"screenshots[]\"; filename=\"" + partFileName(screenshot.filename).toUtf8()
            + "\"" + crlf;
        body += "Content-Type: " + headerSafe(screenshot.mimeType).toUtf8() + crlf + crlf;
        body += screenshot.data + crlf;
    }
    body += "--" + boundary.toUtf8() + "--" + crlf;
    return body;
}

std::optional<QuorFeedbackScreenshot> readScreenshotFromPasteboard()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (mime == nullptr) {
        return std::nullopt;
    }
    return screenshotFromMimeData(*mime, QDateTime::currentSecsSinceEpoch());
}

std::optional<QuorFeedbackScreenshot> screenshotFromMimeData(const QMimeData& mime, qint64 secondsSince1970)
{
    const QByteArray png = pngFromMimeData(mime);
    if (png.isEmpty()) {
        return std::nullopt;
    }
    return QuorFeedbackScreenshot{QUuid::createUuid(),
                                  QStringLiteral("clipboard-") + QString::number(secondsSince1970) + QStringLiteral(".png"),
                                  QStringLiteral("image/png"), png};
}

QCoro::Task<std::optional<QuorFeedbackScreenshot>> fetchScreenshotFromPasteboard()
{
    const qint64 seconds = QDateTime::currentSecsSinceEpoch();
    ClipboardPictures pictures;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    // Content at hand in this process: taking its bytes and picture shares them, copies nothing.
    if (quor::platform::Clipboard::readsLocally()) {
        if (const QMimeData* mime = clipboard->mimeData(QClipboard::Clipboard)) {
            for (const QString& format : mime->formats()) {
                if (isPictureFormat(format)) {
                    pictures.formats.append({format, mime->data(format)});
                }
            }
            if (mime->hasImage()) {
                pictures.inProcess = qvariant_cast<QImage>(mime->imageData());
            }
        }
    } else {
        const quor::platform::Clipboard::Content content = co_await quor::platform::Clipboard::shared().content();
        for (const auto& [format, bytes] : content.entries) {
            if (isPictureFormat(format)) {
                pictures.formats.append({format, bytes});
            }
        }
    }
    if (pictures.formats.isEmpty() && pictures.inProcess.isNull()) {
        co_return std::nullopt;
    }
    QFuture<std::optional<QuorFeedbackScreenshot>> converting =
        QtConcurrent::run(&screenshotFromPictures, std::move(pictures), seconds);
    co_return co_await converting;
}

QNetworkAccessManager* sharedSession()
{
    // Never destroyed: it must not outlive the application object in a static destructor.
    static QNetworkAccessManager* const session = new QNetworkAccessManager();
    return session;
}

} // namespace QuorFeedbackService
