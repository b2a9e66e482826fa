#include "QuorKit/Suite/QuorSuiteCommandBus.h"
#include "QuorKit/Suite/QuorSuiteTelemetryBus.h"
#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "Support/QuorTestSupport.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

#include <dlfcn.h>

using quor::platform::WindowApplication;

namespace {
std::atomic<int> g_diskFlushes{0};
} // namespace

// Counts the flushes to disk this process asks for; each still happens.
extern "C" int fsync(int fd)
{
    ++g_diskFlushes;
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}

namespace {

const QDateTime kNow = QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0), Qt::UTC);

QuorSuiteCommandEnvelope envelope(QuorSuiteApp target, const QDateTime& timestamp = kNow)
{
    return {QUuid::createUuid(), timestamp, QuorSuiteApp::kestrine, target, QuorSuiteCommandKind::ramThawAll,
            std::nullopt, std::nullopt, std::nullopt};
}

// The application runs (a window announces it) when `running`; install() installs it.
struct Workspace {
    QuorSuiteApp app = QuorSuiteApp::vaskel;
    QTemporaryDir applications;
    bool running = false;
    bool windowComesForward = true;
    bool startWorks = true;
    int activations = 0;
    int starts = 0;

    void install() const
    {
        QFile entry(applications.filePath(QuorSuiteApps::bundleIdentifier(app) + QStringLiteral(".desktop")));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nExec=vaskel\n");
    }

