#include "QuorKit/Design/Emblems/QuorAppIdentity.h"

#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <array>

namespace {

constexpr std::array<const char*, 75> kRawIds{
    "quornotes", "tallypad", "inkwell", "mindloom", "pagecraft", "stackly", "quorplan", "quortasks",
    "quorfocus", "quorclip", "quordraft", "quormail", "quorread", "quordocs", "quorzub", "quorsheet",
    "quorcalc", "quorcards", "quorshelf", "quorpdf", "quorkeys", "quorsnips", "quorjournal", "quorclock",
    "quorforms", "quorlinks", "quorscan",
    "quorcamera", "quortunes", "quorradio", "quorplayer", "quormixer", "quorvoice", "quorphoto",
    "quorscript", "quorsketch", "quorruler", "quorframe", "quorpodcast", "quorwave", "quorstudio",
    "quorcolor", "quorcast",
    "quormonitor", "quormemory", "quorcleaner", "quorawake", "quorbattery", "quornotch", "quortweaks",
    "quornetworkscope", "quorbeam", "quortorrent", "quorfetch", "quorproxy", "quoronion", "quordns",
    "quorwall", "quorvpn", "quorapi", "quorshell", "quorflow", "quorfind", "quorbase", "quorvault",
    "quorboxes", "quorgit", "quorvirt", "quorlink", "quorphone", "quordisk", "quorrescue", "quorfiles",
    "quorguard", "quorbackup",
};

struct Alias {
    const char* key;
    int row;
};

// Older and alternative product names, already in key form.
constexpr std::array<Alias, 5> kAliases{{
    {"quornetlens", 50},
    {"inkwelljournaler", 2},
    {"inkwellwriter", 2},
    {"tallybox", 1},
    {"cliplist", 9},
}};

bool isKeyScalar(char32_t scalar)
{
    switch (QChar::category(scalar)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

QString keyOf(const QString& name)
{
    const QStringList pieces = name.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    const QString kept = pieces.isEmpty() ? name : pieces.last();
    QString key;
    for (const char32_t scalar : kept.toLower().toUcs4()) {
        if (isKeyScalar(scalar)) {
            key.append(QString::fromUcs4(&scalar, 1));
        }
    }
    return key;
}

QString processName()
{
    if (QCoreApplication::instance() != nullptr) {
        return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    }
    QFile comm(QStringLiteral("/proc/self/comm"));
    if (comm.open(QIODevice::ReadOnly)) {
        return QString::fromUtf8(comm.readAll()).trimmed();
    }
    return {};
}

} // namespace

namespace QuorAppIdentities {

const QList<QuorAppIdentity>& allCases()
{
    static const QList<QuorAppIdentity> cases = [] {
        QList<QuorAppIdentity> list;
        for (int i = 0; i < static_cast<int>(kRawIds.size()); ++i) {
            list.append(static_cast<QuorAppIdentity>(i));
        }
        return list;
    }();
    return cases;
}

int index(QuorAppIdentity app)
{
    return static_cast<int>(app);
}

QString rawValue(QuorAppIdentity app)
{
    return QString::fromLatin1(kRawIds.at(static_cast<std::size_t>(app)));
}

QString id(QuorAppIdentity app)
{
    return rawValue(app);
}

std::optional<QuorAppIdentity> fromRawValue(const QString& raw)
{
    for (std::size_t i = 0; i < kRawIds.size(); ++i) {
        if (raw == QLatin1String(kRawIds[i])) {
            return static_cast<QuorAppIdentity>(i);
        }
    }
    return std::nullopt;
}

std::optional<QuorAppIdentity> resolve(const QString& name)
{
    const QString key = keyOf(name);
    for (const Alias& alias : kAliases) {
        if (key == QLatin1String(alias.key)) {
            return static_cast<QuorAppIdentity>(alias.row);
        }
    }
    return fromRawValue(key);
}

std::optional<QuorAppIdentity> current(const QuorBundle& bundle, const QString& process)
{
    QStringList candidates;
    const QString identifier = bundle.bundleIdentifier();
    if (!identifier.isEmpty()) {
        candidates << identifier;
    }
    for (const char* key : {"CFBundleDisplayName", "CFBundleName"}) {
        const QVariant value = bundle.infoDictionary().value(QString::fromLatin1(key));
        if (value.typeId() == QMetaType::QString) {
            candidates << value.toString();
        }
    }
    candidates << process;
    for (const QString& candidate : std::as_const(candidates)) {
        if (const auto app = resolve(candidate)) {
            return app;
        }
    }
    return std::nullopt;
}

std::optional<QuorAppIdentity> current()
{
    return current(QuorBundle::main(), processName());
}

QJsonValue toJson(QuorAppIdentity app)
{
    return rawValue(app);
}

QuorAppIdentity fromJson(const QJsonValue& value)
{
    const QString raw = QuorJson::stringValue(value, QStringLiteral("app"));
    if (const auto app = fromRawValue(raw)) {
        return *app;
    }
    throw QuorDecodingError(QStringLiteral("Cannot initialize QuorAppIdentity from invalid String value %1").arg(raw));
}

} // namespace QuorAppIdentities
