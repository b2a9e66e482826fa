#include "QuorKit/Suite/QuorSuiteTelemetryBus.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
#include <unistd.h>

namespace {

const QDateTime kNow = QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0), Qt::UTC);
const qint32 kSelf = static_cast<qint32>(::getpid());

// The pid of a process that has exited and been reaped.
qint32 deadPid()
{
    QProcess process;
    process.start(QStringLiteral("/bin/true"), {});
    process.waitForFinished();
    return static_cast<qint32>(process.processId());
}

DrummetLiveStatus killStatus(const QDateTime& timestamp, qint32 pid)
{
    DrummetLiveStatus status;
    status.timestamp = timestamp;
    status.senderPID = pid;
    status.problematicCount = 2;
    status.unresponsiveAppNames = {QStringLiteral("Frozen")};
    status.autoFrozenPIDs = {77, 78};
    return status;
}

QuorLiveActivityTile tile(QuorSuiteApp app, qint64 priority, const QDateTime& timestamp)
{
    return {app, timestamp, kSelf, QStringLiteral("Tile"), QString(), QString(), std::nullopt, std::nullopt, std::nullopt,
            QuorLiveActivityTile::Tone::neutral, priority};
}

QJsonObject withValue(QJsonObject object, const QString& key, const QJsonValue& value)
{
    if (value.isUndefined()) {
        object.remove(key);
    } else {
        object.insert(key, value);
    }
    return object;
}

template <typename Record>
bool decodes(const QJsonObject& object)
{
    try {
        Record::fromJson(object);
        return true;
    } catch (const QuorDecodingError&) {
        return false;
    }
}

} // namespace

class TestQuorSuiteTelemetry : public QObject {
    Q_OBJECT
private slots:
    void freshnessNeedsAgeAndALiveWriter()
    {
        QVERIFY(QuorSuiteTelemetryBus::isPIDAlive(kSelf));
        QVERIFY(QuorSuiteTelemetryBus::isPIDAlive(1));
        QVERIFY(!QuorSuiteTelemetryBus::isPIDAlive(0));
        QVERIFY(!QuorSuiteTelemetryBus::isPIDAlive(-1));
        QVERIFY(!QuorSuiteTelemetryBus::isPIDAlive(deadPid()));

        const DrummetLiveStatus future = killStatus(kNow.addSecs(10), kSelf);
        QVERIFY(future.isFresh(kNow, 10));
        QVERIFY(!future.isFresh(kNow, 9));
        QVERIFY(!future.isFresh(kNow, std::nan("")));
        QVERIFY(!killStatus(kNow, 0).isFresh(kNow, 60));
        QVERIFY(!killStatus(kNow, deadPid()).isFresh(kNow, 60));
    }

    void statusFilesAreReadOnlyWhileFreshAndSafe()
    {
        QTemporaryDir base;
        const QuorSuiteTelemetryBus bus(base.path());
        bus.publishKillStatus(killStatus(kNow, kSelf));
        const QString file = base.filePath(QStringLiteral("drummet-live.json"));
        QCOMPARE(QFile::permissions(file) & 0x0077, QFileDevice::Permissions());
        QCOMPARE(bus.readKillStatus(kNow.addSecs(5), 10), killStatus(kNow, kSelf));
        QVERIFY(!bus.readKillStatus(kNow.addSecs(11), 10));
        QVERIFY(!bus.readPulseStatus(kNow, 10));

        bus.publishKillStatus(killStatus(kNow, 0));
        QVERIFY(!bus.readKillStatus(kNow, 10));
        QVERIFY(QFile::exists(file)); // reading never deletes

        // Only a regular file of bounded size is read.
        QVERIFY(QFile::remove(file));
        QTemporaryDir elsewhere;
        const QString planted = elsewhere.filePath(QStringLiteral("status.json"));
        QFile plantedFile(planted);
        QVERIFY(plantedFile.open(QIODevice::WriteOnly));
        plantedFile.write(QuorJson::compact(killStatus(kNow, kSelf).toJson()));
        plantedFile.close();
        QVERIFY(QFile::link(planted, file));
        QVERIFY(!bus.readKillStatus(kNow, 10));
        QVERIFY(QFile::remove(file));
        DrummetLiveStatus huge = killStatus(kNow, kSelf);
        huge.unresponsiveAppNames = QStringList(20000, QStringLiteral("0123456789abcdef"));
        bus.publishKillStatus(huge);
        QVERIFY(!bus.readKillStatus(kNow, 10));

        // Clearing touches only the seven publishers' own files.
        bus.publishKillStatus(killStatus(kNow, kSelf));
        bus.clearStatus(QuorSuiteApp::tolvane);
        QVERIFY(QFile::exists(file));
        bus.clearStatus(QuorSuiteApp::drummet);
        QVERIFY(!QFile::exists(file));
    }

