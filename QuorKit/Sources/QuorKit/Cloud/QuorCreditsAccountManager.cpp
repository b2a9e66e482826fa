#include "QuorKit/Cloud/QuorCreditsAccountManager.h"

#include "QuorKit/Cloud/QuorBrowserHandOff.h"
#include "QuorKit/Cloud/QuorCredentialRoute.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Cloud/QuorCreditsError.h"
#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Cloud/QuorReplySizeLimit.h"
#include "QuorKit/Cloud/QuorSupportLog.h"
#include "QuorKit/Cloud/QuorSendOnce.h"
#include "QuorKit/Cloud/QuorTransferError.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorKit/Utilities/QuorSettings.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorAppVersion.h"
#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroNetworkReply>

#include <sys/stat.h>

const QString QuorCreditsAccountManager::defaultGatewayURL = QStringLiteral("https://api.tallowmer.com");
const QString QuorCreditsAccountManager::defaultPortalURL = QStringLiteral("https://tallowmer.com");
const QString QuorCreditsAccountManager::gatewayURLDefaultsKey = QStringLiteral("com.tallowmer.creditsGatewayURL");
const QString QuorCreditsAccountManager::accountFileName = QStringLiteral("account.json");

namespace {
using namespace std::chrono_literals;

// A gateway answer is a small JSON document; anything far larger is refused rather than buffered.
constexpr qint64 answerLimit = 8 * 1024 * 1024;
const QString platformSuffix = QStringLiteral(" Linux");

QString withoutEdgeSlashes(QString text)
{
    while (text.startsWith(QLatin1Char('/'))) {
        text.remove(0, 1);
    }
    while (text.endsWith(QLatin1Char('/'))) {
        text.chop(1);
    }
    return text;
}

// The account directory named by the environment: only the first variable present counts.
std::optional<QString> environmentAccountDirectory()
{
    QString value;
    if (qEnvironmentVariableIsSet("TALLOWMER_ACCOUNT_DIR")) {
        value = qEnvironmentVariable("TALLOWMER_ACCOUNT_DIR");
    } else if (qEnvironmentVariableIsSet("FENNIMAR_ACCOUNT_DIR")) {
        value = qEnvironmentVariable("FENNIMAR_ACCOUNT_DIR");
    } else {
        return std::nullopt;
    }
    if (value.trimmed().isEmpty()) {
        return std::nullopt;
    }
    return QFileInfo(value).absoluteFilePath();
}

QString fileIn(const QString& directory)
{
    return QFileInfo(directory).absoluteFilePath() + QLatin1Char('/') + QuorCreditsAccountManager::accountFileName;
}

bool isSuccess(int status)
{
    return status >= 200 && status <= 299;
}

// The error of a failed answer. The log gets the status and the start of the body; the person reads
// the server's own message only when the body is a JSON error, else a sentence with the status.
QuorCreditsError failedAnswer(const QString& call, int status, const QByteArray& body)
{
    QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::gateway,
                          QStringLiteral("%1 answered HTTP %2: %3").arg(call, QString::number(status), QuorSupportLog::excerpt(body)));
    return QuorCreditsError::serverAnswer(status, body);
}

// Decodes a successful answer; one that does not decode is logged with the parser's detail (which
// the person never reads) and its error passed on.
template <typename Decode>
auto decodedAnswer(const QString& call, const QByteArray& body, Decode decode)
{
    try {
        return decode(QuorJson::parseObject(body));
    } catch (const QuorDecodingError& error) {
        QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::gateway,
                              QStringLiteral("%1: the answer could not be read (%2): %3")
                                  .arg(call, error.detail(), QuorSupportLog::excerpt(body)));
        throw;
    }
}

QByteArray jsonBody(const QJsonObject& object)
{
    return QuorJson::compact(object);
}

QJsonObject objectOrEmpty(const QByteArray& body)
{
    try {
        return QuorJson::parseObject(body);
    } catch (const QuorDecodingError&) {
        return {};
    }
}

