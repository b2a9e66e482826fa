#include "QuorPlatform/Dictionary/QuorDictdDictionaryService.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <zlib.h>

using namespace quor::platform;

namespace {
const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

QByteArray encodeNumber(qint64 value)
{
    QByteArray text;
    do {
        text.prepend(digits[value % 64]);
        value /= 64;
    } while (value > 0);
    return text;
}

void appendLittleEndian16(QByteArray& bytes, int value)
{
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>((value >> 8) & 0xFF));
}

// A dictzip file of `text` in chunks of `chunkLength` bytes, each raw deflate and flushed so it
// inflates on its own.
QByteArray dictzip(const QByteArray& text, int chunkLength)
{
    QList<QByteArray> chunks;
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    for (qsizetype start = 0; start < text.size(); start += chunkLength) {
        const QByteArray piece = text.mid(start, chunkLength);
        QByteArray out(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(piece.size()))) + 64, '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.constData()));
        stream.avail_in = static_cast<uInt>(piece.size());
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = static_cast<uInt>(out.size());
        deflate(&stream, start + chunkLength >= text.size() ? Z_FINISH : Z_FULL_FLUSH);
        out.truncate(out.size() - stream.avail_out);
        chunks.append(out);
    }
    deflateEnd(&stream);

    QByteArray field("RA");
    appendLittleEndian16(field, 6 + 2 * static_cast<int>(chunks.size()));
    appendLittleEndian16(field, 1);
    appendLittleEndian16(field, chunkLength);
    appendLittleEndian16(field, static_cast<int>(chunks.size()));
    for (const auto& chunk : chunks) {
        appendLittleEndian16(field, static_cast<int>(chunk.size()));
    }
    QByteArray file("\x1f\x8b\x08\x0c\0\0\0\0\x02\x03", 10); // FEXTRA and FNAME
    appendLittleEndian16(file, static_cast<int>(field.size()));
    file.append(field);
    file.append("test.dict");
    file.append('\0');
    for (const auto& chunk : chunks) {
        file.append(chunk);
    }
    return file;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

struct Entry {
    QByteArray headword;
    QByteArray text;
};

// Writes name.index and name.dict(.dz) into `folder`, entries in the given order.
void writeDatabase(const QString& folder, const QString& name, const QList<Entry>& entries, bool compressed,
                   const QByteArray& extraIndexLines = {})
{
    QByteArray text;
    QByteArray index = extraIndexLines;
    for (const auto& entry : entries) {
        index += entry.headword + '\t' + encodeNumber(text.size()) + '\t' + encodeNumber(entry.text.size()) + '\n';
        text += entry.text;
    }
    QDir().mkpath(folder);
    writeFile(folder + u'/' + name + QStringLiteral(".index"), index);
    if (compressed) {
        writeFile(folder + u'/' + name + QStringLiteral(".dict.dz"), dictzip(text, 16));
    } else {
        writeFile(folder + u'/' + name + QStringLiteral(".dict"), text);
    }
}
} // namespace

class TestQuorDictionary : public QObject {
    Q_OBJECT
private slots:
    void decodesDictdNumbers()
    {
        QCOMPARE(DictdDatabase::decodeNumber("BdrF5"), 24555897);
        QCOMPARE(DictdDatabase::decodeNumber("A"), 0);
        QCOMPARE(DictdDatabase::decodeNumber("/"), 63);
        QCOMPARE(DictdDatabase::decodeNumber("BA"), 64);
        QVERIFY(!DictdDatabase::decodeNumber(""));
        QVERIFY(!DictdDatabase::decodeNumber("ab=c"));
        QVERIFY(!DictdDatabase::decodeNumber("AAAAAAAAAAA"));
    }

    void installedWordNetAnswers()
    {
        DictdDictionaryService service;
        QCOMPARE(service.databaseNames().value(0), QStringLiteral("wn"));
        const auto apple = service.definition(QStringLiteral("Apple"));
        QVERIFY(apple.has_value());
        QVERIFY(apple->startsWith(QStringLiteral("apple\n")));
        QVERIFY(apple->contains(QStringLiteral("fruit with red or yellow or green skin")));
        QVERIFY(service.definition(QStringLiteral("  orchard \t apple   TREE ")).has_value());
        QVERIFY(service.definition(QStringLiteral("rock'n'roll")).has_value());
        QVERIFY(!service.definition(QStringLiteral("00-database-info")));
        QVERIFY(!service.definition(QStringLiteral("qwzxv not a word")));
        QVERIFY(!service.definition(QString()));

        // After the index is in memory a look-up takes a chunk inflation at most (in the time this
        // thread ran: a busy machine may also keep it waiting for a CPU).
        const QuorHeldClock timer;
        QVERIFY(service.definition(QStringLiteral("zebra")).has_value());
        QVERIFY2(timer.elapsedMs() < 200, qPrintable(QString::number(timer.elapsedMs())));
    }

