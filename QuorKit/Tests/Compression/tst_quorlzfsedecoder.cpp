#include "QuorPlatform/Compression/QuorLzfseBlockHeader.h"
#include "QuorPlatform/Compression/QuorLzfseDecoder.h"
#include "Support/QuorTestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

using quor::platform::LzfseDecoder;
using quor::platform::LzfseError;

namespace {

QByteArray sample(const QString& name)
{
    QFile file(quorTestDataPath(QStringLiteral("lzfse/") + name));
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("missing test data %s", qPrintable(file.fileName()));
    }
    return file.readAll();
}

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray le16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// One LZVN block around `opcodes`, with the end-of-stream opcode and its padding appended.
QByteArray lzvnBlock(quint32 rawBytes, const QByteArray& opcodes)
{
    const QByteArray payload = opcodes + QByteArray::fromHex("0600000000000000");
    return "bvxn" + le32(rawBytes) + le32(static_cast<quint32>(payload.size())) + payload;
}

// The blocks of a stream without its end marker, so streams can be spliced together.
QByteArray withoutEnd(const QByteArray& stream)
{
    Q_ASSERT(stream.endsWith("bvx$"));
    return stream.chopped(4);
}

// The same block written with the long version-1 header, which no sample uses.
QByteArray asVersion1(const QByteArray& version2Block)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(version2Block.constData());
    const auto header = quor::platform::lzfse::LzfseBlockHeader::parseVersion2(data, static_cast<std::size_t>(version2Block.size()));
    QByteArray out = "bvx1" + le32(header.rawBytes) + le32(header.literalPayloadBytes + header.lmdPayloadBytes)
        + le32(header.literalCount) + le32(header.matchCount) + le32(header.literalPayloadBytes)
        + le32(header.lmdPayloadBytes) + le32(static_cast<quint32>(header.literalBits));
    for (const auto state : header.literalStates) {
        out += le16(state);
    }
    out += le32(static_cast<quint32>(header.lmdBits)) + le16(header.lState) + le16(header.mState) + le16(header.dState);
    for (const auto frequency : header.lFrequencies) out += le16(frequency);
    for (const auto frequency : header.mFrequencies) out += le16(frequency);
    for (const auto frequency : header.dFrequencies) out += le16(frequency);
    for (const auto frequency : header.literalFrequencies) out += le16(frequency);
    out += QByteArray(2, '\0');
    Q_ASSERT(out.size() == static_cast<qsizetype>(quor::platform::lzfse::version1HeaderSize));
    return out + version2Block.mid(static_cast<qsizetype>(header.headerBytes),
                                   static_cast<qsizetype>(header.literalPayloadBytes + header.lmdPayloadBytes));
}

// Decodes without letting anything but LzfseError escape; returns whether it succeeded.
bool decodesOrFailsCleanly(const QByteArray& stream, qsizetype cap, QByteArray& decoded)
{
    try {
        decoded = LzfseDecoder::decode(stream, cap);
        return true;
    } catch (const LzfseError&) {
        return false;
    }
}

} // namespace