QJsonValue positiveOrNull(std::optional<double> value)
{
    return value && *value > 0 ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QString trimmedAppName(const QString& app)
{
    const QString trimmed = app.trimmed();
    if (trimmed.isEmpty()) {
        throw QuorCreditsError::serverError(400, QStringLiteral("Missing app identifier."));
    }
    return trimmed;
}

std::optional<QuorAppBudgetStatus> budgetFromAnswer(const QByteArray& body)
{
    try {
        return QuorAppBudgetStatus::fromJson(QuorJson::parseObject(body));
    } catch (const QuorDecodingError&) {
    }
    try {
        const QJsonObject object = QuorJson::parseObject(body);
        const QString key = object.contains(QStringLiteral("budget")) ? QStringLiteral("budget") : QStringLiteral("app_budget");
        const QJsonValue member = object.value(key);
        if (member.isObject()) {
            return QuorAppBudgetStatus::fromJson(member.toObject());
        }
    } catch (const QuorDecodingError&) {
    }
    return std::nullopt;
}
} // namespace

std::shared_ptr<QuorAppLogger> QuorCreditsAccountManager::logger()
{
    return QuorAppLogger::shared(QuorFeedbackService::resolvedCurrentAppName(QuorBundle::main(), QStringLiteral("Tallowmer")));
}

QuorCreditsAccountManager& QuorCreditsAccountManager::shared()
{
    // Never destroyed: it must outlive every coroutine still running at exit.
    static auto* const instance = new QuorCreditsAccountManager();
    return *instance;
}

QuorCreditsAccountManager::QuorCreditsAccountManager(std::optional<QString> accountDirectory,
                                                     std::optional<QString> legacyFennimarDirectory,
                                                     std::optional<QString> gatewayURLOverride,
                                                     QNetworkAccessManager* session, QObject* parent)
    : QObject(parent), m_gatewayURLOverride(std::move(gatewayURLOverride)), m_session(session)
{
    if (accountDirectory) {
        m_primaryAccountFile = fileIn(*accountDirectory);
        if (legacyFennimarDirectory) {
            m_legacyFennimarAccountFile = fileIn(*legacyFennimarDirectory);
        }
    } else if (const auto fromEnvironment = environmentAccountDirectory()) {
        m_primaryAccountFile = fileIn(*fromEnvironment);
    } else {
        m_primaryAccountFile = fileIn(QuorPaths::tallowmerDirectory());
        m_defaultLocations = true;
        m_legacyFennimarAccountFile =
            fileIn(QuorPaths::applicationSupportDirectory() + QStringLiteral("/com.fennimar.fennimar"));
    }
    if (!m_session) {
        m_session = new QNetworkAccessManager(this);
    }
    m_fileQueue.setMaxThreadCount(1);
}

QuorCreditsAccountManager::~QuorCreditsAccountManager()
{
    m_fileQueue.waitForDone();
}

// ---------------------------------------------------------------------------------------------------
// Addresses

QString QuorCreditsAccountManager::resolvedGatewayURL(std::optional<QString> override)
{
    const std::optional<QString> candidates[] = {
        override,
        qEnvironmentVariableIsSet("TALLOWMER_API_URL") ? std::optional<QString>(qEnvironmentVariable("TALLOWMER_API_URL"))
                                                       : std::nullopt,
        QuorSettings::standard().string(gatewayURLDefaultsKey),
    };
    for (const auto& candidate : candidates) {
        if (candidate && !candidate->trimmed().isEmpty()) {
            return withoutEdgeSlashes(candidate->trimmed());
        }
    }
    return defaultGatewayURL;
}

QString QuorCreditsAccountManager::currentAppHeader()
{
    const QString name = QuorFeedbackService::resolvedCurrentAppName(QuorBundle::main(), QStringLiteral("Tallowmer"));
    const QString version =
        QuorAppVersion::current(QuorBundle::main(), QStringLiteral("1.0.0"), QStringLiteral("100")).shortVersion;
    return name + QLatin1Char('/') + version + platformSuffix;
}

namespace {
std::optional<QUrl> portalPage(const QString& portalBase, const QString& path)
{
    const QUrl url(withoutEdgeSlashes(portalBase) + path, QUrl::StrictMode);
    if (!url.isValid()) {
        return std::nullopt;
    }
    return url;
}
} // namespace

std::optional<QUrl> QuorCreditsAccountManager::topUpURL(const QString& portalBase, QuorLanguage language)
{
    return portalPage(portalBase, language == QuorLanguage::tr ? QStringLiteral("/kredi") : QStringLiteral("/en/credits"));
}

