#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

class QuorBundle;

// The suite's applications, in their fixed order: rows 0-26 productivity tools, 27-42 media tools,
// 43-74 system and network tools. Each row owns one emblem drawing. Row 14 is this program.
enum class QuorAppIdentity {
    // Productivity.
    quorNotes, tallyPad, inkwell, mindLoom, pageCraft, stackly, quorPlan, quorTasks, quorFocus, quorClip,
    quorDraft, quorMail, quorRead, quorDocs, quorZub, quorSheet, quorCalc, quorCards, quorShelf, quorPdf,
    quorKeys, quorSnips, quorJournal, quorClock, quorForms, quorLinks, quorScan,
    // Media.
    quorCamera, quorTunes, quorRadio, quorPlayer, quorMixer, quorVoice, quorPhoto, quorScript, quorSketch,
    quorRuler, quorFrame, quorPodcast, quorWave, quorStudio, quorColor, quorCast,
    // System and network.
    quorMonitor, quorMemory, quorCleaner, quorAwake, quorBattery, quorNotch, quorTweaks, quorNetworkScope,
    quorBeam, quorTorrent, quorFetch, quorProxy, quorOnion, quorDns, quorWall, quorVpn, quorApi, quorShell,
    quorFlow, quorFind, quorBase, quorVault, quorBoxes, quorGit, quorVirt, quorLink, quorPhone, quorDisk,
    quorRescue, quorFiles, quorGuard, quorBackup,
};

namespace QuorAppIdentities {

// The network scope's earlier product name.
inline constexpr QuorAppIdentity quorNetLens = QuorAppIdentity::quorNetworkScope;

const QList<QuorAppIdentity>& allCases();
int index(QuorAppIdentity app);
// The case name lower-cased: "quorzub".
QString rawValue(QuorAppIdentity app);
QString id(QuorAppIdentity app);
// Exact, case-sensitive raw id; nothing for any other string.
std::optional<QuorAppIdentity> fromRawValue(const QString& raw);

// The row a bundle identifier, application name or display name stands for: the last non-empty
// dot piece, lower-cased, stripped to letters, marks and digits, then an older product name or a
// raw id. "com.tallowmer.quorzub", "Quor Zub" and "QUOR_ZUB" all give quorZub.
std::optional<QuorAppIdentity> resolve(const QString& name);

// The running process: its bundle identifier, display name, name, then the process name.
std::optional<QuorAppIdentity> current();
std::optional<QuorAppIdentity> current(const QuorBundle& bundle, const QString& processName);

QJsonValue toJson(QuorAppIdentity app);
// Throws QuorDecodingError for a string that is no raw id.
QuorAppIdentity fromJson(const QJsonValue& value);

} // namespace QuorAppIdentities
