#include "QuorKit/Suite/QuorSuiteTelemetryBus.h"
#include "QuorKit/Suite/QuorVirtualMemoryReader.h"
#include "QuorPlatform/Memory/QuorKernelMemory.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <unistd.h>

using quor::platform::KernelMemoryFigures;

namespace {

constexpr qint64 GB = 1'000'000'000;
const QDateTime kNow = QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0), Qt::UTC);

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A /proc and /sys tree: 16 GiB with 4 GiB available, 2 GiB of swap on an encrypted device of which
// 512 MiB are used, 100 MB compressed in zram and 20 MiB in zswap.
struct KernelFixture {
    QTemporaryDir root;

    KernelFixture()
    {
        writeFile(path("proc/meminfo"), "MemTotal:       16777216 kB\nMemFree:  1000 kB\nMemAvailable:    4194304 kB\n"
                                        "SwapTotal:       2097152 kB\nSwapFree:        1572864 kB\nZswap:  20480 kB\n");
        writeFile(path("proc/swaps"), "Filename\tType\tSize\tUsed\tPriority\n/dev/dm-1 partition 2097152 524288 -2\n");
        writeFile(path("sys/class/block/dm-1/dm/uuid"), "CRYPT-LUKS2-abc-cryptswap\n");
        writeFile(path("sys/block/zram0/mm_stat"), "300000000 100000000 110000000 0 110000000 0 0 0 0\n");
        writeFile(path("proc/pressure/memory"), "some avg10=12.50 avg60=3.00 avg300=1.00 total=1\n"
                                                "full avg10=1.00 avg60=0.00 avg300=0.00 total=1\n");
    }

    QString path(const char* relative) const { return root.filePath(QLatin1String(relative)); }
};

QuorVirtualMemorySummary summaryWith(qint64 swapTotal, qint64 swapUsed, qint64 poolVirtual, qint64 ramDisk)
{
    QuorVirtualMemorySummary summary;
    summary.swapTotalBytes = swapTotal;
    summary.swapUsedBytes = swapUsed;
    summary.activeDiskPoolCount = poolVirtual > 0 ? 1 : 0;
    summary.diskPoolVirtualBytes = poolVirtual;
    summary.mountedRAMDiskCount = ramDisk > 0 ? 1 : 0;
    summary.ramDiskTotalBytes = ramDisk;
    return summary;
}

VaskelLiveStatus vaskelStatus(const QDateTime& timestamp)
{
    VaskelLiveStatus status;
    status.timestamp = timestamp;
    status.senderPID = static_cast<qint32>(::getpid());
    status.physicalTotalBytes = 0; // reported as unknown
    status.physicalUsedBytes = 3 * GB;
    status.swapTotalBytes = 1 * GB;
    status.swapFileCount = 2;
    status.pressureLevel = QStringLiteral("calm");
    status.frozenAppCount = 3;
    return status;
}

} // namespace

