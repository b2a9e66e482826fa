#include "QuorKit/Suite/QuorSuiteTelemetryBus.h"

#include "QuorKit/Suite/QuorSuiteFolder.h"
#include "QuorKit/Suite/QuorSuiteRecordCoding.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
constexpr double dropOverlapShare = 0.22;

const QList<QuorSuiteApp>& statusPublishers()
{
    static const QList<QuorSuiteApp> publishers{QuorSuiteApp::vaskel,  QuorSuiteApp::kestrine, QuorSuiteApp::drummet,
                                                QuorSuiteApp::blintar, QuorSuiteApp::sornwell, QuorSuiteApp::ardenwick,
                                                QuorSuiteApp::pellory};
    return publishers;
}

template <typename Record>
std::optional<Record> decodeFresh(const std::optional<QByteArray>& bytes, const QDateTime& now, double maxAgeSeconds)
{
    if (!bytes) {
        return std::nullopt;
    }
    try {
        const Record record = Record::fromJson(QuorJson::parseObject(*bytes));
        if (record.isFresh(now, maxAgeSeconds)) {
            return record;
        }
    } catch (const QuorError&) {
        // A file that does not decode counts as absent.
    }
    return std::nullopt;
}

// A record as its publisher builds it: the construction rules applied, whatever the caller filled in.
template <typename Record>
Record publishable(const Record& record)
{
    if constexpr (requires { record.normalized(); }) {
        return record.normalized();
    } else {
        return record;
    }
}

PelloryLiveStatus publishable(const PelloryLiveStatus& status)
{
    PelloryLiveStatus built = status.normalized();
    for (std::optional<QuorScreenRect>* frame : {&built.miniPanelFrame, &built.studioWindowFrame}) {
        if (*frame) {
            **frame = (*frame)->normalized();
        }
    }
    return built;
}

// A record with a number JSON cannot hold is not written: readers keep the previous file until it
// ages out, instead of a file that no longer decodes.
template <typename Record>
bool writeRecord(const QString& path, const Record& record)
{
    const std::optional<QByteArray> bytes = QuorSuiteRecordCoding::encode(publishable(record).toJson());
    if (bytes) {
        QuorSuiteFolder::write(path, *bytes);
    }
    return bytes.has_value();
}

bool isDockable(const QRectF& rect)
{
    return rect.width() > 1 && rect.height() > 1;
}

bool hits(const QRectF& dragged, const QRectF& target)
{
    if (!isDockable(dragged) || !isDockable(target)) {
        return false;
    }
    if (target.contains(dragged.center())) {
        return true;
    }
    const QRectF overlap = dragged.intersected(target);
    return !overlap.isEmpty()
        && (overlap.width() * overlap.height()) / (dragged.width() * dragged.height()) >= dropOverlapShare;
}
} // namespace

QuorSuiteTelemetryBus::QuorSuiteTelemetryBus(const std::optional<QString>& baseDirectory,
                                             QuorDistributedNotificationCenter* notifications)
    : m_baseDirectory(baseDirectory.value_or(QuorSuiteApps::suiteDirectory())),
      m_notifications(notifications != nullptr ? notifications : &QuorDistributedNotificationCenter::defaultCenter())
{
}

QuorSuiteTelemetryBus& QuorSuiteTelemetryBus::shared()
{
    static QuorSuiteTelemetryBus* const bus = new QuorSuiteTelemetryBus(); // lives for the process
    return *bus;
}

QString QuorSuiteTelemetryBus::liveTilesDirectory() const
{
    return m_baseDirectory + QStringLiteral("/LiveTiles");
}

std::optional<QString> QuorSuiteTelemetryBus::statusPath(QuorSuiteApp app) const
{
    if (!statusPublishers().contains(app)) {
        return std::nullopt;
    }
    return m_baseDirectory + QLatin1Char('/') + QuorSuiteApps::rawValue(app).toLower() + QStringLiteral("-live.json");
}

