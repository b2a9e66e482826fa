#include "QuorKit/Cloud/QuorFeedbackService.h"

#include "QuorKit/Cloud/QuorBrowserHandOff.h"
#include "QuorKit/Cloud/QuorSupportLog.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QMetaType>
#include <QPointer>
#include <QSysInfo>
#include <QTimer>
#include <QUrlQuery>
#include <QVariant>

namespace {
QString processName()
{
    const QString name = QCoreApplication::applicationName();
    if (!name.trimmed().isEmpty()) {
        return name;
    }
    QFile comm(QStringLiteral("/proc/self/comm"));
    if (!comm.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(comm.readAll());
}

// A source value trimmed of whitespace and then of "/" at both ends; nothing when blank.
std::optional<QString> baseFrom(const std::optional<QString>& value)
{
    if (!value) {
        return std::nullopt;
    }
    QString trimmed = value->trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    qsizetype start = 0;
    qsizetype end = trimmed.size();
    while (start < end && trimmed.at(start) == QLatin1Char('/')) {
        ++start;
    }
    while (end > start && trimmed.at(end - 1) == QLatin1Char('/')) {
        --end;
    }
    return trimmed.mid(start, end - start);
}

// One os-release value: unquoted, or in single or double quotes (backslash escapes inside double
// quotes).
QString unquoted(const QString& raw)
{
    const QString value = raw.trimmed();
    if (value.size() >= 2 && value.front() == QLatin1Char('\'') && value.back() == QLatin1Char('\'')) {
        return value.mid(1, value.size() - 2);
    }
    if (value.size() >= 2 && value.front() == QLatin1Char('"') && value.back() == QLatin1Char('"')) {
        QString out;
        const QString inner = value.mid(1, value.size() - 2);
        for (qsizetype i = 0; i < inner.size(); ++i) {
            if (inner.at(i) == QLatin1Char('\\') && i + 1 < inner.size()) {
                ++i;
            }
            out.append(inner.at(i));
        }
        return out;
    }
    return value;
}

QMap<QString, QString> parseOSRelease(const QString& text)
{
    QMap<QString, QString> fields;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
        if (trimmed.startsWith(QLatin1Char('#')) || equals <= 0) {
            continue;
        }
        fields.insert(trimmed.left(equals).trimmed(), unquoted(trimmed.mid(equals + 1)));
    }
    return fields;
}
} // namespace

namespace QuorFeedbackService {

QString resolvedBaseURL(const std::optional<QString>& override)
{
    if (auto base = baseFrom(override)) {
        return *base;
    }
    if (qEnvironmentVariableIsSet(baseURLEnvironmentVariable.toUtf8().constData())) {
        if (auto base = baseFrom(qEnvironmentVariable(baseURLEnvironmentVariable.toUtf8().constData()))) {
            return *base;
        }
    }
    if (auto base = baseFrom(QuorSettings::standard().string(baseURLDefaultsKey))) {
        return *base;
    }
    return defaultBaseURL;
}

QString normalizedAppSlug(const QString& name)
{
    QString slug;
    for (const char32_t scalar : name.toLower().toUcs4()) {
        if (QChar::isLetterOrNumber(scalar) || QChar::isMark(scalar)) {
            slug.append(QString::fromUcs4(&scalar, 1));
        }
    }
    return slug;
}

QString osDescription(const QString& osRelease, const QString& kernelVersion, const QString& architecture)
{
    const QMap<QString, QString> fields = parseOSRelease(osRelease);
    const QString name = fields.value(QStringLiteral("NAME")).trimmed();
    const QString version = fields.value(QStringLiteral("VERSION_ID")).trimmed();
    QString system;
    if (!name.isEmpty() && !version.isEmpty()) {
        system = name + QLatin1Char(' ') + version;
    } else if (const QString pretty = fields.value(QStringLiteral("PRETTY_NAME")).trimmed(); !pretty.isEmpty()) {
        system = pretty;
    } else if (!name.isEmpty()) {
        system = name;
    } else {
        system = (QStringLiteral("Linux ") + kernelVersion.trimmed()).trimmed();
    }
    const QString arch = architecture.trimmed();
    return arch.isEmpty() ? system : system + QStringLiteral(" (") + arch + QLatin1Char(')');
}

QString currentOSDescription()
{
    QString text;
    for (const QString& path : {QStringLiteral("/etc/os-release"), QStringLiteral("/usr/lib/os-release")}) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            text = QString::fromUtf8(file.read(64 * 1024));
            break;
        }
    }
    return osDescription(text, QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture());
}