    QuorSuiteWorkspace make()
    {
        return {
            {applications.path()},
            [this] {
                WindowApplication window;
                window.className = QuorSuiteApps::rawValue(app);
                return running ? QList{window} : QList<WindowApplication>{};
            },
            [] { return QList<quor::platform::RunningProcess>{}; },
            [this](const WindowApplication&) { return ++activations > 0 && windowComesForward; },
            [this](const QString&, const QStringList&) { return ++starts > 0 && startWorks; },
        };
    }
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestQuorSuiteCommandBus : public QObject {
    Q_OBJECT
private slots:
    void sendRefusesGroupPidsAndUnreachableTargets()
    {
        QTemporaryDir base;
        QuorSuiteCommandBus bus(base.path());
        Workspace workspace;
        const QString file = bus.pendingCommandPath(QuorSuiteApp::vaskel);
        QCOMPARE(file, base.path() + QStringLiteral("/Commands/vaskel-cmd.json"));

        // Neither running nor installed: refused, even when it may be launched.
        QVERIFY(!bus.send(QuorSuiteCommandKind::ramSmartOffload, QuorSuiteApp::kestrine, QuorSuiteApp::vaskel,
                          std::nullopt, std::nullopt, std::nullopt, true, false, workspace.make()));
        workspace.running = true;
        for (const qint32 pid : {1, 0, -1}) {
            QVERIFY(!bus.send(QuorSuiteCommandKind::ramFreezePID, QuorSuiteApp::kestrine, QuorSuiteApp::vaskel, pid,
                              std::nullopt, std::nullopt, true, false, workspace.make()));
        }
        QVERIFY(!QFile::exists(file));
        QVERIFY(bus.send(QuorSuiteCommandKind::ramFreezePID, QuorSuiteApp::kestrine, QuorSuiteApp::vaskel, 2,
                         std::nullopt, std::nullopt, true, false, workspace.make()));
        QVERIFY(QFile::exists(file));
        QCOMPARE(QFile::permissions(file) & 0x0077, QFileDevice::Permissions());
    }

    void sendWakesARunningTargetAndStartsAStoppedOne()
    {
        QTemporaryDir base;
        QuorSuiteCommandBus bus(base.path());
        // A target no other test addresses: test processes share one session bus.
        Workspace workspace;
        workspace.app = QuorSuiteApp::tethren;
        workspace.running = true;
        int posted = 0;
        const auto observer = QuorDistributedNotificationCenter::defaultCenter().addObserver(
            QStringLiteral("com.tallowmer.suite.command.tethren"), [&](const QString&) { ++posted; });

        QVERIFY(bus.send(QuorSuiteCommandKind::ramOpenDiskLab, QuorSuiteApp::kestrine, QuorSuiteApp::tethren,
                         std::nullopt, QStringLiteral("disk"), std::nullopt, true, true, workspace.make()));
        QUOR_TRY_COMPARE(posted, 1); // a process hears its own posts
        QCOMPARE(workspace.activations, 1);
        QCOMPARE(workspace.starts, 0);
        const auto pending = bus.peekPendingCommand(QuorSuiteApp::tethren, QDateTime::currentDateTimeUtc(), 25);
        QVERIFY(pending);
        QCOMPARE(pending->kind, QuorSuiteCommandKind::ramOpenDiskLab);
        QCOMPARE(pending->sourceApp, QuorSuiteApp::kestrine);
        QCOMPARE(pending->targetName, QStringLiteral("disk"));

        // Stopped but installed: the file is written and the application started, without a signal.
        workspace.running = false;
        workspace.install();
        QVERIFY(bus.send(QuorSuiteCommandKind::ramSmartOffload, QuorSuiteApp::drummet, QuorSuiteApp::tethren,
                         std::nullopt, std::nullopt, std::nullopt, true, false, workspace.make()));
        QCOMPARE(workspace.starts, 1);
        quorSpin(std::chrono::milliseconds(200));
        QCOMPARE(posted, 1);
        QCOMPARE(bus.peekPendingCommand(QuorSuiteApp::tethren, QDateTime::currentDateTimeUtc(), 25)->kind,
                 QuorSuiteCommandKind::ramSmartOffload);
        // Installed but not to be launched: refused.
        QVERIFY(!bus.send(QuorSuiteCommandKind::ramSmartOffload, QuorSuiteApp::drummet, QuorSuiteApp::tethren,
                          std::nullopt, std::nullopt, std::nullopt, false, false, workspace.make()));
    }

    // A command counts as sent only when its target was told: every step that fails says which.
    void aSendReportsWhatKeptTheCommandFromItsTarget()
    {
        using Delivery = QuorSuiteCommandBus::Delivery;
        QTemporaryDir base;
        Workspace workspace;
        workspace.running = true;
        const auto deliver = [&](QuorSuiteCommandBus& bus, bool bringToFront) {
            return bus.deliver(QuorSuiteCommandKind::ramOpenDiskLab, QuorSuiteApp::kestrine, QuorSuiteApp::vaskel,
                               std::nullopt, std::nullopt, std::nullopt, true, bringToFront, workspace.make());
        };
        // No session bus to carry the wake-up: the running target would never look at the file.
        QuorDistributedNotificationCenter unconnected{QDBusConnection(QStringLiteral("no such connection"))};
        QuorSuiteCommandBus offline(base.path(), &unconnected);
        QCOMPARE(deliver(offline, false), Delivery::notSignalled);
        QVERIFY(!offline.send(QuorSuiteCommandKind::ramOpenDiskLab, QuorSuiteApp::kestrine, QuorSuiteApp::vaskel,
                              std::nullopt, std::nullopt, std::nullopt, true, false, workspace.make()));

        QuorSuiteCommandBus bus(base.path());
        workspace.windowComesForward = false;
        QCOMPARE(deliver(bus, true), Delivery::notBroughtForward);
        QCOMPARE(deliver(bus, false), Delivery::delivered);
        workspace.running = false;
        workspace.install();
        workspace.startWorks = false;
        QCOMPARE(deliver(bus, false), Delivery::notStarted);

        // A file where the commands folder belongs: nothing can be written.
        QTemporaryDir blocked;
        writeFile(blocked.filePath(QStringLiteral("Commands")), "not a folder");
        QuorSuiteCommandBus unwritable(blocked.path());
        workspace.startWorks = true;
        QCOMPARE(deliver(unwritable, false), Delivery::notWritten);

        QCOMPARE(QuorSuiteCommandBus::failureText(Delivery::notWritten, QuorSuiteApp::vaskel, QuorLanguage::en),
                 QStringLiteral("The command for Vaskel could not be written"));
        QCOMPARE(QuorSuiteCommandBus::failureText(Delivery::notSignalled, QuorSuiteApp::vaskel, QuorLanguage::tr),
                 QStringLiteral("Vaskel uygulamasına ulaşılamadı"));
        QCOMPARE(QuorSuiteCommandBus::failureText(Delivery::notInstalled, QuorSuiteApp::vaskel, QuorLanguage::en),
                 QStringLiteral("Vaskel is not installed"));
    }

    void aSendDoesNotWaitForTheDisk()
    {
        QTemporaryDir base;
        QuorSuiteCommandBus bus(base.path());
        Workspace workspace;
        workspace.running = true;
        const int before = g_diskFlushes;
        QVERIFY(bus.send(QuorSuiteCommandKind::ramSmartOffload, QuorSuiteApp::kestrine, QuorSuiteApp::vaskel,
                         std::nullopt, std::nullopt, std::nullopt, true, false, workspace.make()));
        QVERIFY(bus.enqueue(envelope(QuorSuiteApp::drummet)));
        QuorSuiteTelemetryBus(base.path()).publishKillStatus(DrummetLiveStatus{});
        QCOMPARE(g_diskFlushes.load(), before);
        QVERIFY(bus.peekPendingCommand(QuorSuiteApp::vaskel, QDateTime::currentDateTimeUtc(), 25));
        // Files that must survive a power cut still wait for the disk.
        QVERIFY(QuorAtomicFile::write(base.filePath(QStringLiteral("config.json")), "{}"));
        QCOMPARE(g_diskFlushes.load(), before + 1);
    }

    void readingAcceptsOnlyFreshCommandsForTheTarget()
    {
        QTemporaryDir base;
        const QuorSuiteCommandBus bus(base.path());
        const QString file = bus.pendingCommandPath(QuorSuiteApp::vaskel);

        QVERIFY(bus.enqueue(envelope(QuorSuiteApp::vaskel, kNow.addSecs(-30))));
        QVERIFY(!bus.consumePendingCommand(QuorSuiteApp::vaskel, kNow, 25));
        QVERIFY(!QFile::exists(file)); // too old, and gone

        // Another target's envelope under this name: peek keeps it, consume removes it.
        QuorSuiteCommandEnvelope misfiled = envelope(QuorSuiteApp::drummet);
        writeFile(file, QuorJson::compact(misfiled.toJson()));
        QVERIFY(!bus.peekPendingCommand(QuorSuiteApp::vaskel, kNow, 25));
        QVERIFY(QFile::exists(file));
        QVERIFY(!bus.consumePendingCommand(QuorSuiteApp::vaskel, kNow, 25));
        QVERIFY(!QFile::exists(file));

        // Bad files are refused and removed by consume: not JSON, an unknown kind, a group pid,
        // a pid beyond 32 bits.
        QJsonObject groupPid = envelope(QuorSuiteApp::vaskel).toJson();
        groupPid.insert(QStringLiteral("targetPID"), 0);
        QJsonObject unknownKind = groupPid;
        unknownKind.insert(QStringLiteral("kind"), QStringLiteral("ramExplode"));
        unknownKind.remove(QStringLiteral("targetPID"));
        QJsonObject widePid = unknownKind;
        widePid.insert(QStringLiteral("kind"), QStringLiteral("ramFreezePID"));
        widePid.insert(QStringLiteral("targetPID"), 4294967296.0);
        for (const QByteArray& bad : {QByteArray("{not json"), QuorJson::compact(groupPid),
                                      QuorJson::compact(unknownKind), QuorJson::compact(widePid)}) {
            writeFile(file, bad);
            QVERIFY(!bus.peekPendingCommand(QuorSuiteApp::vaskel, kNow, 25));
            QVERIFY(!bus.consumePendingCommand(QuorSuiteApp::vaskel, kNow, 25));
            QVERIFY(!QFile::exists(file));
        }

        // A link planted under the name is not followed; a file in the future counts within the age.
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("cmd.json"));
        writeFile(target, QuorJson::compact(envelope(QuorSuiteApp::vaskel).toJson()));
        QVERIFY(QFile::link(target, file));
        QVERIFY(!bus.consumePendingCommand(QuorSuiteApp::vaskel, kNow, 25));
        QVERIFY(QFile::exists(target));
        QVERIFY(bus.enqueue(envelope(QuorSuiteApp::vaskel, kNow.addSecs(20))));
        QVERIFY(bus.consumePendingCommand(QuorSuiteApp::vaskel, kNow, 25));
        // A time without a zone names no instant: the command is not taken as fresh.
        QJsonObject zoneless = envelope(QuorSuiteApp::vaskel).toJson();
        zoneless.insert(QStringLiteral("timestamp"), QStringLiteral("2026-03-01T10:00:00"));
        writeFile(file, QuorJson::compact(zoneless));
        QVERIFY(!bus.consumePendingCommand(QuorSuiteApp::vaskel, kNow, 25));
        QCOMPARE(QDir(base.filePath(QStringLiteral("Commands"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void optionalKeysAreLeftOutAndRoundTrip()
    {
        const QuorSuiteCommandEnvelope bare = envelope(QuorSuiteApp::vaskel);
        const QJsonObject json = bare.toJson();
        QCOMPARE(json.keys(), (QStringList{"id", "kind", "sourceApp", "targetApp", "timestamp"}));
        QCOMPARE(json.value(QStringLiteral("timestamp")).toString(), QStringLiteral("2026-03-01T10:00:00Z"));
        QCOMPARE(json.value(QStringLiteral("targetApp")).toString(), QStringLiteral("Vaskel"));
        QCOMPARE(QuorSuiteCommandEnvelope::fromJson(json), bare);

        QuorSuiteCommandEnvelope full = bare;
        full.targetPID = 4321;
        full.targetName = QStringLiteral("Döküman");
        full.payload = QString();
        QCOMPARE(QuorSuiteCommandEnvelope::fromJson(full.toJson()), full);
    }

    void racingConsumersTakeEachCommandOnceAndKeepTheNewest()
    {
        QTemporaryDir base;
        const QuorSuiteCommandBus bus(base.path());
        constexpr int writes = 150;
        std::atomic<bool> writing = true;
        QList<int> delivered[2];
        const auto consume = [&](QList<int>& into) {
            while (writing) {
                if (const auto command = bus.consumePendingCommand(QuorSuiteApp::vaskel, kNow, 25)) {
                    into.append(command->payload->toInt());
                }
            }
        };
        std::thread first(consume, std::ref(delivered[0]));
        std::thread second(consume, std::ref(delivered[1]));
        for (int i = 1; i <= writes; ++i) {
            QuorSuiteCommandEnvelope next = envelope(QuorSuiteApp::vaskel);
            next.payload = QString::number(i);
            QVERIFY(bus.enqueue(next));
        }
        writing = false;
        first.join();
        second.join();
        QList<int> all = delivered[0] + delivered[1];
        if (const auto last = bus.consumePendingCommand(QuorSuiteApp::vaskel, kNow, 25)) {
            all.append(last->payload->toInt());
        }
        // Each command reaches one consumer at most, and the newest is never lost.
        std::sort(all.begin(), all.end());
        QVERIFY(std::adjacent_find(all.cbegin(), all.cend()) == all.cend());
        QVERIFY(all.contains(writes));
    }

    void aListenerOnAnotherConnectionReceivesTheCommand()
    {
        QTemporaryDir base;
        QDBusConnection second = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("listener"));
        QVERIFY(second.isConnected());
        QuorDistributedNotificationCenter listenerCenter(second);
        QuorSuiteCommandBus receiver(base.path(), &listenerCenter);
        QuorSuiteCommandBus sender(base.path());

        // A command written while the target was stopped is collected shortly after listening starts.
        QuorSuiteCommandEnvelope early = envelope(QuorSuiteApp::vaskel, QDateTime::currentDateTimeUtc());
        QVERIFY(sender.enqueue(early));
        QList<QuorSuiteCommandEnvelope> received;
        auto listening = receiver.startListening(QuorSuiteApp::vaskel,
                                                       [&](const QuorSuiteCommandEnvelope& command) { received.append(command); });
        QVERIFY(listening->isConnected());
        QUOR_TRY_COMPARE(received.size(), 1);
        QCOMPARE(received.first().id, early.id);

        Workspace workspace;
        workspace.running = true;
        QVERIFY(sender.send(QuorSuiteCommandKind::ramToggleHUD, QuorSuiteApp::kestrine, QuorSuiteApp::vaskel,
                            std::nullopt, std::nullopt, QStringLiteral("now"), false, false, workspace.make()));
        QUOR_TRY_COMPARE(received.size(), 2);
        QCOMPARE(received.last().kind, QuorSuiteCommandKind::ramToggleHUD);
        QCOMPARE(received.last().payload, QStringLiteral("now"));
        QVERIFY(!QFile::exists(sender.pendingCommandPath(QuorSuiteApp::vaskel)));
        listening.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
    }

    // Listening ends with its observer: a start-up collection still due calls no handler.
    void aDroppedListenerCollectsNothing()
    {
        QTemporaryDir base;
        QuorSuiteCommandBus bus(base.path());
        QVERIFY(bus.enqueue(envelope(QuorSuiteApp::pellory, QDateTime::currentDateTimeUtc())));
        int dropped = 0;
        bus.startListening(QuorSuiteApp::pellory, [&](const QuorSuiteCommandEnvelope&) { ++dropped; }).reset();
        // A listener started afterwards collects once the dropped one's collection would have run.
        QList<QuorSuiteCommandEnvelope> kept;
        const auto listening =
            bus.startListening(QuorSuiteApp::pellory, [&](const QuorSuiteCommandEnvelope& command) { kept.append(command); });
        QUOR_TRY_COMPARE(kept.size(), 1);
        QCOMPARE(dropped, 0);
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorSuiteCommandBus)
#include "tst_quorsuitecommandbus.moc"