std::optional<QUrl> QuorCreditsAccountManager::budgetsURL(const QString& portalBase, QuorLanguage language)
{
    return portalPage(portalBase, language == QuorLanguage::tr ? QStringLiteral("/kullanim") : QStringLiteral("/en/usage"));
}

bool QuorCreditsAccountManager::isWebAddress(const QUrl& url)
{
    return QuorBrowserHandOff::isWebAddress(url);
}

bool QuorCreditsAccountManager::openServerURL(const QUrl& url) const
{
    return QuorBrowserHandOff::open(url, m_urlOpener);
}

void QuorCreditsAccountManager::openServerURL(const QUrl& url, QObject* context,
                                              std::function<void(bool opened)> outcome) const
{
    QuorBrowserHandOff::openThen(url, context, std::move(outcome), m_urlOpener);
}

void QuorCreditsAccountManager::setURLOpener(URLOpener opener)
{
    m_urlOpener = std::move(opener);
}

// ---------------------------------------------------------------------------------------------------
// Gateway calls

QUrl QuorCreditsAccountManager::gatewayAddress(const QString& path) const
{
    // Only web addresses carry the token: a "file:" or relative gateway would read or write local files,
    // and plain http to another computer would show the token and the sign-in codes to the network.
    const QUrl url(resolvedGatewayURL(m_gatewayURLOverride) + path, QUrl::StrictMode);
    if (!QuorCreditsAccountManager::isWebAddress(url) || !QuorCredentialRoute::maySendCredential(url)) {
        throw QuorCreditsError::invalidGatewayURL();
    }
    return url;
}

QCoro::Task<QString> QuorCreditsAccountManager::requireToken(std::optional<QString> tokenOverride)
{
    if (tokenOverride) {
        co_return *tokenOverride;
    }
    const std::optional<QString> saved = co_await savedToken();
    if (!saved) {
        throw QuorCreditsError::notSignedIn();
    }
    co_return *saved;
}

QCoro::Task<QuorCreditsAccountManager::Answer> QuorCreditsAccountManager::send(
    QByteArray method, QUrl url, std::chrono::milliseconds timeout, Auth auth, QString token,
    std::optional<QByteArray> jsonBody, QuorCancellationToken cancel)
{
    cancel.throwIfCancelled();
    const QString call = QString::fromLatin1(method) + QLatin1Char(' ') + QuorSupportLog::address(url);
    if (!m_session) {
        throw QuorTransferError::fromReply(QNetworkReply::UnknownNetworkError, QStringLiteral("no network session"));
    }
    const std::chrono::milliseconds waited = m_answerTimeout.value_or(timeout);
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(waited.count()));
    // The token must never follow a redirect to another host.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    if (jsonBody) {
        request.setRawHeader("Content-Type", "application/json");
    }
    if (auth == Auth::token) {
        request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
        request.setRawHeader("X-Quorbel-App", currentAppHeader().toUtf8());
    }
    request = QuorReplySizeLimit::prepared(request);
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(
        method == "GET"      ? m_session->get(request)
        : method == "DELETE" ? m_session->deleteResource(request)
                             : QuorSendOnce::send(*m_session, request, method, jsonBody.value_or(QByteArray())),
        [](QNetworkReply* finished) { finished->deleteLater(); });
    QNetworkReply* const raw = reply.get();
    const std::shared_ptr<const QuorReplySizeLimit::Body> body = QuorReplySizeLimit::gather(raw, answerLimit);
    cancel.onCancel(raw, [raw] { raw->abort(); });

    co_await qCoro(raw).waitForFinished();

    if (cancel.isCancelled()) {
        throw QuorCancelledError();
    }
    if (body->exceeded) {
        QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::gateway,
                              QStringLiteral("%1: the answer grew past %2 bytes and was refused").arg(call).arg(answerLimit));
        throw QuorTransferError::answerTooLarge();
    }
    if (body->unreadable) {
        const QuorTransferError failure = QuorTransferError::answerUnreadable(raw->errorString());
        QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::gateway,
                              call + QStringLiteral(" failed: ") + QString::fromUtf8(failure.what()));
        throw failure;
    }
    const QNetworkReply::NetworkError error = raw->error();
    const QVariant status = raw->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // Codes below 200 are failures of the connection itself; HTTP statuses map to 200 and above.
    if (error != QNetworkReply::NoError && (error < 200 || !status.isValid())) {
        const QuorTransferError failure = QuorTransferError::fromReply(error, raw->errorString());
        const QString what = failure.kind() == QuorTransferError::Kind::timedOut
                                 ? QStringLiteral("timed out after %1 ms").arg(waited.count())
                                 : QStringLiteral("failed: %1 (%2)").arg(failure.englishDescription(), raw->errorString());
        QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::gateway, call + QLatin1Char(' ') + what);
        throw failure;
    }
    if (!status.isValid()) {
        QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::gateway, call + QStringLiteral(" got no HTTP answer"));
        throw QuorCreditsError::serverError(0, QStringLiteral("No HTTP response"));
    }
    co_return Answer{status.toInt(), body->bytes, call};
}