std::optional<QUrl> webFeedbackURL(const QString& appName, const QuorAppVersion& version, QuorFeedbackKind kind,
                                   QuorLanguage language, const std::optional<QString>& baseURL)
{
    const QString base = resolvedBaseURL(baseURL);
    const QString path = language == QuorLanguage::tr
                             ? QStringLiteral("/tr/geri-bildirim")
                             : QLatin1Char('/') + QuorLanguages::rawValue(language) + QStringLiteral("/feedback");
    QUrl url(base + path, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
        return std::nullopt;
    }
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("type"), QuorFeedbackKinds::rawValue(kind));
    query.addQueryItem(QStringLiteral("source"), sourceValue);
    query.addQueryItem(QStringLiteral("os"), currentOSDescription());
    if (const QString slug = normalizedAppSlug(appName); !slug.isEmpty()) {
        query.addQueryItem(QStringLiteral("app"), slug);
    }
    if (!version.shortVersion.isEmpty()) {
        query.addQueryItem(QStringLiteral("version"), version.shortVersion);
    }
    url.setQuery(query);
    return url;
}

void openInBrowser(const QString& appName, const QuorAppVersion& version, QuorFeedbackKind kind,
                   QuorLanguage language, const std::optional<QString>& baseURL, QObject* context,
                   QuorBrowserHandOff::Outcome outcome)
{
    const std::optional<QUrl> url = webFeedbackURL(appName, version, kind, language, baseURL);
    if (!url) {
        QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::feedback,
                              QStringLiteral("The feedback form has no valid address (base %1)").arg(resolvedBaseURL(baseURL)));
        if (outcome) {
            QTimer::singleShot(0, QCoreApplication::instance(), [receiver = QPointer<QObject>(context), outcome] {
                if (receiver) {
                    outcome(false);
                }
            });
        }
        return;
    }
    const QString form = QStringLiteral("Feedback form (%1, %2)").arg(QuorFeedbackKinds::rawValue(kind),
                                                                     QuorLanguages::rawValue(language));
    // Logged once the browser's answer is known, whether or not the caller is still there.
    QuorBrowserHandOff::openThen(*url, QCoreApplication::instance(),
                                 [form, address = QuorSupportLog::address(*url), receiver = QPointer<QObject>(context),
                                  outcome = std::move(outcome)](bool opened) {
                                     QuorSupportLog::write(opened ? QuorLogLevel::info : QuorLogLevel::warn,
                                                           QuorSupportLog::feedback,
                                                           form + (opened ? QStringLiteral(" opened in the browser: ")
                                                                          : QStringLiteral(" could not be opened: "))
                                                               + address);
                                     if (receiver && outcome) {
                                         outcome(opened);
                                     }
                                 });
}

QString resolvedCurrentAppName(const QuorBundle& bundle, const QString& fallback)
{
    for (const QString& key : {QStringLiteral("CFBundleDisplayName"), QStringLiteral("CFBundleName")}) {
        const QVariant value = bundle.infoDictionary().value(key);
        if (value.metaType().id() == QMetaType::QString) {
            const QString trimmed = value.toString().trimmed();
            if (!trimmed.isEmpty()) {
                return trimmed;
            }
        }
    }
    const QString process = processName().trimmed();
    return process.isEmpty() ? fallback : process;
}

} // namespace QuorFeedbackService