    void onlyTheAnnouncingPublishersPost()
    {
        QTemporaryDir base;
        const QuorSuiteTelemetryBus bus(base.path());
        int updates = 0;
        const auto observer = bus.observeTelemetryUpdates([&] { ++updates; });
        bus.publishKillStatus(killStatus(kNow, kSelf));
        bus.publishPulseStatus(KestrineLiveStatus{});
        bus.publishRAMStatus(VaskelLiveStatus{}, false);
        bus.publishLiveTile(tile(QuorSuiteApp::vaskel, 1, kNow), false);
        quorSpin(std::chrono::milliseconds(300));
        QCOMPARE(updates, 0);
        bus.publishRAMStatus(VaskelLiveStatus{}, true);
        QUOR_TRY_COMPARE(updates, 1);

        QList<std::optional<QString>> hovers;
        const auto hoverObserver = bus.observeFocusDockHover([&](const std::optional<QString>& target) { hovers.append(target); });
        bus.postFocusDockHoverTarget(QStringLiteral("mini"));
        bus.postFocusDockHoverTarget(std::nullopt);
        bus.postFocusDockHoverTarget(QStringLiteral("dock"));
        bus.postFocusDockHoverTarget(QStringLiteral("studio"));
        QUOR_TRY_COMPARE(hovers.size(), 4);
        QCOMPARE(hovers, (QList<std::optional<QString>>{QStringLiteral("mini"), std::nullopt, std::nullopt,
                                                         QStringLiteral("studio")}));
    }

    void liveTilesAreFilteredAndOrdered()
    {
        QTemporaryDir base;
        const QuorSuiteTelemetryBus bus(base.path());
        QVERIFY(bus.readLiveTiles(kNow, 30).isEmpty()); // no folder yet
        bus.publishLiveTile(tile(QuorSuiteApp::vaskel, 1, kNow), false);
        bus.publishLiveTile(tile(QuorSuiteApp::drummet, 5, kNow), false);
        bus.publishLiveTile(tile(QuorSuiteApp::kestrine, 5, kNow.addSecs(5)), false);
        const QDir folder(bus.liveTilesDirectory());
        QVERIFY(QFile::rename(folder.filePath(QStringLiteral("kestrine.json")), folder.filePath(QStringLiteral("k.JSON"))));
        QVERIFY(QFile::copy(folder.filePath(QStringLiteral("vaskel.json")), folder.filePath(QStringLiteral(".hidden.json"))));
        QVERIFY(QFile::copy(folder.filePath(QStringLiteral("vaskel.json")), folder.filePath(QStringLiteral("vaskel.txt"))));
        QFile stale(folder.filePath(QStringLiteral("stale.json")));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(QuorJson::compact(tile(QuorSuiteApp::tolvane, 9, kNow.addSecs(-60)).toJson()));
        stale.close();

        const QList<QuorLiveActivityTile> tiles = bus.readLiveTiles(kNow.addSecs(5), 30);
        QCOMPARE(tiles.size(), 3);
        QCOMPARE(tiles.at(0).app, QuorSuiteApp::kestrine);
        QCOMPARE(tiles.at(1).app, QuorSuiteApp::drummet);
        QCOMPARE(tiles.at(2).app, QuorSuiteApp::vaskel);

        bus.clearLiveTile(QuorSuiteApp::drummet);
        QCOMPARE(bus.readLiveTiles(kNow.addSecs(5), 30).size(), 2);

        // A folder stuffed with tiles is read only up to the cap.
        for (int i = 0; i < QuorSuiteTelemetryBus::maxLiveTiles + 10; ++i) {
            QVERIFY(QFile::copy(folder.filePath(QStringLiteral("vaskel.json")),
                                folder.filePath(QStringLiteral("copy%1.json").arg(i))));
        }
        QVERIFY(bus.readLiveTiles(kNow, 30).size() <= QuorSuiteTelemetryBus::maxLiveTiles);
    }

