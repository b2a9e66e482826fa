#include "QuorKit/Suite/QuorSuiteCommandKind.h"

#include "QuorKit/Utilities/QuorJson.h"

#include <QHash>

#include <array>

namespace {

// In declaration order.
constexpr std::array<const char*, QuorSuiteCommandKinds::caseCount> kRawValues{
    "ramSmartOffload", "ramBalancedOffload", "ramThawAll", "ramFreezePID", "ramOpenDiskLab", "ramOpenAppFreezer",
    "ramToggleHUD", "killAllFrozen", "killOpenCrosshair", "killToggleQuickHUD", "killProcessTree", "killInspectPID",
    "killOpenAnalytics24h", "killOpenStartup", "killOpenPorts", "pulseToggleHUD", "pulseOpenMemoryDisk",
    "pulseOpenThermalsPower", "pulseStartThermalBenchmark", "chargeToggleLimit", "notchToggleShelf",
    "beamOpenDropZone", "proxyToggleCapture", "veilToggleConnection", "veilNewIdentity", "dnsToggleFilter",
    "dnsPauseHour", "playerOpenQueue", "dictateToggleRecording", "waveOpenRecorder", "boardNewCanvas",
    "rulerToggleOverlay", "apiOpenRequest", "flowRunLast", "findOpenSearch", "readSaveClipboard",
    "musicTogglePlayPause", "musicNextTrack", "musicPreviousTrack", "musicSetVolume", "linkOpenDevices",
    "mixerToggleAppMute", "mixerMuteAllActive", "mixerUnmuteAll", "mindAskPrompt", "mindIndexFolder",
    "mindToggleQuickBar", "wallToggleFilter", "wallBlockApp", "wallAllowApp", "wallOpenConnections",
    "wallOpenRules", "wallToggleSilentMode", "vpnConnect", "vpnDisconnect", "vpnToggleConnection",
    "vpnSwitchServer", "vpnToggleKillSwitch", "vpnOpenLocations", "vpnOpenStatus", "photoOpenEditor",
    "photoImportClipboard", "photoAutoEnhance", "photoExportLast", "mailCompose", "mailCheckNow", "mailOpenInbox",
    "dbOpenConnection", "dbRunQuery", "dbOpenHistory", "serveStartAll", "serveStopAll", "serveRestartSite",
    "serveOpenSites", "serveOpenLogs", "vaultLock", "vaultUnlock", "vaultOpenQuickSearch", "vaultGeneratePassword",
    "vaultOpenAudit", "crateStartContainer", "crateStopContainer", "crateRestartContainer", "crateOpenLogs",
    "crateOpenDashboard", "gitOpenRepository", "gitFetchAll", "gitPullCurrent", "gitOpenChanges",
    "sheetNewWorkbook", "sheetOpenRecent", "sheetImportCSV", "vmStartMachine", "vmStopMachine", "vmPauseMachine",
    "vmTakeSnapshot", "vmOpenLibrary", "phoneOpenDevice", "phoneBackupNow", "phoneImportPhotos", "phoneOpenFiles",
    "diskOpenOverview", "diskMountImage", "diskEjectAll", "diskVerifyVolume", "diskOpenPartitions",
    "rescueStartScan", "rescueStopScan", "rescueOpenResults", "rescueOpenDevices", "filesOpenWindow", "filesNewTab",
    "filesRevealPath", "filesOpenDualPane", "filesToggleHidden", "filesOpenTerminalHere", "backupRunNow",
    "backupPause", "backupResume", "backupOpenSnapshots", "backupOpenSettings", "focusStartTaskSession",
    "focusOpenMiniHUD", "focusTogglePause", "focusStopSession", "focusAddFiveMinutes", "focusCompleteSession",
    "focusToggleHUD", "focusToggleShield", "focusToggleAmbient", "focusUndockFromTask", "focusSyncProjectRules",
    "taskOpenQuickCapture", "taskOpenMiniCompanion", "taskDockFocusHUD", "taskSelectTask", "taskCompleteTask",
    "taskRefreshFromFocus", "taskOpenToday",
};

const QHash<QString, QuorSuiteCommandKind>& byRawValue()
{
    static const QHash<QString, QuorSuiteCommandKind> table = [] {
        QHash<QString, QuorSuiteCommandKind> kinds;
        for (const QuorSuiteCommandKind kind : QuorSuiteCommandKinds::allCases()) {
            kinds.insert(QuorSuiteCommandKinds::rawValue(kind), kind);
        }
        return kinds;
    }();
    return table;
}

} // namespace

namespace QuorSuiteCommandKinds {

const QList<QuorSuiteCommandKind>& allCases()
{
    static const QList<QuorSuiteCommandKind> cases = [] {
        QList<QuorSuiteCommandKind> list;
        for (int i = 0; i < caseCount; ++i) {
            list.append(static_cast<QuorSuiteCommandKind>(i));
        }
        return list;
    }();
    return cases;
}

QString rawValue(QuorSuiteCommandKind kind)
{
    return QString::fromLatin1(kRawValues.at(static_cast<std::size_t>(kind)));
}

std::optional<QuorSuiteCommandKind> fromRawValue(const QString& raw)
{
    const auto found = byRawValue().constFind(raw);
    if (found == byRawValue().constEnd()) {
        return std::nullopt;
    }
    return *found;
}

QJsonValue toJson(QuorSuiteCommandKind kind)
{
    return rawValue(kind);
}

QuorSuiteCommandKind fromJson(const QJsonValue& value)
{
    const QString raw = QuorJson::stringValue(value, QStringLiteral("kind"));
    const std::optional<QuorSuiteCommandKind> kind = fromRawValue(raw);
    if (!kind) {
        throw QuorDecodingError(QStringLiteral("\"%1\" is no command kind").arg(raw));
    }
    return *kind;
}

} // namespace QuorSuiteCommandKinds
