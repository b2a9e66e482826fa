#include "QuorKit/Suite/QuorSuiteCommandBus.h"

#include "QuorKit/Localization/QuorLocalization.h"
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

QuorSuiteCommandBus::Delivery QuorSuiteCommandBus::deliver(QuorSuiteCommandKind kind, QuorSuiteApp from, QuorSuiteApp to,
                                                           std::optional<qint32> targetPID,
                                                           const std::optional<QString>& targetName,
                                                           const std::optional<QString>& payload, bool launchIfNeeded,
                                                           bool bringToFront, const QuorSuiteWorkspace& workspace)
{
    if (targetPID && *targetPID < 2) {
        return Delivery::invalidProcess;
    }
    const bool running = QuorSuiteApps::isRunning(to, workspace);
    if (!running && !(launchIfNeeded && QuorSuiteApps::isInstalled(to, workspace))) {
        return Delivery::notInstalled;
    }
    const QuorSuiteCommandEnvelope envelope{QUuid::createUuid(), QDateTime::currentDateTimeUtc(), from, to, kind,
                                            targetPID, targetName, payload};
    if (!enqueue(envelope)) {
        return Delivery::notWritten;
    }
    if (running) {
        // Without its wake-up a running target never looks at the file.
        if (!m_notifications->post(notificationName(to))) {
            return Delivery::notSignalled;
        }
        if (bringToFront && !QuorSuiteApps::launch(to, workspace)) {
            return Delivery::notBroughtForward;
        }
        return Delivery::delivered;
    }
    // The started application collects the command file shortly after its start.
    return QuorSuiteApps::open(to, workspace) ? Delivery::delivered : Delivery::notStarted;
}

bool QuorSuiteCommandBus::send(QuorSuiteCommandKind kind, QuorSuiteApp from, QuorSuiteApp to,
                               std::optional<qint32> targetPID, const std::optional<QString>& targetName,
                               const std::optional<QString>& payload, bool launchIfNeeded, bool bringToFront,
                               const QuorSuiteWorkspace& workspace)
{
    return deliver(kind, from, to, targetPID, targetName, payload, launchIfNeeded, bringToFront, workspace)
        == Delivery::delivered;
}

QString QuorSuiteCommandBus::failureText(Delivery delivery, QuorSuiteApp target, QuorLanguage language)
{
    const QString name = QuorSuiteApps::rawValue(target);
    const auto text = [&](const QString& en, const QString& tr) { return quorText(en.arg(name), tr.arg(name), {}, language); };
    switch (delivery) {
    case Delivery::delivered:
        return {};
    case Delivery::invalidProcess:
        return text(QStringLiteral("The command for %1 names no valid process"),
                    QStringLiteral("%1 için komut geçerli bir işlem belirtmiyor"));
    case Delivery::notInstalled:
        return QuorSuiteApps::notInstalledText(target, language);
    case Delivery::notWritten:
        return text(QStringLiteral("The command for %1 could not be written"), QStringLiteral("%1 için komut yazılamadı"));
    case Delivery::notSignalled:
        return text(QStringLiteral("%1 could not be reached"), QStringLiteral("%1 uygulamasına ulaşılamadı"));
    case Delivery::notBroughtForward:
        return text(QStringLiteral("%1 got the command but could not be brought to the front"),
                    QStringLiteral("%1 komutu aldı ancak öne getirilemedi"));
    case Delivery::notStarted:
        return text(QStringLiteral("%1 could not be started"), QStringLiteral("%1 başlatılamadı"));
    }
    return {};
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
    // Bound to the observer: dropping it before the delay is up cancels the collection.
    QTimer::singleShot(startupCollectionDelayMs, observer.get(), collect);
    return observer;
}