class TestQuorVirtualMemorySummary : public QObject {
    Q_OBJECT
private slots:
    void badgeAndTokenTexts()
    {
        QCOMPARE(summaryWith(2 * GB, 0, 0, 0).compactBadgeText(), QStringLiteral("Swap 0 B / 2.00 GB"));
        QCOMPARE(summaryWith(2 * GB, 0, 5 * GB, 0).compactBadgeText(), QStringLiteral("Pool 5.00 GB"));
        QCOMPARE(summaryWith(0, 0, 0, 0).compactBadgeText(), QString());

        const QuorVirtualMemorySummary ramDisk = summaryWith(1 * GB, 1'500'000'000, 0, 3 * GB);
        QCOMPARE(ramDisk.compactBadgeText(), QStringLiteral("RAMDisk 3.00 GB + Swap 1.50 GB"));
        QCOMPARE(ramDisk.totalVirtualUsedBytes(), 4'500'000'000);
        QCOMPARE(ramDisk.compactVirtualUsedToken(), QStringLiteral("4.5G"));
        // Swap in use beyond the swap files' size: the allocated total counts what is in use.
        QCOMPARE(ramDisk.totalVirtualAllocatedBytes(), 4'500'000'000);
        QCOMPARE(ramDisk.virtualUsedPercent(), 100.0);

        QCOMPARE(summaryWith(GB, 800'000'000, 0, 0).compactVirtualUsedToken(), QStringLiteral("800M"));
        QCOMPARE(summaryWith(200 * GB, 150 * GB, 0, 0).compactVirtualUsedToken(), QStringLiteral("150G"));
        QCOMPARE(summaryWith(4 * GB, 0, 0, 0).compactVirtualUsedToken(), QStringLiteral("4.0G"));
        QCOMPARE(summaryWith(12 * GB, 0, 0, 0).compactVirtualUsedToken(), QStringLiteral("12G"));
        QCOMPARE(summaryWith(0, 0, 0, 0).compactVirtualUsedToken(), QStringLiteral("0G"));
        QCOMPARE(summaryWith(0, 0, 0, 0).virtualSpaceUsageText(), QStringLiteral("0 B"));
        QCOMPARE(summaryWith(4 * GB, GB, 0, 0).virtualSpaceUsageText(), QStringLiteral("1.00 GB / 4.00 GB"));
    }

    void sumsFromAnotherProcessSaturate()
    {
        QuorVirtualMemorySummary huge = summaryWith(1, 1, std::numeric_limits<qint64>::max(), GB);
        huge.diskPoolActualDiskBytes = std::numeric_limits<qint64>::max();
        huge.physicalTotalBytes = 16 * GB;
        QCOMPARE(huge.totalVirtualAllocatedBytes(), std::numeric_limits<qint64>::max());
        QCOMPARE(huge.totalVirtualUsedBytes(), std::numeric_limits<qint64>::max());
        QCOMPARE(huge.totalEffectiveMemoryCapacityBytes(), std::numeric_limits<qint64>::max());
        QCOMPARE(huge.virtualUsedPercent(), 100.0);
        huge.physicalUsedBytes = -5;
        QCOMPARE(huge.physicalUsedPercent(), 0.0);
    }

    void kernelFiguresFromTheFixtureTree()
    {
        KernelFixture fixture;
        KernelMemoryFigures figures = quor::platform::KernelMemory::read(fixture.root.path());
        QCOMPARE(figures.physicalTotalBytes, 16LL * 1024 * 1024 * 1024);
        QCOMPARE(figures.physicalUsedBytes, 12LL * 1024 * 1024 * 1024);
        QCOMPARE(figures.compressedBytes, 100'000'000 + 20LL * 1024 * 1024);
        QCOMPARE(figures.swapTotalBytes, 2LL * 1024 * 1024 * 1024);
        QCOMPARE(figures.swapUsedBytes, 512LL * 1024 * 1024);
        QVERIFY(figures.swapEncrypted);
        QCOMPARE(figures.pressureLevel, QStringLiteral("warning"));

        // A second, plain swap device: not all swap is encrypted. Stalls of all tasks: critical.
        writeFile(fixture.path("proc/swaps"), "Filename Type Size Used Priority\n/dev/dm-1 partition 1 0 -2\n"
                                              "/dev/sda3 partition 1 0 -3\n");
        writeFile(fixture.path("proc/pressure/memory"), "some avg10=40.00 avg60=0 avg300=0 total=1\n"
                                                        "full avg10=15.00 avg60=0 avg300=0 total=1\n");
        figures = quor::platform::KernelMemory::read(fixture.root.path());
        QVERIFY(!figures.swapEncrypted);
        QCOMPARE(figures.pressureLevel, QStringLiteral("critical"));

        // Swap on a logical volume whose only disk is encrypted; no stall information, and 4 of
        // 16 GiB available is plenty.
        writeFile(fixture.path("proc/swaps"), "Filename Type Size Used Priority\n/dev/dm-2 partition 1 0 -2\n");
        writeFile(fixture.path("sys/class/block/dm-2/dm/uuid"), "LVM-abc\n");
        writeFile(fixture.path("sys/class/block/dm-2/slaves/dm-1"), "");
        QVERIFY(QFile::remove(fixture.path("proc/pressure/memory")));
        figures = quor::platform::KernelMemory::read(fixture.root.path());
        QVERIFY(figures.swapEncrypted);
        QCOMPARE(figures.pressureLevel, QStringLiteral("normal"));
        writeFile(fixture.path("proc/meminfo"), "MemTotal: 1000 kB\nMemAvailable: 40 kB\n");
        QCOMPARE(quor::platform::KernelMemory::read(fixture.root.path()).pressureLevel, QStringLiteral("critical"));
        QCOMPARE(quor::platform::KernelMemory::read(fixture.path("nowhere")).pressureLevel, QStringLiteral("normal"));
    }

    void summaryMergesAFreshStatusOrScansTheSparseDisks()
    {
        KernelFixture fixture;
        QTemporaryDir folders;
        const QString pool = folders.filePath(QStringLiteral("cache/Vaskel/Pools"));
        const QString custom = folders.filePath(QStringLiteral("custom pools"));
        const QString config = folders.filePath(QStringLiteral("data/Vaskel/config.json"));
        writeFile(pool + QStringLiteral("/Work.sparsebundle"), "image");
        writeFile(pool + QStringLiteral("/Idle.sparsebundle"), "image");
        writeFile(pool + QStringLiteral("/notes.txt"), "");
        writeFile(custom + QStringLiteral("/Work.SparseBundle"), "same name, other folder");
        writeFile(config, "{\"customPoolDirectory\": \"  " + custom.toUtf8() + "\\n\"}");
        // Work's image backs loop0, whose partition is mounted at /mnt/work disk; Idle's loop1 is not mounted.
        writeFile(fixture.path("sys/block/loop0/loop/backing_file"), pool.toUtf8() + "/Work.sparsebundle\n");
        writeFile(fixture.path("sys/block/loop1/loop/backing_file"), pool.toUtf8() + "/Idle.sparsebundle\n");
        writeFile(fixture.path("proc/self/mountinfo"),
                  "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                  "90 22 7:1 / /mnt/work\\040disk rw,nosuid shared:5 - ext4 /dev/loop0p1 rw\n");
        QVERIFY(QDir().mkpath(fixture.path("mnt/work disk")));
        const QuorVirtualMemoryReader reader{fixture.root.path(), pool, config};

        QTemporaryDir suite;
        const QuorSuiteTelemetryBus bus(suite.path());
        bus.publishRAMStatus(vaskelStatus(kNow.addSecs(-20)), false);
        QuorVirtualMemorySummary summary = bus.readVirtualMemorySummary(kNow, reader);
        QVERIFY(!summary.isVaskelRunning);
        QCOMPARE(summary.mountedSparseDiskCount, 1);
        QCOMPARE(summary.sparseDiskNames, QStringList{QStringLiteral("Work")});
        QVERIFY(summary.sparseDiskVirtualBytes > 0);
        QVERIFY(summary.sparseDiskActualBytes <= summary.sparseDiskVirtualBytes);
        QCOMPARE(summary.physicalTotalBytes, 16LL * 1024 * 1024 * 1024);
        QCOMPARE(summary.swapFileCount, 0);
        QCOMPARE(summary.compactBadgeText().left(6), QStringLiteral("vDisk "));

        bus.publishRAMStatus(vaskelStatus(kNow.addSecs(-10)), false);
        summary = bus.readVirtualMemorySummary(kNow, reader);
        QVERIFY(summary.isVaskelRunning);
        QCOMPARE(summary.physicalTotalBytes, 16LL * 1024 * 1024 * 1024); // the status's 0 is not taken
        QCOMPARE(summary.physicalUsedBytes, 3 * GB);
        QCOMPARE(summary.swapTotalBytes, 2LL * 1024 * 1024 * 1024);  // the larger of the two
        QCOMPARE(summary.swapUsedBytes, 512LL * 1024 * 1024);
        QCOMPARE(summary.swapFileCount, 2);
        QCOMPARE(summary.pressureLevel, QStringLiteral("calm"));
        QCOMPARE(summary.frozenAppCount, 3);
        QCOMPARE(summary.mountedSparseDiskCount, 0); // the tool reports its own disks
    }

    void thisComputersMemory()
    {
        const QuorVirtualMemorySummary summary = QuorSuiteTelemetryBus(QDir::tempPath() + QStringLiteral("/no-suite"))
                                                     .readVirtualMemorySummary(QDateTime::currentDateTimeUtc());
        QVERIFY(summary.physicalTotalBytes > 0);
        QVERIFY(summary.physicalUsedBytes > 0 && summary.physicalUsedBytes <= summary.physicalTotalBytes);
        QVERIFY(summary.swapUsedBytes <= summary.swapTotalBytes);
        QVERIFY((QStringList{"normal", "warning", "critical"}).contains(summary.pressureLevel));
        QVERIFY(!summary.isVaskelRunning);
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorVirtualMemorySummary)
#include "tst_quorvirtualmemorysummary.moc"