    void entriesSpanChunksAndRepeat()
    {
        const QString folder = quorTestSandboxPath() + QStringLiteral("/dz");
        const QByteArray zeta = "zeta\n  the last letter of the Greek alphabet\n";
        // Chunks of 16 bytes: every entry crosses at least one chunk border. The index lists the
        // zeta entry (offset 0) once more under another spelling, as some databases do.
        writeDatabase(folder, QStringLiteral("test"),
                      {{"zeta", zeta},
                       {"alpha", "alpha\n  the first letter\n"},
                       {"alpha", "alpha\n  a second sense of it\n"},
                       {"çağ", "çağ\n  Turkish for era\n"}},
                      true, "00-database-utf8\tA\tA\n00-database-allchars\tA\tA\nZeta\tA\t" + encodeNumber(zeta.size()) + '\n');
        DictdDictionaryService service({folder});
        QCOMPARE(service.definition(QStringLiteral("zeta")), QStringLiteral("zeta\n  the last letter of the Greek alphabet\n"));
        QCOMPARE(service.definition(QStringLiteral("ALPHA")),
                 QStringLiteral("alpha\n  the first letter\n\n\nalpha\n  a second sense of it\n"));
        QCOMPARE(service.definition(QStringLiteral("ÇAĞ")), QStringLiteral("çağ\n  Turkish for era\n"));
    }

    void databasesWithoutAllCharsIgnorePunctuation()
    {
        const QString folder = quorTestSandboxPath() + QStringLiteral("/plain");
        writeDatabase(folder, QStringLiteral("plain"), {{"o'clock", "oclock entry\n"}}, false);
        DictdDictionaryService service({folder});
        QCOMPARE(service.definition(QStringLiteral("O'Clock")), QStringLiteral("oclock entry\n"));
        QCOMPARE(service.definition(QStringLiteral("oclock")), QStringLiteral("oclock entry\n"));
    }

    void damagedDatabasesGiveNothing()
    {
        const QString folder = quorTestSandboxPath() + QStringLiteral("/damaged");
        QDir().mkpath(folder);
        // Out-of-range offsets, bad digits and lines without tabs are skipped, never read.
        writeFile(folder + QStringLiteral("/bad.index"),
                  "far\t////////\tB\nbroken\tA!\tB\nnotabs\nhuge\tA\t//////\nok\tA\tD\n");
        writeFile(folder + QStringLiteral("/bad.dict.dz"), dictzip("ok\nrest of text", 16));
        // A gzip file with no chunk table, and an index without its text.
        writeFile(folder + QStringLiteral("/nochunks.index"), "word\tA\tE\n");
        writeFile(folder + QStringLiteral("/nochunks.dict.dz"), QByteArray("\x1f\x8b\x08\0\0\0\0\0\x02\x03garbage", 17));
        writeFile(folder + QStringLiteral("/orphan.index"), "lonely\tA\tE\n");

        QByteArray truncated = dictzip("chunky text that spans chunks of sixteen bytes", 16);
        truncated.chop(10);
        writeFile(folder + QStringLiteral("/cut.index"), "chunky\tA\tu\n");
        writeFile(folder + QStringLiteral("/cut.dict.dz"), truncated);

        DictdDictionaryService service({folder});
        QCOMPARE(service.definition(QStringLiteral("ok")), QStringLiteral("ok\n"));
        for (const char* term : {"far", "broken", "notabs", "huge", "word", "lonely", "chunky"}) {
            QVERIFY2(!service.definition(QString::fromLatin1(term)), term);
        }
        QVERIFY(!DictdDictionaryService({QStringLiteral("/nonexistent")}).definition(QStringLiteral("ok")));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorDictionary)
#include "tst_quordictionary.moc"