template <typename Record>
void QuorSuiteTelemetryBus::publish(QuorSuiteApp publisher, const Record& record) const
{
    writeRecord(*statusPath(publisher), record);
}

template <typename Record>
std::optional<Record> QuorSuiteTelemetryBus::read(QuorSuiteApp publisher, const QDateTime& now,
                                                  double maxAgeSeconds) const
{
    return decodeFresh<Record>(QuorSuiteFolder::read(*statusPath(publisher)), now, maxAgeSeconds);
}

void QuorSuiteTelemetryBus::announce(bool notifyPeers) const
{
    if (notifyPeers) {
        m_notifications->post(telemetryUpdatedNotification);
    }
}

void QuorSuiteTelemetryBus::publishRAMStatus(const VaskelLiveStatus& status, bool notifyPeers) const
{
    publish(QuorSuiteApp::vaskel, status);
    announce(notifyPeers);
}

void QuorSuiteTelemetryBus::publishMixerStatus(const BlintarLiveStatus& status, bool notifyPeers) const
{
    publish(QuorSuiteApp::blintar, status);
    announce(notifyPeers);
}

void QuorSuiteTelemetryBus::publishMusicStatus(const SornwellLiveStatus& status, bool notifyPeers) const
{
    publish(QuorSuiteApp::sornwell, status);
    announce(notifyPeers);
}

void QuorSuiteTelemetryBus::publishFocusStatus(const ArdenwickLiveStatus& status, bool notifyPeers) const
{
    publish(QuorSuiteApp::ardenwick, status);
    announce(notifyPeers);
}

void QuorSuiteTelemetryBus::publishTaskStatus(const PelloryLiveStatus& status, bool notifyPeers) const
{
    publish(QuorSuiteApp::pellory, status);
    announce(notifyPeers);
}

void QuorSuiteTelemetryBus::publishPulseStatus(const KestrineLiveStatus& status) const
{
    publish(QuorSuiteApp::kestrine, status);
}

void QuorSuiteTelemetryBus::publishKillStatus(const DrummetLiveStatus& status) const
{
    publish(QuorSuiteApp::drummet, status);
}

std::optional<VaskelLiveStatus> QuorSuiteTelemetryBus::readRAMStatus(const QDateTime& now, double maxAgeSeconds) const
{
    return read<VaskelLiveStatus>(QuorSuiteApp::vaskel, now, maxAgeSeconds);
}

std::optional<KestrineLiveStatus> QuorSuiteTelemetryBus::readPulseStatus(const QDateTime& now,
                                                                         double maxAgeSeconds) const
{
    return read<KestrineLiveStatus>(QuorSuiteApp::kestrine, now, maxAgeSeconds);
}

std::optional<DrummetLiveStatus> QuorSuiteTelemetryBus::readKillStatus(const QDateTime& now, double maxAgeSeconds) const
{
    return read<DrummetLiveStatus>(QuorSuiteApp::drummet, now, maxAgeSeconds);
}

std::optional<BlintarLiveStatus> QuorSuiteTelemetryBus::readMixerStatus(const QDateTime& now,
                                                                        double maxAgeSeconds) const
{
    return read<BlintarLiveStatus>(QuorSuiteApp::blintar, now, maxAgeSeconds);
}

std::optional<SornwellLiveStatus> QuorSuiteTelemetryBus::readMusicStatus(const QDateTime& now,
                                                                         double maxAgeSeconds) const
{
    return read<SornwellLiveStatus>(QuorSuiteApp::sornwell, now, maxAgeSeconds);
}

std::optional<ArdenwickLiveStatus> QuorSuiteTelemetryBus::readFocusStatus(const QDateTime& now,
                                                                          double maxAgeSeconds) const
{
    return read<ArdenwickLiveStatus>(QuorSuiteApp::ardenwick, now, maxAgeSeconds);
}

std::optional<PelloryLiveStatus> QuorSuiteTelemetryBus::readTaskStatus(const QDateTime& now, double maxAgeSeconds) const
{
    return read<PelloryLiveStatus>(QuorSuiteApp::pellory, now, maxAgeSeconds);
}