QCoro::Task<QuorCreditsAccountManager::Answer> QuorCreditsAccountManager::sendTokenCall(
    QByteArray method, QString path, std::chrono::milliseconds timeout, std::optional<QString> tokenOverride,
    std::optional<QByteArray> jsonBody, QuorCancellationToken cancel)
{
    const QString token = co_await requireToken(tokenOverride);
    const QUrl url = gatewayAddress(path);
    const Answer answer = co_await send(method, url, timeout, Auth::token, token, jsonBody, cancel);
    if (answer.status == 401) {
        QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::gateway,
                              answer.call + QStringLiteral(" answered HTTP 401: the saved token was refused"));
        throw QuorCreditsError::unauthorized();
    }
    if (!isSuccess(answer.status)) {
        throw failedAnswer(answer.call, answer.status, answer.body);
    }
    co_return answer;
}

QCoro::Task<QuorDeviceSignInStart> QuorCreditsAccountManager::startDeviceSignIn(QString clientName,
                                                                                 QuorCancellationToken cancel)
{
    const QUrl url = gatewayAddress(QStringLiteral("/v1/device/code"));
    const QJsonObject body{{QStringLiteral("client"), clientName + platformSuffix}};
    const Answer answer = co_await send("POST", url, 15s, Auth::none, {}, jsonBody(body), cancel);
    if (!isSuccess(answer.status)) {
        throw failedAnswer(answer.call, answer.status, answer.body);
    }
    co_return decodedAnswer(answer.call, answer.body, &QuorDeviceSignInStart::fromJson);
}

QCoro::Task<QuorDevicePollResult> QuorCreditsAccountManager::pollDeviceSignIn(QString deviceCode,
                                                                              QuorCancellationToken cancel)
{
    const QUrl url = gatewayAddress(QStringLiteral("/v1/device/token"));
    const QJsonObject body{{QStringLiteral("device_code"), deviceCode}};
    const Answer answer = co_await send("POST", url, 15s, Auth::none, {}, jsonBody(body), cancel);
    const QJsonObject object = objectOrEmpty(answer.body);
    const QJsonValue accessToken = object.value(QStringLiteral("access_token"));
    if (isSuccess(answer.status) && accessToken.isString() && !accessToken.toString().isEmpty()) {
        const QString token = accessToken.toString();
        co_await keepToken(token);
        co_return QuorDevicePollResult::approved(token);
    }
    const QJsonValue error = object.value(QStringLiteral("error"));
    if (error.isString()) {
        const QString code = error.toString();
        if (code == QLatin1String("authorization_pending")) {
            co_return QuorDevicePollResult::pending();
        }
        if (code == QLatin1String("slow_down")) {
            co_return QuorDevicePollResult::slowDown();
        }
        if (code == QLatin1String("access_denied")) {
            co_return QuorDevicePollResult::denied();
        }
        if (code == QLatin1String("expired_token") || code == QLatin1String("invalid_grant")) {
            co_return QuorDevicePollResult::expired();
        }
    }
    throw failedAnswer(answer.call, answer.status, answer.body);
}

