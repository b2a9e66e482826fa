#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Suite/QuorSuiteCommandEnvelope.h"
#include "QuorKit/System/QuorDistributedNotificationCenter.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Commands between suite applications. Each target has at most one pending command, a file in the
// suite folder's "Commands" directory; a running target is woken by a distributed notification, a
// stopped one is started and collects the file shortly after its start.
class QuorSuiteCommandBus : public QObject {
    Q_OBJECT
public:
    // How old a pending command may be when a listener collects it.
    static constexpr double listenerMaxAgeSeconds = 25;
    // Command files are a few hundred bytes; anything much larger is not a command.
    static constexpr qint64 maxCommandBytes = 64 * 1024;

    // Without a base directory the "Commands" folder of the suite folder; with one, the "Commands"
    // folder inside it. Nothing is created here.
    explicit QuorSuiteCommandBus(const std::optional<QString>& baseDirectory = std::nullopt,
                                 QuorDistributedNotificationCenter* notifications = nullptr,
                                 QObject* parent = nullptr);
    static QuorSuiteCommandBus& shared();

    // "com.tallowmer.suite.command." + the target's raw value lower-cased.
    static QString notificationName(QuorSuiteApp target);
    QString commandsDirectory() const { return m_commandsDirectory; }
    // "<raw value lower-cased>-cmd.json" in the commands folder.
    QString pendingCommandPath(QuorSuiteApp target) const;

    // How a send ended: only `delivered` means the target was told (or started to collect it).
    enum class Delivery {
        delivered,
        invalidProcess,    // a process id below 2 (0 and -1 would reach whole process groups)
        notInstalled,      // neither running nor, with `launchIfNeeded`, installed
        notWritten,        // the command file could not be written
        notSignalled,      // the running target's wake-up could not be posted
        notBroughtForward, // told, but the window asked for could not be brought to the front
        notStarted,        // the stopped target could not be started
    };

    // Writes a fresh command for `to`, then wakes it when it runs (and brings it to the front with
    // `bringToFront`), or starts it when it does not and `launchIfNeeded` is set. GUI thread.
    Delivery deliver(QuorSuiteCommandKind kind, QuorSuiteApp from, QuorSuiteApp to, std::optional<qint32> targetPID,
                     const std::optional<QString>& targetName, const std::optional<QString>& payload,
                     bool launchIfNeeded, bool bringToFront,
                     const QuorSuiteWorkspace& workspace = QuorSuiteWorkspace::current());
    // deliver() answering whether the command was delivered.
    bool send(QuorSuiteCommandKind kind, QuorSuiteApp from, QuorSuiteApp to, std::optional<qint32> targetPID,
              const std::optional<QString>& targetName, const std::optional<QString>& payload, bool launchIfNeeded,
              bool bringToFront,
              const QuorSuiteWorkspace& workspace = QuorSuiteWorkspace::current());
    // What a failed delivery to `target` tells the user, in `language`.
    static QString failureText(Delivery delivery, QuorSuiteApp target, QuorLanguage language);
    // Writes the envelope as its target's pending command, without waking or starting anything.
    bool enqueue(const QuorSuiteCommandEnvelope& envelope) const;

    // The pending command when it is acceptable (addressed to `target`, within the age, no process
    // id below 2); the file stays.
    std::optional<QuorSuiteCommandEnvelope> peekPendingCommand(QuorSuiteApp target, const QDateTime& now,
                                                               double maxAgeSeconds) const;
    // The same, taking the command: the file is first claimed by renaming it to a name of this
    // call's own, so a command written meanwhile stays for the next collection and two consumers
    // never both get one command. A claimed file is removed whether or not it was acceptable.
    std::optional<QuorSuiteCommandEnvelope> consumePendingCommand(QuorSuiteApp target, const QDateTime& now,
                                                                  double maxAgeSeconds) const;

    // Collects commands for `app`: at every notification for it, and once 0.35 s from now for a
    // command written while it was not running. The handler runs on the calling thread's event
    // loop, one command at a time; listening ends when the returned observer is dropped, and no
    // handler runs after that, the start-up collection's included.
    std::unique_ptr<QuorDistributedObserver> startListening(
        QuorSuiteApp app, std::function<void(const QuorSuiteCommandEnvelope&)> handler);

private:
    std::optional<QuorSuiteCommandEnvelope> accepted(const QByteArray& bytes, QuorSuiteApp target,
                                                     const QDateTime& now, double maxAgeSeconds) const;

    QString m_commandsDirectory;
    QuorDistributedNotificationCenter* m_notifications;
};
