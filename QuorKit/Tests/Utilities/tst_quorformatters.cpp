#include "QuorKit/Utilities/QuorBidiIsolation.h"
#include "QuorKit/Utilities/QuorByteFormatter.h"
#include "QuorKit/Utilities/QuorChecksum.h"
#include "Support/QuorTestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {
const QString emptyDigest = QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");

QString writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = quorTestSandboxPath() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

QString sha256Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QByteArray littleEndianSize(qint64 size)
{
    QByteArray bytes(8, '\0');
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<char>((static_cast<quint64>(size) >> (8 * i)) & 0xFF);
    }
    return bytes;
}

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}
} // namespace

class TestQuorFormatters : public QObject {
    Q_OBJECT
private slots:
    void byteCounts()
    {
        using QuorByteFormatter::format;
        QCOMPARE(format(999), QStringLiteral("999 B"));
        QCOMPARE(format(1000), QStringLiteral("1.0 KB"));
        QCOMPARE(format(1536), QStringLiteral("1.5 KB"));
        QCOMPARE(format(999'999), QStringLiteral("1000.0 KB"));
        QCOMPARE(format(1'048'576), QStringLiteral("1.0 MB"));
        QCOMPARE(format(999'999'999), QStringLiteral("1000.0 MB"));
        QCOMPARE(format(5'000'000'000), QStringLiteral("5.00 GB"));
        QCOMPARE(format(2'500'000'000'000), QStringLiteral("2.50 TB"));
        QCOMPARE(format(std::numeric_limits<qint64>::max()), QStringLiteral("9223372.04 TB"));
        QCOMPARE(format(-5), QStringLiteral("0 B"));
    }

    void rates()
    {
        using QuorByteFormatter::formatRate;
        QCOMPARE(formatRate(0), QStringLiteral("0 B/s"));
        QCOMPARE(formatRate(12.4), QStringLiteral("12 B/s"));
        QCOMPARE(formatRate(999.5), QStringLiteral("1000 B/s"));
        QCOMPARE(formatRate(1500), QStringLiteral("1.5 KB/s"));
        QCOMPARE(formatRate(2'500'000), QStringLiteral("2.5 MB/s"));
        QCOMPARE(formatRate(2e9), QStringLiteral("2.00 GB/s"));
        QCOMPARE(formatRate(-3), QStringLiteral("0 B/s"));
        QCOMPARE(formatRate(std::nan("")), QStringLiteral("0 B/s"));
    }

    void durations()
    {
        using QuorByteFormatter::formatDuration;
        QCOMPARE(formatDuration(0), QStringLiteral("00:00"));
        QCOMPARE(formatDuration(59.4), QStringLiteral("00:59"));
        QCOMPARE(formatDuration(59.5), QStringLiteral("01:00"));
        QCOMPARE(formatDuration(425), QStringLiteral("07:05"));
        QCOMPARE(formatDuration(3599), QStringLiteral("59:59"));
        QCOMPARE(formatDuration(3600), QStringLiteral("1:00:00"));
        QCOMPARE(formatDuration(90'061), QStringLiteral("25:01:01"));
        QCOMPARE(formatDuration(-10), QStringLiteral("00:00"));
        // Values no caller passes still give a text rather than undefined behaviour.
        QCOMPARE(formatDuration(std::nan("")), QStringLiteral("00:00"));
        QCOMPARE(formatDuration(-HUGE_VAL), QStringLiteral("00:00"));
        QCOMPARE(formatDuration(HUGE_VAL), QStringLiteral("2562047788015215:30:07"));
    }

    void savings()
    {
        using QuorByteFormatter::savingsPercent;
        QCOMPARE(savingsPercent(200, 50), 75.0);
        QCOMPARE(savingsPercent(100, 150), -50.0);
        QCOMPARE(savingsPercent(0, 50), 0.0);
        QCOMPARE(savingsPercent(-10, 5), 0.0);
        QVERIFY(savingsPercent(1, std::numeric_limits<qint64>::min()) > 0); // no overflow trap
    }

    void csvFields()
    {
        using QuorByteFormatter::csvSafeField;
        QCOMPARE(csvSafeField("=SUM(A1)"), QStringLiteral("\"'=SUM(A1)\""));
        QCOMPARE(csvSafeField("+1"), QStringLiteral("\"'+1\""));
        QCOMPARE(csvSafeField("-1"), QStringLiteral("\"'-1\""));
        QCOMPARE(csvSafeField("@cmd"), QStringLiteral("\"'@cmd\""));
        QCOMPARE(csvSafeField("\tx"), QStringLiteral("\"'\tx\""));
        QCOMPARE(csvSafeField("\rx"), QStringLiteral("\"'\rx\""));
        QCOMPARE(csvSafeField("say \"hi\""), QStringLiteral("\"say \"\"hi\"\"\""));
        QCOMPARE(csvSafeField("plain"), QStringLiteral("\"plain\""));
        QCOMPARE(csvSafeField(""), QStringLiteral("\"\""));
        QCOMPARE(csvSafeField("a=b"), QStringLiteral("\"a=b\""));
        // A trigger that begins a longer user-perceived character still counts.
        QCOMPARE(csvSafeField("\r\n=1+1"), QStringLiteral("\"'\r\n=1+1\""));
        QCOMPARE(csvSafeField(QStringLiteral("=\u0301HYPERLINK()")), QStringLiteral("\"'=\u0301HYPERLINK()\""));
    }

    // A quote set into a sentence keeps its own direction marks, balanced so that none of them
    // reaches past the quote.
    void quotesAreIsolated()
    {
        using QuorBidiIsolation::isolated;
        QCOMPARE(isolated(QStringLiteral("a\u202Eb")), QStringLiteral("\u2068a\u202Eb\u2069"));
        // A pop with nothing of its own to close would end the isolate early.
        QCOMPARE(isolated(QStringLiteral("\u2069\u202Ex")), QStringLiteral("\u2068\u202Ex\u2069"));
        // An isolate the quote leaves open would take the final pop for itself.
        QCOMPARE(isolated(QStringLiteral("\u2067x\u2066y\u2069")), QStringLiteral("\u2068\u2067x\u2066y\u2069\u2069\u2069"));
        // A new paragraph starts with nothing open.
        QCOMPARE(isolated(QStringLiteral("\u2067x\ny")), QStringLiteral("\u2068\u2067x\ny\u2069"));
        QCOMPARE(isolated(QString()), QStringLiteral("\u2068\u2069"));
    }

    void wholeFileDigest()
    {
        const QString empty = writeFile("empty.bin", {});
        QCOMPARE(QuorChecksum::sha256(empty), emptyDigest);
        QCOMPARE(QuorChecksum::sha256(writeFile("abc.txt", "abc")),
                 QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));

        const QByteArray content = pattern(300'000);
        const QString file = writeFile("content.bin", content);
        const QString expected = sha256Hex(content);
        for (const qint64 chunk : {qint64(1), qint64(7), qint64(4096), qint64(299'999), qint64(1) << 40}) {
            QCOMPARE(QuorChecksum::sha256(file, chunk), expected);
        }
    }

    void nonPositiveSizesUseTheDefault()
    {
        const QByteArray content = pattern(200'000);
        const QString file = writeFile("sizes.bin", content);
        QCOMPARE(QuorChecksum::sha256(file, 0), sha256Hex(content));
        QCOMPARE(QuorChecksum::sha256(file, -1), sha256Hex(content));
        const QString withDefault = QuorChecksum::partialFingerprint(file);
        QCOMPARE(QuorChecksum::partialFingerprint(file, 0), withDefault);
        QCOMPARE(QuorChecksum::partialFingerprint(file, -4096), withDefault);
        QVERIFY(withDefault != sha256Hex(littleEndianSize(content.size())));
    }

    void fingerprints()
    {
        QCOMPARE(QuorChecksum::partialFingerprint(writeFile("empty2.bin", {}), 16),
                 sha256Hex(littleEndianSize(0)));

        // Sample at least the size: the start sample alone.
        const QByteArray small = pattern(100);
        QCOMPARE(QuorChecksum::partialFingerprint(writeFile("small.bin", small), 100),
                 sha256Hex(littleEndianSize(100) + small));
        // Overlapping samples when shorter than twice the sample.
        QCOMPARE(QuorChecksum::partialFingerprint(writeFile("overlap.bin", small), 60),
                 sha256Hex(littleEndianSize(100) + small.left(60) + small.right(60)));

        // Same size, start and end: same fingerprint whatever lies between.
        QByteArray first = pattern(10'000);
        QByteArray second = first;
        second[5000] = static_cast<char>(second[5000] ^ 0xFF);
        const QString a = QuorChecksum::partialFingerprint(writeFile("a.bin", first), 1000);
        QCOMPARE(QuorChecksum::partialFingerprint(writeFile("b.bin", second), 1000), a);
        second[9999] = static_cast<char>(second[9999] ^ 0xFF);
        QVERIFY(QuorChecksum::partialFingerprint(writeFile("b.bin", second), 1000) != a);
        QVERIFY(QuorChecksum::partialFingerprint(writeFile("c.bin", first + "x"), 1000) != a);
        // A sample far larger than the file reads only what is there.
        QCOMPARE(QuorChecksum::partialFingerprint(writeFile("small.bin", small), qint64(1) << 40),
                 sha256Hex(littleEndianSize(100) + small));
    }

    void unreadableFilesThrow()
    {
        const QString missing = quorTestSandboxPath() + QStringLiteral("/missing.bin");
        QVERIFY_THROWS_EXCEPTION(QuorChecksumError, QuorChecksum::sha256(missing));
        QVERIFY_THROWS_EXCEPTION(QuorChecksumError, QuorChecksum::partialFingerprint(missing));
        try {
            QuorChecksum::sha256(quorTestSandboxPath());
            QFAIL("a folder has no digest");
        } catch (const QuorChecksumError& error) {
            QCOMPARE(error.errorNumber(), EISDIR);
            QVERIFY(error.englishDescription().contains(quorTestSandboxPath()));
        }
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorFormatters)
#include "tst_quorformatters.moc"
