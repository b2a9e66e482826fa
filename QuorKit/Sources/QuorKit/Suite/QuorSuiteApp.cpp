#include "QuorKit/Suite/QuorSuiteApp.h"

#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorPlatform/Workspace/QuorDesktopEntry.h"

#include <QFile>

#include <array>

namespace {

struct Row {
    const char* rawValue;
    const char* symbolName;
};

constexpr std::array<Row, QuorSuiteApps::caseCount> kRows{{
    {"Drummet", "xmark.octagon.fill"},
    {"Vaskel", "memorychip.fill"},
    {"Kestrine", "waveform.path.ecg"},
    {"Quillory", "network"},                                        // network monitor
    {"Scourwen", "trash.circle.fill"},                              // cleaner
    {"Wakerill", "cup.and.saucer.fill"},                            // keep-awake
    {"Ardenwick", "timer"},
    {"Pellory", "checklist.checked"},
    {"Voltanne", "battery.100.bolt"},                               // charging
    {"Brimmet", "rectangle.topthird.inset.filled"},                 // notch
    {"Tweskel", "wrench.and.screwdriver.fill"},                     // system tweaks
    {"Platterby", "internaldrive.fill"},                            // disk health
    {"Ferrowin", "arrow.up.arrow.down.circle.fill"},                // file transfer
    {"Seedmoor", "leaf.arrow.triangle.circlepath"},                 // torrent client
    {"Haulwick", "arrow.down.circle.fill"},                         // download client
    {"Snarrow", "point.3.connected.trianglepath.dotted"},           // capture proxy
    {"Veilmere", "eye.slash.fill"},                                 // anonymity network
    {"Siftrel", "line.3.horizontal.decrease.circle.fill"},          // DNS filter
    {"Bulwarne", "flame.fill"},                                     // firewall
    {"Tunnick", "lock.shield.fill"},                                // VPN
    {"Lensett", "camera.fill"},                                     // camera
    {"Reelby", "play.rectangle.fill"},                              // media player
    {"Scrivelle", "mic.fill"},                                      // dictation
    {"Wavorn", "waveform"},                                         // audio editor
    {"Chalkrey", "scribble.variable"},                              // whiteboard
    {"Rulmet", "ruler.fill"},                                       // design ruler
    {"Tintoral", "photo.fill"},                                     // photo editor
    {"Callowin", "paperplane.fill"},                                // API client
    {"Sornwell", "music.note.list"},
    {"Termund", "terminal.fill"},                                   // terminal
    {"Blintar", "slider.horizontal.3"},
    {"Tolvane", "brain.head.profile"},
    {"Flowick", "flowchart.fill"},                                  // workflow runner
    {"Seekmere", "magnifyingglass.circle.fill"},                    // search
    {"Bookelt", "bookmark.fill"},                                   // read-later
    {"Postrel", "envelope.open.fill"},                              // mail
    {"Tabrin", "cylinder.split.1x2.fill"},                          // database
    {"Hostrow", "server.rack"},                                     // local web server
    {"Lockmere", "key.horizontal.fill"},                            // password manager
    {"Cratholm", "shippingbox.fill"},                               // containers
    {"Branchet", "arrow.triangle.branch"},                          // Git
    {"Cellwyn", "tablecells.fill"},                                 // spreadsheet
    {"Hypervale", "pc"},                                            // virtual machines
    {"Tethren", "link.circle.fill"},                                // device link
    {"Phonrick", "candybarphone"},                                  // phone manager
    {"Diskarn", "externaldrive.fill"},                              // disk utility
    {"Salvetch", "lifepreserver.fill"},                             // data rescue
    {"Folderon", "folder.fill"},                                    // file manager
    {"Vaultrey", "clock.arrow.2.circlepath"},                       // backup
}};

const Row& row(QuorSuiteApp app)
{
    return kRows.at(static_cast<std::size_t>(app));
}

std::optional<quor::platform::WindowApplication> runningWindow(QuorSuiteApp app, const QuorSuiteWorkspace& workspace)
{
    if (!workspace.windows) {
        return std::nullopt;
    }
    const QString bundle = QuorSuiteApps::bundleIdentifier(app);
    const QString raw = QuorSuiteApps::rawValue(app);
    for (const quor::platform::WindowApplication& window : workspace.windows()) {
        if (window.bundleIdentifier().compare(bundle, Qt::CaseInsensitive) == 0) {
            return window;
        }
        for (const QString& name : window.windowClass()) {
            if (name.compare(raw, Qt::CaseInsensitive) == 0) {
                return window;
            }
        }
    }
    return std::nullopt;
}

bool hasRunningProcess(QuorSuiteApp app, const QuorSuiteWorkspace& workspace)
{
    if (!workspace.processes) {
        return false;
    }
    const QString raw = QuorSuiteApps::rawValue(app);
    for (const quor::platform::RunningProcess& process : workspace.processes()) {
        if (process.executableName.compare(raw, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

namespace QuorSuiteApps {

const QList<QuorSuiteApp>& allCases()
{
    static const QList<QuorSuiteApp> cases = [] {
        QList<QuorSuiteApp> list;
        for (int i = 0; i < caseCount; ++i) {
            list.append(static_cast<QuorSuiteApp>(i));
        }
        return list;
    }();
    return cases;
}

QString rawValue(QuorSuiteApp app)
{
    return QString::fromLatin1(row(app).rawValue);
}

QString id(QuorSuiteApp app)
{
    return rawValue(app);
}

std::optional<QuorSuiteApp> fromRawValue(const QString& raw)
{
    for (const QuorSuiteApp app : allCases()) {
        if (rawValue(app) == raw) {
            return app;
        }
    }
    return std::nullopt;
}

QString bundleIdentifier(QuorSuiteApp app)
{
    return QStringLiteral("com.tallowmer.") + rawValue(app).toLower();
}

QString symbolName(QuorSuiteApp app)
{
    return QString::fromLatin1(row(app).symbolName);
}

QJsonValue toJson(QuorSuiteApp app)
{
    return rawValue(app);
}

QuorSuiteApp fromJson(const QJsonValue& value)
{
    const QString raw = QuorJson::stringValue(value, QStringLiteral("suite application"));
    const std::optional<QuorSuiteApp> app = fromRawValue(raw);
    if (!app) {
        throw QuorDecodingError(QStringLiteral("\"%1\" is no suite application").arg(raw));
    }
    return *app;
}

QString suiteDirectory()
{
    return QuorPaths::tallowmerDirectory() + QStringLiteral("/SuiteTelemetry");
}

std::optional<QString> installedURL(QuorSuiteApp app, const QuorSuiteWorkspace& workspace)
{
    return quor::platform::DesktopEntry::find(bundleIdentifier(app), workspace.applicationFolders);
}

bool isInstalled(QuorSuiteApp app, const QuorSuiteWorkspace& workspace)
{
    return installedURL(app, workspace).has_value();
}

bool isRunning(QuorSuiteApp app, const QuorSuiteWorkspace& workspace)
{
    return runningWindow(app, workspace).has_value() || hasRunningProcess(app, workspace);
}

bool launch(QuorSuiteApp app, const QuorSuiteWorkspace& workspace)
{
    if (const auto window = runningWindow(app, workspace)) {
        // A window the window manager would not bring forward is a failed launch, not a done one.
        return !workspace.activate || workspace.activate(*window);
    }
    // A running process without a window of its own has nothing to bring forward.
    if (hasRunningProcess(app, workspace)) {
        return true;
    }
    return open(app, workspace);
}

QString notInstalledText(QuorSuiteApp app, QuorLanguage language)
{
    const QString name = rawValue(app);
    return quorText(name + QStringLiteral(" is not installed"), name + QStringLiteral(" kurulu değil"), {}, language);
}

bool open(QuorSuiteApp app, const QuorSuiteWorkspace& workspace)
{
    constexpr qint64 maxEntryBytes = 64 * 1024;
    const std::optional<QString> entry = installedURL(app, workspace);
    if (!entry || !workspace.start) {
        return false;
    }
    // Installed entries are often links into a package's folder, so this file is read through them.
    QFile file(*entry);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const std::optional<QStringList> arguments = quor::platform::DesktopEntry::execArguments(file.read(maxEntryBytes));
    if (!arguments) {
        return false;
    }
    return workspace.start(arguments->first(), arguments->mid(1));
}

} // namespace QuorSuiteApps
