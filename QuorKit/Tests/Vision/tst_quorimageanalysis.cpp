#include "Support/QuorTestSupport.h"

#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Vision/QuorVisionError.h"
#include "QuorKit/Vision/QuorVisionServices.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <cmath>

namespace {

// A busy picture: overlapping coloured ellipses and a line of text, reproducible from `seed`.
QImage scene(QSize size, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(250, 248, 240));
    QRandomGenerator random(seed);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 60; ++i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromHsv(random.bounded(360), 80 + random.bounded(170), 60 + random.bounded(190)));
        const int w = 8 + random.bounded(size.width() / 5);
        const int h = 8 + random.bounded(size.height() / 5);
        painter.drawEllipse(random.bounded(size.width()), random.bounded(size.height()), w, h);
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(12, size.height() / 12));
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("Registration 42"));
    return image;
}

QuorImageFeaturePrint printOf(const QImage& image)
{
    return QuorVisionServices::featurePrint(image);
}

} // namespace

class TestQuorImageAnalysis : public QObject {
    Q_OBJECT
private slots:
    void featurePrintsHaveUnitLength()
    {
        const QuorImageFeaturePrint print = printOf(scene({320, 240}, 1));
        QCOMPARE(print.elements().size(), QuorImageFeaturePrint::elementCount);
        double sum = 0;
        for (const float element : print.elements()) {
            sum += double(element) * element;
        }
        QVERIFY(std::abs(sum - 1.0) < 1e-4);
        QCOMPARE(print.distance(print), 0.0F);
        QCOMPARE(printOf(scene({320, 240}, 1)), print);
    }

    void similarPicturesAreCloserThanDifferentOnes()
    {
        const QImage original = scene({320, 240}, 7);
        const QuorImageFeaturePrint print = printOf(original);

        const float resized = print.distance(printOf(original.scaled(480, 360, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
        QImage brighter = original.copy();
        for (int y = 0; y < brighter.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(brighter.scanLine(y));
            for (int x = 0; x < brighter.width(); ++x) {
                row[x] = qRgb(std::min(255, qRed(row[x]) + 12), std::min(255, qGreen(row[x]) + 12),
                              std::min(255, qBlue(row[x]) + 12));
            }
        }
        const float brightened = print.distance(printOf(brighter));
        const float other = print.distance(printOf(scene({320, 240}, 8)));
        QImage flat(320, 240, QImage::Format_RGB32);
        flat.fill(QColor(20, 90, 200));
        const float unrelated = print.distance(printOf(flat));

        QVERIFY2(resized < 0.1F, qPrintable(QString::number(resized)));
        QVERIFY2(brightened < 0.2F, qPrintable(QString::number(brightened)));
        QVERIFY2(other > 2 * std::max(resized, brightened), qPrintable(QString::number(other)));
        QVERIFY2(unrelated > other, qPrintable(QString::number(unrelated)));
        QVERIFY(unrelated <= 2.0F);
    }

    void emptyImageHasNoFeaturePrint()
    {
        try {
            printOf(QImage());
            QFAIL("an empty image had a feature print");
        } catch (const QuorVisionError& error) {
            QCOMPARE(QuorVisionError::domain, QStringLiteral("QuorVisionServices"));
            QCOMPARE(error.code(), 1);
            // The same text in every language.
            QCOMPARE(localizedDescription(error, QuorLanguage::en), QStringLiteral("Could not compute image feature print."));
            QCOMPARE(localizedDescription(error, QuorLanguage::tr), QStringLiteral("Could not compute image feature print."));
        }
        QVERIFY_THROWS_EXCEPTION(QuorVisionError, QuorImageFeaturePrint().distance(printOf(scene({64, 64}, 3))));
    }

    void offsetLaysTheSecondPictureOverTheFirst_data()
    {
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QPoint>("shift"); // how far the content moves, x right, y down
        QTest::addColumn<double>("tolerance");
        QTest::newRow("right and down") << QSize(400, 300) << QRect(50, 50, 300, 200) << QPoint(12, 7) << 0.5;
        QTest::newRow("left and up") << QSize(400, 300) << QRect(50, 50, 300, 200) << QPoint(-20, -9) << 0.5;
        QTest::newRow("none") << QSize(400, 300) << QRect(50, 50, 300, 200) << QPoint(0, 0) << 0.5;
        QTest::newRow("large picture, shrunk to work") << QSize(1600, 1100) << QRect(100, 100, 1300, 900)
                                                       << QPoint(37, -23) << 3.0;
    }

    void offsetLaysTheSecondPictureOverTheFirst()
    {
        QFETCH(QSize, canvas);
        QFETCH(QRect, window);
        QFETCH(QPoint, shift);
        QFETCH(double, tolerance);
        const QImage big = scene(canvas, 11);
        const QImage from = big.copy(window);
        const QImage to = big.copy(window.translated(-shift));

        const QuorImageOffset offset = QuorVisionServices::translationalOffset(from, to);
        // Moving `to` left by the shift (and up, which is positive y here) covers `from`.
        const QString found = QStringLiteral("(%1, %2)").arg(offset.dx).arg(offset.dy);
        QVERIFY2(std::abs(offset.dx + shift.x()) <= tolerance, qPrintable(found));
        QVERIFY2(std::abs(offset.dy - shift.y()) <= tolerance, qPrintable(found));
    }

    void flatPicturesHaveNoOffset()
    {
        QImage white(200, 100, QImage::Format_RGB32);
        white.fill(Qt::white);
        QImage grey(200, 100, QImage::Format_RGB32);
        grey.fill(Qt::gray);
        QCOMPARE(QuorVisionServices::translationalOffset(white, grey), QuorImageOffset{});
        QCOMPARE(QuorVisionServices::translationalOffset(scene({200, 100}, 4), white), QuorImageOffset{});
    }

    void emptyPicturesCannotBeAligned()
    {
        QVERIFY_THROWS_EXCEPTION(QuorVisionError, QuorVisionServices::translationalOffset(QImage(), scene({50, 50}, 1)));
        QVERIFY_THROWS_EXCEPTION(QuorVisionError, QuorVisionServices::translationalOffset(scene({50, 50}, 1), QImage()));
    }
};

QUOR_TEST_GUI_MAIN(TestQuorImageAnalysis)
#include "tst_quorimageanalysis.moc"
