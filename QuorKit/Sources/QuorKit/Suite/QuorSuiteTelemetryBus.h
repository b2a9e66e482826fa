#pragma once

#include "QuorKit/Suite/ArdenwickLiveStatus.h"
#include "QuorKit/Suite/BlintarLiveStatus.h"
#include "QuorKit/Suite/DrummetLiveStatus.h"
#include "QuorKit/Suite/KestrineLiveStatus.h"
#include "QuorKit/Suite/PelloryLiveStatus.h"
#include "QuorKit/Suite/QuorLiveActivityTile.h"
#include "QuorKit/Suite/QuorVirtualMemoryReader.h"
#include "QuorKit/Suite/SornwellLiveStatus.h"
#include "QuorKit/Suite/VaskelLiveStatus.h"
#include "QuorKit/System/QuorDistributedNotificationCenter.h"

#include <QDateTime>
#include <QList>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Live state between suite applications: seven siblings each publish one status file in the suite
// folder, any application may publish one live tile, and readers take a file only while it is
// fresh and its writer still runs. Publishing, reading and clearing never fail: problems read as
// absent. A record is published as its publisher builds it (its construction rules applied); one
// holding a number JSON cannot carry (not a number, infinity) is not written at all.
class QuorSuiteTelemetryBus {
public:
    static inline const QString telemetryUpdatedNotification = QStringLiteral("com.tallowmer.suite.telemetryUpdated");
    static inline const QString focusDockHoverNotification = QStringLiteral("com.tallowmer.suite.focusDockHover");
    // One tile per application is all a reader needs; a folder stuffed with more is not read on.
    static constexpr int maxLiveTiles = 64;
    static constexpr qint64 maxTileBytes = 64 * 1024;
    // How old the memory tool's status may be to enter a memory summary.
    static constexpr double summaryStatusMaxAgeSeconds = 18;

    // Without a base directory the suite folder; with one, that folder unchanged. Nothing is
    // created here.
    explicit QuorSuiteTelemetryBus(const std::optional<QString>& baseDirectory = std::nullopt,
                                   QuorDistributedNotificationCenter* notifications = nullptr);
    static QuorSuiteTelemetryBus& shared();

    QString baseDirectory() const { return m_baseDirectory; }
    QString liveTilesDirectory() const;
    // "<raw value lower-cased>-live.json" for the seven publishers of a status, else nothing.
    std::optional<QString> statusPath(QuorSuiteApp app) const;

    void publishRAMStatus(const VaskelLiveStatus& status, bool notifyPeers) const;
    void publishMixerStatus(const BlintarLiveStatus& status, bool notifyPeers) const;
    void publishMusicStatus(const SornwellLiveStatus& status, bool notifyPeers) const;
    void publishFocusStatus(const ArdenwickLiveStatus& status, bool notifyPeers) const;
    void publishTaskStatus(const PelloryLiveStatus& status, bool notifyPeers) const;
    // The monitor and the killer publish often and never announce it.
    void publishPulseStatus(const KestrineLiveStatus& status) const;
    void publishKillStatus(const DrummetLiveStatus& status) const;

    std::optional<VaskelLiveStatus> readRAMStatus(const QDateTime& now, double maxAgeSeconds) const;
    std::optional<KestrineLiveStatus> readPulseStatus(const QDateTime& now, double maxAgeSeconds) const;
    std::optional<DrummetLiveStatus> readKillStatus(const QDateTime& now, double maxAgeSeconds) const;
    std::optional<BlintarLiveStatus> readMixerStatus(const QDateTime& now, double maxAgeSeconds) const;
    std::optional<SornwellLiveStatus> readMusicStatus(const QDateTime& now, double maxAgeSeconds) const;
    std::optional<ArdenwickLiveStatus> readFocusStatus(const QDateTime& now, double maxAgeSeconds) const;
    std::optional<PelloryLiveStatus> readTaskStatus(const QDateTime& now, double maxAgeSeconds) const;

    // Removes that sibling's status file; nothing for an application that publishes none.
    void clearStatus(QuorSuiteApp app) const;

    // A tile that is not written is not announced either.
    void publishLiveTile(const QuorLiveActivityTile& tile, bool notifyPeers) const;
    void clearLiveTile(QuorSuiteApp app) const;
    // The fresh tiles, higher priority first, then the later one; otherwise in folder order.
    QList<QuorLiveActivityTile> readLiveTiles(const QDateTime& now, double maxAgeSeconds) const;

    // Handlers run on the calling thread's event loop; observing ends when the observer is dropped.
    std::unique_ptr<QuorDistributedObserver> observeTelemetryUpdates(std::function<void()> handler) const;
    // Passes "mini" or "studio", or nothing for any other target.
    std::unique_ptr<QuorDistributedObserver> observeFocusDockHover(
        std::function<void(const std::optional<QString>&)> handler) const;
    // Posts the hovered docking target, "none" for none.
    void postFocusDockHoverTarget(const std::optional<QString>& target) const;

    // Which docking target a dragged panel falls on: "mini" before "studio", nothing for neither.
    // A target is hit by the dragged frame's centre or by an overlap of at least 22 % of the frame.
    static std::optional<QString> detectDockDropTarget(const QRectF& draggedFrame,
                                                       const std::optional<QRectF>& miniTarget,
                                                       const std::optional<QRectF>& studioTarget);

    static bool isPIDAlive(qint32 pid);

    // The machine's memory now, with the memory tool's status when it is fresh. Reads /proc, /sys
    // and mounted volumes: hosts call it off the GUI thread.
    QuorVirtualMemorySummary readVirtualMemorySummary(
        const QDateTime& now, const QuorVirtualMemoryReader& reader = QuorVirtualMemoryReader::system()) const;

private:
    template <typename Record>
    void publish(QuorSuiteApp publisher, const Record& record) const;
    template <typename Record>
    std::optional<Record> read(QuorSuiteApp publisher, const QDateTime& now, double maxAgeSeconds) const;
    void announce(bool notifyPeers) const;

    QString m_baseDirectory;
    QuorDistributedNotificationCenter* m_notifications;
};