    void dropTargetsByCentreOrShareOfOverlap_data()
    {
        QTest::addColumn<QRectF>("dragged");
        QTest::addColumn<std::optional<QRectF>>("mini");
        QTest::addColumn<std::optional<QRectF>>("studio");
        QTest::addColumn<std::optional<QString>>("expected");
        const QRectF target(100, 0, 200, 200);
        const std::optional<QString> none;
        const std::optional<QString> mini = QStringLiteral("mini");
        const std::optional<QString> studio = QStringLiteral("studio");
        QTest::newRow("quarter overlap") << QRectF(25, 0, 100, 100) << std::optional(target) << std::optional<QRectF>() << mini;
        QTest::newRow("fifth overlap") << QRectF(20, 0, 100, 100) << std::optional(target) << std::optional<QRectF>() << none;
        QTest::newRow("centre inside") << QRectF(150, 50, 10, 10) << std::optional(target) << std::optional<QRectF>() << mini;
        QTest::newRow("one point wide") << QRectF(150, 50, 1, 10) << std::optional(target) << std::optional<QRectF>() << none;
        QTest::newRow("mini wins") << QRectF(150, 50, 10, 10) << std::optional(target) << std::optional(target) << mini;
        QTest::newRow("studio") << QRectF(150, 50, 10, 10) << std::optional(QRectF(0, 0, 1, 1)) << std::optional(target)
                                << studio;
    }

    void dropTargetsByCentreOrShareOfOverlap()
    {
        QFETCH(QRectF, dragged);
        QFETCH(std::optional<QRectF>, mini);
        QFETCH(std::optional<QRectF>, studio);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(QuorSuiteTelemetryBus::detectDockDropTarget(dragged, mini, studio), expected);
    }

    // However a record is built, braces or parentheses, its construction rules hold; a decoded
    // record keeps what was published.
    void recordsObeyTheirRulesWhenBuiltAndDecodersKeepWhatWasPublished()
    {
        const VaskelOffloadLiveProgress progress{kNow, true, false, -1, 0, 1.7, QStringLiteral("Swap"), QString(),
                                                 QString(), QString(), 10, 20, {}, QStringLiteral("normal")};
        QCOMPARE(progress.totalSteps, 1);
        QCOMPARE(progress.fractionCompleted, 1.0);
        QCOMPARE(progress.stepIndex, -1);
        QCOMPARE(VaskelOffloadLiveProgress(kNow, true, false, 1, 4, std::nan(""), {}, {}, {}, {}, 0, 0, {}, {})
                     .fractionCompleted,
                 0.0);
        VaskelOffloadLiveProgress published = progress;
        published.totalSteps = 0;
        published.fractionCompleted = 2.5;
        QCOMPARE(VaskelOffloadLiveProgress::fromJson(published.toJson()).fractionCompleted, 2.5);
        QCOMPARE(VaskelOffloadLiveProgress::fromJson(published.toJson()).totalSteps, 0);
        QCOMPARE(published.normalized().totalSteps, 1);

        const BlintarAudioAppItem channel{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), true, true, 3.0, -1.0F};
        QCOMPARE(channel.volume, 2.0);
        QCOMPARE(channel.rmsLevel, 0.0F);
        BlintarLiveStatus mixer{kNow, kSelf, 1.5, QStringLiteral("Speakers"), {channel}};
        QCOMPARE(mixer.masterVolume, 1.0);
        QCOMPARE(mixer.activePlayingCount(), 0);
        QCOMPARE(mixer.mutedCount(), 1);
        mixer.masterVolume = 3.0;
        mixer.channels.first().volume = 3.0;
        QCOMPARE(BlintarLiveStatus::fromJson(mixer.toJson()), mixer); // 3.0 stays 3.0

        const SornwellLiveStatus built(kNow, kSelf, {}, {}, {}, {}, true, -5, std::nan(""), 1.5);
        QCOMPARE(built.elapsedSeconds, 0.0);
        QCOMPARE(built.durationSeconds, 0.0);
        QCOMPARE(built.volume, 1.0);
        SornwellLiveStatus music;
        music.elapsedSeconds = 250;
        music.durationSeconds = 200;
        QCOMPARE(music.progress(), 1.0);
        music.durationSeconds = 0;
        QCOMPARE(music.progress(), 0.0);