void QuorSuiteTelemetryBus::clearStatus(QuorSuiteApp app) const
{
    if (const std::optional<QString> path = statusPath(app)) {
        QFile::remove(*path);
    }
}

void QuorSuiteTelemetryBus::publishLiveTile(const QuorLiveActivityTile& tile, bool notifyPeers) const
{
    const QString path = liveTilesDirectory() + QLatin1Char('/') + QuorSuiteApps::rawValue(tile.app).toLower()
        + QStringLiteral(".json");
    if (writeRecord(path, tile)) {
        announce(notifyPeers);
    }
}

void QuorSuiteTelemetryBus::clearLiveTile(QuorSuiteApp app) const
{
    QFile::remove(liveTilesDirectory() + QLatin1Char('/') + QuorSuiteApps::rawValue(app).toLower()
                  + QStringLiteral(".json"));
}

QList<QuorLiveActivityTile> QuorSuiteTelemetryBus::readLiveTiles(const QDateTime& now, double maxAgeSeconds) const
{
    const QDir folder(liveTilesDirectory());
    QList<QuorLiveActivityTile> tiles;
    int read = 0;
    for (const QString& name : folder.entryList(QDir::Files, QDir::Unsorted)) {
        if (QFileInfo(name).suffix().toLower() != QStringLiteral("json")) {
            continue;
        }
        if (++read > maxLiveTiles) {
            break;
        }
        const auto tile = decodeFresh<QuorLiveActivityTile>(
            QuorSuiteFolder::read(folder.filePath(name), maxTileBytes), now, maxAgeSeconds);
        if (tile) {
            tiles.append(*tile);
        }
    }
    std::stable_sort(tiles.begin(), tiles.end(), [](const QuorLiveActivityTile& a, const QuorLiveActivityTile& b) {
        if (a.priority != b.priority) {
            return a.priority > b.priority;
        }
        return a.timestamp > b.timestamp;
    });
    return tiles;
}

std::unique_ptr<QuorDistributedObserver> QuorSuiteTelemetryBus::observeTelemetryUpdates(
    std::function<void()> handler) const
{
    return m_notifications->addObserver(telemetryUpdatedNotification,
                                        [handler = std::move(handler)](const QString&) { handler(); });
}

std::unique_ptr<QuorDistributedObserver> QuorSuiteTelemetryBus::observeFocusDockHover(
    std::function<void(const std::optional<QString>&)> handler) const
{
    return m_notifications->addObserver(focusDockHoverNotification,
                                        [handler = std::move(handler)](const QString& object) {
                                            const bool known = object == QStringLiteral("mini")
                                                || object == QStringLiteral("studio");
                                            handler(known ? std::optional<QString>(object) : std::nullopt);
                                        });
}

void QuorSuiteTelemetryBus::postFocusDockHoverTarget(const std::optional<QString>& target) const
{
    m_notifications->post(focusDockHoverNotification, target.value_or(QStringLiteral("none")));
}

std::optional<QString> QuorSuiteTelemetryBus::detectDockDropTarget(const QRectF& draggedFrame,
                                                                   const std::optional<QRectF>& miniTarget,
                                                                   const std::optional<QRectF>& studioTarget)
{
    if (miniTarget && hits(draggedFrame, *miniTarget)) {
        return QStringLiteral("mini");
    }
    if (studioTarget && hits(draggedFrame, *studioTarget)) {
        return QStringLiteral("studio");
    }
    return std::nullopt;
}

bool QuorSuiteTelemetryBus::isPIDAlive(qint32 pid)
{
    return QuorSuiteFolder::isProcessAlive(pid);
}

QuorVirtualMemorySummary QuorSuiteTelemetryBus::readVirtualMemorySummary(const QDateTime& now,
                                                                       const QuorVirtualMemoryReader& reader) const
{
    return reader.read(readRAMStatus(now, summaryStatusMaxAgeSeconds));
}
