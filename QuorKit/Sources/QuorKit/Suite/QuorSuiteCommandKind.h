#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

// What one suite application may ask another to do. Each name begins with a short prefix for its
// target application followed by the action; the raw value is the case name, and other processes
// rely on it.
enum class QuorSuiteCommandKind {
    // Vaskel
    ramSmartOffload, ramBalancedOffload, ramThawAll, ramFreezePID, ramOpenDiskLab, ramOpenAppFreezer, ramToggleHUD,
    // Drummet
    killAllFrozen, killOpenCrosshair, killToggleQuickHUD, killProcessTree, killInspectPID, killOpenAnalytics24h,
    killOpenStartup, killOpenPorts,
    // Kestrine
    pulseToggleHUD, pulseOpenMemoryDisk, pulseOpenThermalsPower, pulseStartThermalBenchmark,
    // Voltanne
    chargeToggleLimit,
    // Brimmet
    notchToggleShelf,
    // Ferrowin
    beamOpenDropZone,
    // Snarrow
    proxyToggleCapture,
    // Veilmere
    veilToggleConnection, veilNewIdentity,
    // Siftrel
    dnsToggleFilter, dnsPauseHour,
    // Reelby
    playerOpenQueue,
    // Scrivelle
    dictateToggleRecording,
    // Wavorn
    waveOpenRecorder,
    // Chalkrey
    boardNewCanvas,
    // Rulmet
    rulerToggleOverlay,
    // Callowin
    apiOpenRequest,
    // Flowick
    flowRunLast,
    // Seekmere
    findOpenSearch,
    // Bookelt
    readSaveClipboard,
    // Sornwell
    musicTogglePlayPause, musicNextTrack, musicPreviousTrack, musicSetVolume,
    // Tethren
    linkOpenDevices,
    // Blintar
    mixerToggleAppMute, mixerMuteAllActive, mixerUnmuteAll,
    // Tolvane
    mindAskPrompt, mindIndexFolder, mindToggleQuickBar,
    // Bulwarne
    wallToggleFilter, wallBlockApp, wallAllowApp, wallOpenConnections, wallOpenRules, wallToggleSilentMode,
    // Tunnick
    vpnConnect, vpnDisconnect, vpnToggleConnection, vpnSwitchServer, vpnToggleKillSwitch, vpnOpenLocations,
    vpnOpenStatus,
    // Tintoral
    photoOpenEditor, photoImportClipboard, photoAutoEnhance, photoExportLast,
    // Postrel
    mailCompose, mailCheckNow, mailOpenInbox,
    // Tabrin
    dbOpenConnection, dbRunQuery, dbOpenHistory,
    // Hostrow
    serveStartAll, serveStopAll, serveRestartSite, serveOpenSites, serveOpenLogs,
    // Lockmere
    vaultLock, vaultUnlock, vaultOpenQuickSearch, vaultGeneratePassword, vaultOpenAudit,
    // Cratholm
    crateStartContainer, crateStopContainer, crateRestartContainer, crateOpenLogs, crateOpenDashboard,
    // Branchet
    gitOpenRepository, gitFetchAll, gitPullCurrent, gitOpenChanges,
    // Cellwyn
    sheetNewWorkbook, sheetOpenRecent, sheetImportCSV,
    // Hypervale
    vmStartMachine, vmStopMachine, vmPauseMachine, vmTakeSnapshot, vmOpenLibrary,
    // Phonrick
    phoneOpenDevice, phoneBackupNow, phoneImportPhotos, phoneOpenFiles,
    // Diskarn
    diskOpenOverview, diskMountImage, diskEjectAll, diskVerifyVolume, diskOpenPartitions,
    // Salvetch
    rescueStartScan, rescueStopScan, rescueOpenResults, rescueOpenDevices,
    // Folderon
    filesOpenWindow, filesNewTab, filesRevealPath, filesOpenDualPane, filesToggleHidden, filesOpenTerminalHere,
    // Vaultrey
    backupRunNow, backupPause, backupResume, backupOpenSnapshots, backupOpenSettings,
    // Ardenwick
    focusStartTaskSession, focusOpenMiniHUD, focusTogglePause, focusStopSession, focusAddFiveMinutes,
    focusCompleteSession, focusToggleHUD, focusToggleShield, focusToggleAmbient, focusUndockFromTask,
    focusSyncProjectRules,
    // Pellory
    taskOpenQuickCapture, taskOpenMiniCompanion, taskDockFocusHUD, taskSelectTask, taskCompleteTask,
    taskRefreshFromFocus, taskOpenToday,
};

namespace QuorSuiteCommandKinds {

inline constexpr int caseCount = 139;

const QList<QuorSuiteCommandKind>& allCases();
QString rawValue(QuorSuiteCommandKind kind);
// Exact, case-sensitive match on the raw value.
std::optional<QuorSuiteCommandKind> fromRawValue(const QString& raw);

QJsonValue toJson(QuorSuiteCommandKind kind);
// Throws QuorDecodingError for anything but a raw value string.
QuorSuiteCommandKind fromJson(const QJsonValue& value);

} // namespace QuorSuiteCommandKinds