        const ArdenwickLiveStatus focus(kNow, kSelf, true, false, QStringLiteral("deep50"), -5, 0, {}, {}, {}, {}, true, -1,
                                        -2, false, false, 250, -3, -4, -1.0, false);
        QCOMPARE(focus.remainingSeconds, 0);
        QCOMPARE(focus.totalSeconds, 1);
        QCOMPARE(focus.lockedAppsCount + focus.blockedDomainsCount + focus.completedSessionsToday + focus.currentStreakDays, 0);
        QCOMPARE(focus.focusScorePercent, 100);
        QCOMPARE(focus.todayProductiveSeconds, 0.0);

        const PelloryLiveStatus task(kNow, kSelf, -1, -2, -3, -4, -5, 10, {}, {}, 0, QuorScreenRect{1, 2, -3, 4},
                                     std::nullopt, false);
        QCOMPARE(task.openTodayCount + task.completedTodayCount + task.overdueCount + task.inProgressCount
                     + task.plannedMinutesToday,
                 0);
        QCOMPARE(task.dailyCapacityMinutes, 30);
        QCOMPARE(task.nextBestTaskMinutes, 5);
        QCOMPARE(task.miniPanelFrame->width, 0.0);
        QCOMPARE(task.miniPanelFrame->x, 1.0);

        // A tile without a symbol takes its application's; one given an empty name keeps it.
        QuorLiveActivityTile shown = tile(QuorSuiteApp::vaskel, 1, kNow);
        QCOMPARE(shown.symbolName, QStringLiteral("memorychip.fill"));
        QCOMPARE(QuorLiveActivityTile(QuorSuiteApp::vaskel, kNow, kSelf, {}, {}, {}, {}, 1.7, QString(),
                                      QuorLiveActivityTile::Tone::active, 0)
                     .symbolName,
                 QString());
        QCOMPARE(QuorLiveActivityTile(QuorSuiteApp::vaskel, kNow, kSelf, {}, {}, {}, {}, 1.7, std::nullopt,
                                      QuorLiveActivityTile::Tone::active, 0)
                     .progress,
                 1.0);
        QVERIFY(!shown.toJson().contains(QStringLiteral("progress")));
        shown.progress = 1.7;
        QCOMPARE(QuorLiveActivityTile::fromJson(shown.toJson()).progress, 1.7);