QCoro::Task<QString> QuorCreditsAccountManager::redeemConnectCode(QString code, QString codeVerifier,
                                                                  QuorCancellationToken cancel)
{
    const QUrl url = gatewayAddress(QStringLiteral("/v1/connect/token"));
    const QJsonObject body{{QStringLiteral("code"), code}, {QStringLiteral("code_verifier"), codeVerifier}};
    const Answer answer = co_await send("POST", url, 15s, Auth::none, {}, jsonBody(body), cancel);
    if (isSuccess(answer.status)) {
        const QJsonValue accessToken = objectOrEmpty(answer.body).value(QStringLiteral("access_token"));
        if (accessToken.isString() && !accessToken.toString().isEmpty()) {
            const QString token = accessToken.toString();
            co_await keepToken(token);
            co_return token;
        }
    }
    throw failedAnswer(answer.call, answer.status, answer.body);
}

QCoro::Task<QuorCreditAccountProfile> QuorCreditsAccountManager::fetchProfile(std::optional<QString> tokenOverride,
                                                                              QuorCancellationToken cancel)
{
    const Answer answer = co_await sendTokenCall("GET", QStringLiteral("/v1/me"), 12s, tokenOverride, std::nullopt, cancel);
    co_return decodedAnswer(answer.call, answer.body, &QuorCreditAccountProfile::fromJson);
}

QCoro::Task<std::optional<QuorAppBudgetStatus>> QuorCreditsAccountManager::saveAppBudget(
    QString app, std::optional<double> dailyLimitCredits, std::optional<double> monthlyLimitCredits,
    std::optional<double> lowBalanceThresholdCredits, std::optional<QString> tokenOverride, QuorCancellationToken cancel)
{
    const QString token = co_await requireToken(tokenOverride);
    QJsonObject body{
        {QStringLiteral("app"), trimmedAppName(app)},
        {QStringLiteral("daily_limit_credits"), positiveOrNull(dailyLimitCredits)},
        {QStringLiteral("monthly_limit_credits"), positiveOrNull(monthlyLimitCredits)},
    };
    if (lowBalanceThresholdCredits) {
        body.insert(QStringLiteral("low_balance_threshold_credits"), positiveOrNull(lowBalanceThresholdCredits));
    }
    const Answer answer =
        co_await sendTokenCall("PUT", QStringLiteral("/v1/app-budgets"), 15s, token, jsonBody(body), cancel);
    co_return budgetFromAnswer(answer.body);
}

QCoro::Task<> QuorCreditsAccountManager::deleteAppBudget(QString app, std::optional<QString> tokenOverride,
                                                         QuorCancellationToken cancel)
{
    const QString token = co_await requireToken(tokenOverride);
    // The path allows "/", "?" and "#" literally; here they must be encoded, so they are not spared.
    const QByteArray encoded = QUrl::toPercentEncoding(trimmedAppName(app), "!$&'()*+,;=:@");
    co_await sendTokenCall("DELETE", QStringLiteral("/v1/app-budgets/") + QString::fromLatin1(encoded), 15s, token,
                           std::nullopt, cancel);
}

QCoro::Task<QuorGatewayAIModelsResponse> QuorCreditsAccountManager::fetchAvailableAIProviders(
    std::optional<QString> tokenOverride, QuorCancellationToken cancel)
{
    const Answer answer =
        co_await sendTokenCall("GET", QStringLiteral("/v1/ai/models"), 12s, tokenOverride, std::nullopt, cancel);
    co_return decodedAnswer(answer.call, answer.body, &QuorGatewayAIModelsResponse::fromJson);
}

QCoro::Task<> QuorCreditsAccountManager::signOut()
{
    QString told = QStringLiteral("no token was saved");
    if (const std::optional<QString> token = co_await savedToken()) {
        try {
            const QUrl url = gatewayAddress(QStringLiteral("/v1/logout"));
            const Answer answer = co_await send("POST", url, 8s, Auth::token, *token, std::nullopt, {});
            told = QStringLiteral("the gateway answered HTTP %1").arg(answer.status);
        } catch (const std::exception& error) {
            // The gateway's answer does not matter: the local token goes either way.
            told = QStringLiteral("the gateway was not reached: %1").arg(QString::fromUtf8(error.what()));
        } catch (...) {
            told = QStringLiteral("the gateway was not reached");
        }
    }
    co_await clearLocalToken();
    QuorSupportLog::write(QuorLogLevel::info, QuorSupportLog::account,
                          QStringLiteral("Signed out; the local token is removed (%1)").arg(told));
}
