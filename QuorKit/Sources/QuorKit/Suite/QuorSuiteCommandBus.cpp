#include "QuorKit/Suite/QuorSuiteCommandBus.h"

#include "QuorKit/Suite/QuorSuiteFolder.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QUuid>

#include <cstdio>

namespace {
constexpr int startupCollectionDelayMs = 350;
} // namespace

QuorSuiteCommandBus::QuorSuiteCommandBus(const std::optional<QString>& baseDirectory,
                                         QuorDistributedNotificationCenter* notifications, QObject* parent)
    : QObject(parent),
      m_commandsDirectory(baseDirectory.value_or(QuorSuiteApps::suiteDirectory()) + QStringLiteral("/Commands")),
      m_notifications(notifications != nullptr ? notifications : &QuorDistributedNotificationCenter::defaultCenter())
{
}

QuorSuiteCommandBus& QuorSuiteCommandBus::shared()
{
    static QuorSuiteCommandBus* const bus = new QuorSuiteCommandBus(); // lives for the process
    return *bus;
}

QString QuorSuiteCommandBus::notificationName(QuorSuiteApp target)
{
    return QStringLiteral("com.tallowmer.suite.command.") + QuorSuiteApps::rawValue(target).toLower();
}

QString QuorSuiteCommandBus::pendingCommandPath(QuorSuiteApp target) const
{
    return m_commandsDirectory + QLatin1Char('/') + QuorSuiteApps::rawValue(target).toLower() + QStringLiteral("-cmd.json");
}

bool QuorSuiteCommandBus::send(QuorSuiteCommandKind kind, QuorSuiteApp from, QuorSuiteApp to,
                               std::optional<qint32> targetPID, const std::optional<QString>& targetName,
                               const std::optional<QString>& payload, bool launchIfNeeded, bool bringToFront,
                               const QuorSuiteWorkspace& workspace)
{
    if (targetPID && *targetPID < 2) {
        return false;
    }
    const bool running = QuorSuiteApps::isRunning(to, workspace);
    if (!running && !(launchIfNeeded && QuorSuiteApps::isInstalled(to, workspace))) {
        return false;
    }
    const QuorSuiteCommandEnvelope envelope{QUuid::createUuid(), QDateTime::currentDateTimeUtc(), from, to, kind,
                                            targetPID, targetName, payload};
    if (!enqueue(envelope)) {
        return false;
    }
    if (running) {
        m_notifications->post(notificationName(to));
        if (bringToFront) {
            QuorSuiteApps::launch(to, workspace);
        }
        return true;
    }
    // The started application collects the command file shortly after its start.
    return QuorSuiteApps::open(to, workspace);
}

bool QuorSuiteCommandBus::enqueue(const QuorSuiteCommandEnvelope& envelope) const
{
    return QuorSuiteFolder::write(pendingCommandPath(envelope.targetApp), QuorJson::compact(envelope.toJson()));
}

std::optional<QuorSuiteCommandEnvelope> QuorSuiteCommandBus::accepted(const QByteArray& bytes, QuorSuiteApp target,
                                                                      const QDateTime& now, double maxAgeSeconds) const
{
    try {
        const QuorSuiteCommandEnvelope envelope = QuorSuiteCommandEnvelope::fromJson(QuorJson::parseObject(bytes));
        const bool pidAllowed = !envelope.targetPID || *envelope.targetPID >= 2;
        if (envelope.targetApp == target && pidAllowed
            && QuorSuiteFolder::isWithinAge(envelope.timestamp, now, maxAgeSeconds)) {
            return envelope;
        }
    } catch (const QuorError&) {
        // Not a command: treated as absent.
    }
    return std::nullopt;
}

std::optional<QuorSuiteCommandEnvelope> QuorSuiteCommandBus::peekPendingCommand(QuorSuiteApp target,
                                                                                const QDateTime& now,
                                                                                double maxAgeSeconds) const
{
    const std::optional<QByteArray> bytes = QuorSuiteFolder::read(pendingCommandPath(target), maxCommandBytes);
    return bytes ? accepted(*bytes, target, now, maxAgeSeconds) : std::nullopt;
}

std::optional<QuorSuiteCommandEnvelope> QuorSuiteCommandBus::consumePendingCommand(QuorSuiteApp target,
                                                                                   const QDateTime& now,
                                                                                   double maxAgeSeconds) const
{
    const QString path = pendingCommandPath(target);
    const QString claim = m_commandsDirectory + QStringLiteral("/.") + QFileInfo(path).fileName()
        + QStringLiteral(".claim-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QByteArray claimNative = QFile::encodeName(claim);
    // Whoever renames the file owns that command; a newer one written afterwards keeps its name.
    if (std::rename(QFile::encodeName(path).constData(), claimNative.constData()) != 0) {
        return std::nullopt;
    }
    const std::optional<QByteArray> bytes = QuorSuiteFolder::read(claim, maxCommandBytes);
    std::remove(claimNative.constData());
    return bytes ? accepted(*bytes, target, now, maxAgeSeconds) : std::nullopt;
}

std::unique_ptr<QuorDistributedObserver> QuorSuiteCommandBus::startListening(
    QuorSuiteApp app, std::function<void(const QuorSuiteCommandEnvelope&)> handler)
{
    const QPointer<QuorSuiteCommandBus> bus(this);
    const auto collect = [bus, app, handler = std::move(handler)] {
        if (!bus) {
            return;
        }
        const auto command = bus->consumePendingCommand(app, QDateTime::currentDateTimeUtc(), listenerMaxAgeSeconds);
        if (command && handler) {
            handler(*command);
        }
    };
    auto observer = m_notifications->addObserver(notificationName(app), [collect](const QString&) { collect(); });
    QTimer::singleShot(startupCollectionDelayMs, this, collect);
    return observer;
}