        KestrineLiveStatus pulse;
        pulse.socTempCelsius = 51;
        pulse.gpuTempCelsius = 60;
        QCOMPARE(pulse.headlineTempCelsius(), 51.0);
        QCOMPARE(KestrineLiveStatus{}.headlineTempCelsius(), std::nullopt);
    }

    void publishedFilesAlwaysDecode()
    {
        QTemporaryDir base;
        const QuorSuiteTelemetryBus bus(base.path());

        // Records are published as built, so a stray number cannot spoil the whole file.
        VaskelLiveStatus ram;
        ram.timestamp = kNow;
        ram.senderPID = kSelf;
        ram.activeDiskPoolCount = 1;
        ram.diskPoolVirtualBytes = 5'000'000'000;
        ram.offloadProgress = VaskelOffloadLiveProgress{kNow, true, false, 2, 0, std::nan(""), QStringLiteral("Swap"),
                                                        QString(), QString(), QString(), 10, 20, {}, QStringLiteral("normal")};
        bus.publishRAMStatus(ram, false);
        const std::optional<VaskelLiveStatus> read = bus.readRAMStatus(kNow, 10);
        QVERIFY(read && read->offloadProgress);
        QCOMPARE(read->offloadProgress->fractionCompleted, 0.0);
        QCOMPARE(read->offloadProgress->totalSteps, 1);
        QCOMPARE(bus.readVirtualMemorySummary(kNow).activeDiskPoolCount, 1);
        bus.publishMixerStatus(BlintarLiveStatus{kNow, kSelf, 3.0, QStringLiteral("Speakers"), {}}, false);
        QCOMPARE(bus.readMixerStatus(kNow, 10)->masterVolume, 1.0);
        QuorLiveActivityTile unsure = tile(QuorSuiteApp::vaskel, 1, kNow);
        unsure.progress = std::nan("");
        unsure.symbolName.clear();
        bus.publishLiveTile(unsure, false);
        QCOMPARE(bus.readLiveTiles(kNow, 10).value(0).progress, 0.0);
        QCOMPARE(bus.readLiveTiles(kNow, 10).value(0).symbolName, QString());

        // A number no rule bounds is refused with its record: readers keep the last good file.
        KestrineLiveStatus pulse;
        pulse.timestamp = kNow;
        pulse.senderPID = kSelf;
        pulse.cpuTotalPercent = 40;
        bus.publishPulseStatus(pulse);
        KestrineLiveStatus broken = pulse;
        broken.socTempCelsius = std::nan("");
        bus.publishPulseStatus(broken);
        QCOMPARE(bus.readPulseStatus(kNow, 10), pulse);
        SornwellLiveStatus endless{kNow, kSelf, {}, {}, {}, {}, true, std::numeric_limits<double>::infinity(), 1, 1};
        bus.publishMusicStatus(endless, false);
        QVERIFY(!QFile::exists(base.filePath(QStringLiteral("sornwell-live.json"))));
    }

    void datesNeedAZoneAndWholeSeconds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: refused
        QTest::newRow("utc") << QStringLiteral("2026-03-01T10:00:00Z") << kNow;
        QTest::newRow("east") << QStringLiteral("2026-03-01T13:00:00+03:00") << kNow;
        QTest::newRow("west") << QStringLiteral("2026-03-01T05:30:00-04:30") << kNow;
        QTest::newRow("no zone") << QStringLiteral("2026-03-01T10:00:00") << QDateTime();
        QTest::newRow("fraction") << QStringLiteral("2026-03-01T10:00:00.250Z") << QDateTime();
        QTest::newRow("no time") << QStringLiteral("2026-03-01") << QDateTime();
        QTest::newRow("no such day") << QStringLiteral("2026-02-30T10:00:00Z") << QDateTime();
        QTest::newRow("no such offset") << QStringLiteral("2026-03-01T10:00:00+24:00") << QDateTime();
    }

    void datesNeedAZoneAndWholeSeconds()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const QJsonObject json = withValue(killStatus(kNow, kSelf).toJson(), QStringLiteral("timestamp"), text);
        if (!expected.isValid()) {
            QVERIFY(!decodes<DrummetLiveStatus>(json));
        } else {
            QCOMPARE(DrummetLiveStatus::fromJson(json).timestamp, expected);
        }
    }

    void strictDecodersRefuseWhatDoesNotFit()
    {
        VaskelLiveStatus ram;
        ram.timestamp = kNow;
        ram.senderPID = kSelf;
        ram.frozenPIDs = {12, 13};
        ram.offloadProgress = VaskelOffloadLiveProgress{kNow, true, false, 2, 4, 0.5, QStringLiteral("Swap"),
                                                        QString(), QString(), QString(), 10, 20, {}, QStringLiteral("normal")};
        const QJsonObject json = ram.toJson();
        QCOMPARE(VaskelLiveStatus::fromJson(json), ram);
        QCOMPARE(VaskelLiveStatus::fromJson(withValue(json, QStringLiteral("offloadProgress"), QJsonValue::Null)).offloadProgress,
                 std::nullopt);
        QVERIFY(!VaskelLiveStatus{}.toJson().contains(QStringLiteral("offloadProgress")));
        QJsonObject nested = ram.offloadProgress->toJson();
        nested.remove(QStringLiteral("livePressure"));
        QVERIFY(!decodes<VaskelLiveStatus>(withValue(json, QStringLiteral("offloadProgress"), nested)));
        for (const QJsonValue& bad : {QJsonValue(1.5), QJsonValue(1e30), QJsonValue(QStringLiteral("5")), QJsonValue()}) {
            QVERIFY(!decodes<VaskelLiveStatus>(withValue(json, QStringLiteral("swapUsedBytes"), bad)));
        }
        QVERIFY(!decodes<VaskelLiveStatus>(withValue(json, QStringLiteral("senderPID"), 2147483648.0)));
        QVERIFY(!decodes<VaskelLiveStatus>(withValue(json, QStringLiteral("frozenPIDs"), QJsonArray{1, 4294967296.0})));
        QVERIFY(decodes<VaskelLiveStatus>(withValue(json, QStringLiteral("unknownKey"), 1)));

        const QJsonObject kill = killStatus(kNow, kSelf).toJson();
        QVERIFY(decodes<DrummetLiveStatus>(withValue(kill, QStringLiteral("activeFocusProfileName"), QJsonValue())));
        QVERIFY(!decodes<DrummetLiveStatus>(withValue(kill, QStringLiteral("listeningPortCount"), QJsonValue())));

        BlintarAudioAppItem loud{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), true, false, 1, 0.5F};
        QVERIFY(!decodes<BlintarAudioAppItem>(withValue(loud.toJson(), QStringLiteral("rmsLevel"), 1e300)));

        const QJsonObject tileJson = tile(QuorSuiteApp::vaskel, 1, kNow).toJson();
        QVERIFY(!decodes<QuorLiveActivityTile>(withValue(tileJson, QStringLiteral("tone"), QStringLiteral("loud"))));
        QVERIFY(!decodes<QuorLiveActivityTile>(withValue(tileJson, QStringLiteral("app"), QStringLiteral("vaskel"))));
        QCOMPARE(QuorLiveActivityTile::fromJson(tileJson).secondaryMetric, std::nullopt);

        // Sums of pool sizes from another process stop at the range's end.
        ram.diskPoolVirtualBytes = std::numeric_limits<qint64>::max();
        ram.sparseDiskVirtualBytes = 5;
        QCOMPARE(ram.totalVirtualPoolCapacityBytes(), std::numeric_limits<qint64>::max());
        ram.mountedRAMDiskCount = 1;
        QVERIFY(ram.hasVirtualDiskExpansion());
    }

    void lenientDecodersFillDefaultsAndNormalize()
    {
        const QJsonObject minimal{{QStringLiteral("timestamp"), QStringLiteral("2026-03-01T10:00:00Z")},
                                  {QStringLiteral("senderPID"), 12}};
        const ArdenwickLiveStatus focus = ArdenwickLiveStatus::fromJson(minimal);
        ArdenwickLiveStatus expectedFocus;
        expectedFocus.timestamp = kNow;
        expectedFocus.senderPID = 12;
        QCOMPARE(focus, expectedFocus);
        QCOMPARE(focus.sessionModeRaw, QStringLiteral("pomodoro25"));
        QCOMPARE(focus.progress(), 0.0);

        const ArdenwickLiveStatus clamped = ArdenwickLiveStatus::fromJson(withValue(
            withValue(withValue(minimal, QStringLiteral("totalSeconds"), 0), QStringLiteral("remainingSeconds"), -5),
            QStringLiteral("focusScorePercent"), 250));
        QCOMPARE(clamped.totalSeconds, 1);
        QCOMPARE(clamped.remainingSeconds, 0);
        QCOMPARE(clamped.focusScorePercent, 100);
        ArdenwickLiveStatus built = expectedFocus;
        built.remainingSeconds = 300;
        QCOMPARE(built.progress(), 0.8);
        built.remainingSeconds = 2000;
        QCOMPARE(built.progress(), 0.0);
        QVERIFY(!decodes<ArdenwickLiveStatus>(withValue(minimal, QStringLiteral("isRunning"), QStringLiteral("yes"))));
        QVERIFY(decodes<ArdenwickLiveStatus>(withValue(minimal, QStringLiteral("isRunning"), QJsonValue::Null)));
        QVERIFY(!decodes<ArdenwickLiveStatus>(withValue(minimal, QStringLiteral("senderPID"), QJsonValue())));

        const PelloryLiveStatus task = PelloryLiveStatus::fromJson(minimal);
        QCOMPARE(task.dailyCapacityMinutes, 360);
        QCOMPARE(task.nextBestTaskMinutes, 25);
        QVERIFY(!task.miniPanelFrame && !task.nextBestTaskID && !task.isFocusDockedInside);
        QCOMPARE(PelloryLiveStatus::fromJson(withValue(minimal, QStringLiteral("dailyCapacityMinutes"), 10)).dailyCapacityMinutes, 30);
        QCOMPARE(PelloryLiveStatus::fromJson(withValue(minimal, QStringLiteral("nextBestTaskMinutes"), 0)).nextBestTaskMinutes, 5);
        const QJsonObject frame{{QStringLiteral("x"), 1}, {QStringLiteral("y"), 2}, {QStringLiteral("width"), -3}};
        QVERIFY(!decodes<PelloryLiveStatus>(withValue(minimal, QStringLiteral("miniPanelFrame"), frame)));
        const QJsonObject fullFrame = withValue(frame, QStringLiteral("height"), 4);
        QCOMPARE(PelloryLiveStatus::fromJson(withValue(minimal, QStringLiteral("miniPanelFrame"), fullFrame)).miniPanelFrame->width,
                 -3.0);
        QCOMPARE(QuorScreenRect::from(QRectF(1, 2, -3, 4)), (QuorScreenRect{1, 2, 0, 4}));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorSuiteTelemetry)
#include "tst_quorsuitetelemetry.moc"
