#include "QuorPlatform/QRCode/QuorQrencodeGenerator.h"
#include "Support/QuorTestSupport.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QtTest>

using quor::platform::QrencodeGenerator;

namespace {
// What a real reader sees in the image.
QByteArray decodeWithZbar(const QByteArray& png)
{
    const QString path = quorTestSandboxPath() + QStringLiteral("/code.png");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size()) {
        return {};
    }
    file.close();
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("--raw"), QStringLiteral("-Sbinary"), path});
    if (!zbar.waitForFinished(20000) || zbar.exitCode() != 0) {
        return {};
    }
    return zbar.readAllStandardOutput();
}
} // namespace

class TestQuorQRCode : public QObject {
    Q_OBJECT
private slots:
    void readsBackExactly()
    {
        QrencodeGenerator generator;
        for (const QByteArray& data : {QStringLiteral("Merhaba dünya 🌍 https://example.com/?a=1&b=%2B").toUtf8(),
                                       QByteArray("x"), QByteArray("nul\0inside", 10)}) {
            const auto png = generator.pngData(data, 4);
            QVERIFY(png.has_value());
            QVERIFY(png->startsWith("\x89PNG"));
            QCOMPARE(decodeWithZbar(*png), data);
        }
    }

    void sizeFollowsTheModuleSize()
    {
        const QImage small = QrencodeGenerator::render("hello", 1);
        const QImage large = QrencodeGenerator::render("hello", 10);
        // Version 1: 21 modules and a four-module quiet zone on each side.
        QCOMPARE(small.width(), 29);
        QCOMPARE(large.width(), 290);
        QCOMPARE(large.height(), 290);
        QCOMPARE(QrencodeGenerator::render("hello", 1000).width(), 29 * QrencodeGenerator::maximumModuleSize);
        QCOMPARE(large.pixelColor(0, 0), QColor(Qt::white));
        QCOMPARE(large.pixelColor(40, 40), QColor(Qt::black));
    }

    void unencodableDataGivesNothing()
    {
        QrencodeGenerator generator;
        QVERIFY(!generator.pngData(QByteArray(), 4));
        QVERIFY(!generator.pngData(QByteArray(4000, 'a'), 4));
        QVERIFY(generator.pngData(QByteArray(2000, 'a'), 2));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorQRCode)
#include "tst_quorqrcode.moc"