class TestQuorLzfseDecoder : public QObject {
    Q_OBJECT
private slots:
    void samplesDecodeByteForByte_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"tiny.json", "de-flat.json", "ar-pack.json", "de-pack.json"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
    }

    void samplesDecodeByteForByte()
    {
        QFETCH(QString, name);
        QCOMPARE(LzfseDecoder::decode(sample(name + QStringLiteral(".lzfse"))), sample(name));
    }

    void largeMultiBlockSampleMatchesItsChecksum()
    {
        const QByteArray decoded = LzfseDecoder::decode(sample(QStringLiteral("tr-large.json.lzfse")));
        QCOMPARE(decoded.size(), 1027492);
        const QByteArray expected = sample(QStringLiteral("tr-large.json.sha256")).trimmed().left(64);
        QCOMPARE(QCryptographicHash::hash(decoded, QCryptographicHash::Sha256).toHex(), expected);
    }

    void corruptSamplesFailCleanly()
    {
        QVERIFY_THROWS_EXCEPTION(LzfseError, LzfseDecoder::decode(sample(QStringLiteral("corrupt-truncated.json.lzfse"))));
        // A flipped byte may still decode; then the result must not pass as the original JSON.
        QByteArray decoded;
        if (decodesOrFailsCleanly(sample(QStringLiteral("corrupt-flipped.json.lzfse")), LzfseDecoder::defaultMaximumOutput, decoded)) {
            QVERIFY(decoded != sample(QStringLiteral("de-flat.json")));
            QJsonParseError error{};
            QJsonDocument::fromJson(decoded, &error);
            QVERIFY(error.error != QJsonParseError::NoError);
        }
    }

    void blocksOfEveryKindFollowEachOther()
    {
        // Uncompressed, LZVN, version-1 and version-2 blocks in one stream; matches may only look
        // back into output that exists, which includes earlier blocks.
        const QByteArray depack = sample(QStringLiteral("de-pack.json.lzfse"));
        const QByteArray stream = withoutEnd(sample(QStringLiteral("tiny.json.lzfse")))
            + withoutEnd(sample(QStringLiteral("de-flat.json.lzfse"))) + asVersion1(withoutEnd(depack))
            + withoutEnd(depack) + "bvx$";
        const QByteArray expected = sample(QStringLiteral("tiny.json")) + sample(QStringLiteral("de-flat.json"))
            + sample(QStringLiteral("de-pack.json")) + sample(QStringLiteral("de-pack.json"));
        QCOMPARE(LzfseDecoder::decode(stream), expected);
        QCOMPARE(LzfseDecoder::decode(QByteArray("bvx$")), QByteArray());
        QCOMPARE(LzfseDecoder::decode(QByteArray("bvx$trailing bytes are ignored")), QByteArray());
    }

    void lzvnMatchesOverlapAndStayInBounds()
    {
        // Three literals, then a match of 6 at distance 3 that reads what it writes.
        const QByteArray good = lzvnBlock(9, QByteArray::fromHex("e3616263") + QByteArray::fromHex("1803")) + "bvx$";
        QCOMPARE(LzfseDecoder::decode(good), QByteArray("abcabcabc"));
        // Distance 4 reaches before the first byte.
        const QByteArray before = lzvnBlock(9, QByteArray::fromHex("e3616263") + QByteArray::fromHex("1804")) + "bvx$";
        QVERIFY_THROWS_EXCEPTION(LzfseError, LzfseDecoder::decode(before));
        // A repeated distance before any distance was given.
        QVERIFY_THROWS_EXCEPTION(LzfseError, LzfseDecoder::decode(lzvnBlock(3, QByteArray::fromHex("f3")) + "bvx$"));
        // More literals than the payload holds, an undefined opcode, a block larger than its opcodes.
        QVERIFY_THROWS_EXCEPTION(LzfseError, LzfseDecoder::decode(lzvnBlock(15, QByteArray::fromHex("ef6162")) + "bvx$"));
        QVERIFY_THROWS_EXCEPTION(LzfseError, LzfseDecoder::decode(lzvnBlock(1, QByteArray::fromHex("e161" "70")) + "bvx$"));
        QVERIFY_THROWS_EXCEPTION(LzfseError, LzfseDecoder::decode(lzvnBlock(4, QByteArray::fromHex("e3616263")) + "bvx$"));
        // Output beyond the block's declared size.
        QVERIFY_THROWS_EXCEPTION(LzfseError, LzfseDecoder::decode(lzvnBlock(2, QByteArray::fromHex("e3616263")) + "bvx$"));
    }

    void shortDistanceMatchesRepeatTheirPattern()
    {
        // A pattern of `distance` literals, a match of 10 at that distance, then a long repeat of it:
        // the output repeats the pattern whatever the distance, including those under a word's width.
        for (int distance = 1; distance <= 15; ++distance) {
            QByteArray pattern;
            for (int i = 0; i < distance; ++i) {
                pattern += static_cast<char>('a' + i);
            }
            const int repeat = 16 + 45;
            const QByteArray opcodes = QByteArray(1, static_cast<char>(0xE0 | distance)) + pattern
                + QByteArray(1, 0x38) + QByteArray(1, static_cast<char>(distance)) + QByteArray::fromHex("f02d");
            const auto size = static_cast<quint32>(distance + 10 + repeat);
            QByteArray expected;
            while (expected.size() < static_cast<qsizetype>(size)) {
                expected += pattern;
            }
            expected.truncate(size);
            QCOMPARE(LzfseDecoder::decode(lzvnBlock(size, opcodes) + "bvx$"), expected);
        }
    }

    void malformedFramingIsRejected_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no end marker") << QByteArray("bvx-\x02\x00\x00\x00{}", 10);
        QTest::newRow("short magic") << QByteArray("bvx");
        QTest::newRow("unknown block") << QByteArray("bvx3\0\0\0\0bvx$", 12);
        QTest::newRow("raw block past end") << QByteArray("bvx-\xff\x00\x00\x00{}bvx$", 14);
        QTest::newRow("lzvn payload past end") << QByteArray("bvxn\x01\x00\x00\x00\xff\xff\x00\x00bvx$", 16);
        QTest::newRow("v2 header cut") << sample(QStringLiteral("de-pack.json.lzfse")).left(40);
        QTest::newRow("v1 header cut") << QByteArray("bvx1") + QByteArray(100, '\0');
    }

    void malformedFramingIsRejected()
    {
        QFETCH(QByteArray, stream);
        QVERIFY_THROWS_EXCEPTION(LzfseError, LzfseDecoder::decode(stream));
    }

    void outputIsCapped()
    {
        const QByteArray large = sample(QStringLiteral("tr-large.json.lzfse"));
        QVERIFY_THROWS_EXCEPTION(LzfseError, LzfseDecoder::decode(large, 1027491));
        QCOMPARE(LzfseDecoder::decode(large, 1027492).size(), 1027492);
        // A block that only claims a huge size is refused before anything is allocated.
        QVERIFY_THROWS_EXCEPTION(LzfseError, LzfseDecoder::decode(lzvnBlock(0xF0000000u, QByteArray::fromHex("e161")) + "bvx$"));
    }

    // Thousands of truncated and bit-flipped samples: each either decodes within the cap or throws
    // LzfseError; the sanitizers catch any read or write out of bounds.
    void mutatedSamplesNeverCrash()
    {
        QRandomGenerator random(20261209);
        const QList<QPair<QString, int>> plan{
            {QStringLiteral("tiny.json.lzfse"), 300},   {QStringLiteral("de-flat.json.lzfse"), 1500},
            {QStringLiteral("ar-pack.json.lzfse"), 1500}, {QStringLiteral("de-pack.json.lzfse"), 3000},
            {QStringLiteral("tr-large.json.lzfse"), 150},
        };
        constexpr qsizetype cap = 4 * 1024 * 1024;
        int decoded = 0;
        int rejected = 0;
        for (const auto& [name, rounds] : plan) {
            const QByteArray original = sample(name);
            for (int round = 0; round < rounds; ++round) {
                QByteArray mutated = original;
                const int flips = random.bounded(1, 4);
                for (int f = 0; f < flips; ++f) {
                    const auto at = random.bounded(mutated.size());
                    mutated[at] = static_cast<char>(mutated.at(at) ^ static_cast<char>(1 << random.bounded(8)));
                }
                if (random.bounded(3) == 0) {
                    mutated.truncate(random.bounded(mutated.size()));
                }
                QByteArray output;
                if (decodesOrFailsCleanly(mutated, cap, output)) {
                    QVERIFY(output.size() <= cap);
                    ++decoded;
                } else {
                    ++rejected;
                }
            }
        }
        QVERIFY(rejected > 0);
        qInfo("%d mutations decoded, %d rejected", decoded, rejected);
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorLzfseDecoder)
#include "tst_quorlzfsedecoder.moc"
