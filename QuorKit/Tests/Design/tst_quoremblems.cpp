#include "QuorKit/Design/Emblems/QuorAppEmblem.h"
#include "QuorKit/Design/Emblems/QuorAppIdentity.h"
#include "QuorKit/Design/Emblems/QuorBrandMark.h"
#include "QuorKit/Design/Emblems/QuorEmblemArtworkProductivity.h"
#include "QuorKit/Design/Emblems/QuorEmblemArtworkSystemNet.h"
#include "QuorKit/Design/Emblems/QuorEmblemRenderer.h"
#include "QuorKit/Design/Emblems/QuorFlatDraw.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorJson.h"

#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QPainter>
#include <QRegularExpression>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace QuorAppIdentities;

namespace {
// Alpha (0 ... 1) of the bitmap pixel under design point (x, y).
double alphaAt(const QImage& image, double x, double y)
{
    const QPointF pixel = QuorEmblemRenderer::designTransform(image.width()).map(QPointF(x, y));
    return image.pixelColor(static_cast<int>(pixel.x()), static_cast<int>(pixel.y())).alphaF();
}

QImage drawWith(const std::function<void(QPainter&)>& draw, int px = 200)
{
    QImage image(px, px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(QuorEmblemRenderer::designTransform(px));
    draw(painter);
    painter.end();
    return image;
}
} // namespace

class TestQuorEmblems : public QObject {
    Q_OBJECT

private slots:
    void identityTableFollowsItsRules()
    {
        QCOMPARE(allCases().size(), 75);
        const QRegularExpression rawIdShape(QStringLiteral("^[a-z]{6,16}$"));
        QSet<QString> seen;
        int longest = 0;
        for (int i = 0; i < allCases().size(); ++i) {
            const QuorAppIdentity app = allCases()[i];
            QCOMPARE(index(app), i);
            const QString raw = rawValue(app);
            QVERIFY2(rawIdShape.match(raw).hasMatch(), qPrintable(raw));
            QCOMPARE(raw.startsWith(QStringLiteral("quor")), i < 1 || i > 5);
            QVERIFY(!seen.contains(raw));
            seen.insert(raw);
            QCOMPARE(fromRawValue(raw), app);
            QCOMPARE(id(app), raw);
            longest = std::max(longest, static_cast<int>(raw.size()));
        }
        QCOMPARE(rawValue(QuorAppIdentity::quorZub), QStringLiteral("quorzub"));
        QCOMPARE(index(QuorAppIdentity::quorZub), 14);
        QCOMPARE(index(QuorAppIdentity::quorCamera), 27); // first media row
        QCOMPARE(index(QuorAppIdentity::quorMonitor), 43); // first system row
        QCOMPARE(rawValue(allCases()[50]).size(), 16);
        QCOMPARE(longest, 16);
        for (int i = 0; i < 75; ++i) {
            if (i != 50) {
                QVERIFY(rawValue(allCases()[i]).size() < 16);
            }
        }
        QCOMPARE(quorNetLens, allCases()[50]);
    }

    void resolvesNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("row"); // -1: none
        for (const char* name : {"com.tallowmer.quorzub", "QuorZub", "Quor Zub", "quor-zub", "QUOR_ZUB",
                                 "com.tallowmer.quorzub."}) {
            QTest::newRow(name) << QString::fromLatin1(name) << 14;
        }
        QTest::newRow("bundle suffix") << QStringLiteral("QuorZub.app") << -1;
        QTest::newRow("empty") << QString() << -1;
        QTest::newRow("dot") << QStringLiteral(".") << -1;
        QTest::newRow("dots") << QStringLiteral("...") << -1;
        QTest::newRow("accented") << QStringLiteral("quorzüb") << -1;
        QTest::newRow("alias 50") << QStringLiteral("Quor NetLens") << 50;
        QTest::newRow("alias 2 long") << QStringLiteral("inkwelljournaler") << 2;
        QTest::newRow("alias 2 short") << QStringLiteral("com.example.Inkwell-Writer") << 2;
        QTest::newRow("alias 1") << QStringLiteral("TallyBox") << 1;
        QTest::newRow("alias 9") << QStringLiteral("clip list") << 9;
    }

    void resolvesNames()
    {
        QFETCH(QString, name);
        QFETCH(int, row);
        const std::optional<QuorAppIdentity> expected =
            row < 0 ? std::nullopt : std::optional<QuorAppIdentity>(allCases()[row]);
        QCOMPARE(resolve(name), expected);
    }

    void aliasesAreNoRawIds()
    {
        for (const char* alias : {"quornetlens", "inkwelljournaler", "inkwellwriter", "tallybox", "cliplist"}) {
            QCOMPARE(fromRawValue(QString::fromLatin1(alias)), std::nullopt);
            QVERIFY(resolve(QString::fromLatin1(alias)).has_value());
        }
        QCOMPARE(fromRawValue(QStringLiteral("QuorZub")), std::nullopt);
    }

    void json()
    {
        QCOMPARE(toJson(QuorAppIdentity::quorZub), QJsonValue(QStringLiteral("quorzub")));
        QCOMPARE(fromJson(QJsonValue(QStringLiteral("quorzub"))), QuorAppIdentity::quorZub);
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, fromJson(QJsonValue(QStringLiteral("QuorZub"))));
    }

    void currentTriesEachSourceInTurn()
    {
        QCOMPARE(current(), QuorAppIdentity::quorZub); // this build's bundle identifier
        const auto bundle = [](const char* identifier, const char* display) {
            return QuorBundle(QVariantMap{{QStringLiteral("CFBundleIdentifier"), QString::fromLatin1(identifier)},
                                          {QStringLiteral("CFBundleDisplayName"), QString::fromLatin1(display)},
                                          {QStringLiteral("CFBundleName"), 42}},
                              std::nullopt);
        };
        QCOMPARE(current(bundle("com.tallowmer.quorzub", "Quor Wave"), {}), QuorAppIdentity::quorZub);
        QCOMPARE(current(bundle("com.example.unknown", "Quor Wave"), {}), QuorAppIdentity::quorWave);
        QCOMPARE(current(bundle("com.example.unknown", "Nothing"), QStringLiteral("quorgit")), QuorAppIdentity::quorGit);
        QCOMPARE(current(bundle("", ""), QStringLiteral("tst_quoremblems")), std::nullopt);
    }

    void imageSizesKeysAndCache()
    {
        using namespace QuorEmblemRenderer;
        QCOMPARE(cacheKey(QuorAppIdentity::quorZub, 28, 2, false), QStringLiteral("quorzub_56_glass"));
        QCOMPARE(cacheKey(QuorAppIdentity::quorZub, 8, 1, true), QStringLiteral("quorzub_16_tpl"));
        QCOMPARE(cacheKey(QuorAppIdentity::quorZub, 20, 1.5, false), QStringLiteral("quorzub_30_glass"));
        QCOMPARE(cacheKey(QuorAppIdentity::quorZub, 10.25, 2, false), QStringLiteral("quorzub_21_glass"));
        QCOMPARE(cacheKey(QuorAppIdentity::quorZub, 20, 0.5, false), cacheKey(QuorAppIdentity::quorZub, 20, 1, false));
        QCOMPARE(cacheKey(QuorAppIdentity::quorZub, 20, 4, false), cacheKey(QuorAppIdentity::quorZub, 20, 3, false));

        const QuorEmblemImage tiny = image(QuorAppIdentity::quorPdf, 4, 1, false);
        QCOMPARE(tiny.image.size(), QSize(16, 16));
        QCOMPARE(tiny.image.deviceIndependentSize(), QSizeF(10, 10));

        // A key shared by two point sizes gives the same pixels, each at the ratio it asked for.
        const QuorEmblemImage first = image(QuorAppIdentity::quorCalc, 16, 2, false);
        const QuorEmblemImage second = image(QuorAppIdentity::quorCalc, 32, 1, false);
        QCOMPARE(second.image.size(), QSize(32, 32));
        QCOMPARE(second.image.deviceIndependentSize(), QSizeF(32, 32));
        QCOMPARE(first.image.deviceIndependentSize(), QSizeF(16, 16));
        QVERIFY(second.image == first.image);

        // Sizes that are no number count as the smallest; huge ones are capped, not overflowed.
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QCOMPARE(cacheKey(QuorAppIdentity::quorZub, nan, 2, false), QStringLiteral("quorzub_20_glass"));
        QCOMPARE(cacheKey(QuorAppIdentity::quorZub, 20, nan, false), QStringLiteral("quorzub_20_glass"));
        QCOMPARE(cacheKey(QuorAppIdentity::quorZub, -inf, inf, false), QStringLiteral("quorzub_16_glass"));
        const QString capped = QStringLiteral("quorzub_%1_glass").arg(maxPixelSize);
        QCOMPARE(cacheKey(QuorAppIdentity::quorZub, inf, 3, false), QStringLiteral("quorzub_30_glass"));
        QCOMPARE(cacheKey(QuorAppIdentity::quorZub, 1e300, 3, false), capped);
        const QuorEmblemImage huge = image(QuorAppIdentity::quorZub, 1e12, 2, false);
        QCOMPARE(huge.image.size(), QSize(maxPixelSize, maxPixelSize));
        QVERIFY(std::isfinite(huge.image.devicePixelRatio()) && huge.image.devicePixelRatio() > 0);

        // A repeated request shares the cached pixels instead of copying them.
        const QuorEmblemImage once = image(QuorAppIdentity::quorZub, 28, 2, false);
        const QuorEmblemImage twice = image(QuorAppIdentity::quorZub, 28, 2, false);
        QCOMPARE(twice.image.constBits(), once.image.constBits());
        QCOMPARE(twice.image.devicePixelRatio(), 2.0);

        const QuorEmblemImage glass = image(QuorAppIdentity::quorZub, 40, 2, false);
        const QuorEmblemImage tpl = image(QuorAppIdentity::quorZub, 40, 2, true);
        QVERIFY(!glass.isTemplate);
        QVERIFY(tpl.isTemplate);
        QCOMPARE(tpl.image.size(), QSize(80, 80));
        QVERIFY(tpl.image == glass.image);
    }

    // Sizes that are no number, negative or huge give views an edge they can take.
    void viewsClampTheirSize()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        const int most = QuorEmblemRenderer::maxPixelSize;
        const QList<std::pair<double, int>> cases{{nan, 0}, {-inf, 0}, {-3, 0}, {inf, 0}, {27.2, 28}, {1e12, most}};
        for (const auto& [size, side] : cases) {
            const QuorAppEmblem emblem(QuorAppIdentity::quorZub, size, false);
            const QuorBrandMark mark(size, QuorBrandMarkStyle::quorbelSuite());
            QCOMPARE(emblem.size(), QSize(side, side));
            QCOMPARE(emblem.sizeHint(), QSize(side, side));
            QCOMPARE(mark.size(), QSize(side, side));
            QCOMPARE(mark.sizeHint(), QSize(side, side));
        }
        QuorAppEmblem nothing(QuorAppIdentity::quorZub, nan, true);
        QVERIFY(nothing.grab().isNull());
    }

    void pngBypassesTheCache()
    {
        const QByteArray png = QuorEmblemRenderer::pngData(QuorAppIdentity::quorZub, 37);
        const QImage decoded = QImage::fromData(png, "PNG");
        QCOMPARE(decoded.size(), QSize(37, 37));
        QCOMPARE(decoded.pixelColor(0, 0).alpha(), 0);
        QVERIFY(QuorEmblemRenderer::pngData(QuorAppIdentity::quorZub, 0).isEmpty());
        QVERIFY(QuorEmblemRenderer::pngData(QuorAppIdentity::quorZub, -5).isEmpty());
        QVERIFY(QuorEmblemRenderer::pngData(QuorAppIdentity::quorZub, QuorEmblemRenderer::maxPixelSize + 1).isEmpty());
    }

    void ownEmblemInWhiteGlass()
    {
        const QImage image = QuorEmblemRenderer::makeBitmap(QuorAppIdentity::quorZub, 240);
        QCOMPARE(alphaAt(image, 36, 39), 0.0);             // left dot: a full hole
        QCOMPARE(alphaAt(image, 64, 39), 0.0);             // right dot
        QVERIFY(qAbs(alphaAt(image, 50, 39) - 0.98 * 0.14) < 0.02); // middle dot keeps 14 %
        QVERIFY(qAbs(alphaAt(image, 44, 31) - 0.98) < 0.01);        // the pill itself
        QVERIFY(qAbs(alphaAt(image, 50, 52) - 0.98) < 0.01);        // the tail
        QVERIFY(qAbs(alphaAt(image, 50, 64) - 0.46) < 0.01);        // upper bar
        QVERIFY(qAbs(alphaAt(image, 50, 73) - 0.72) < 0.01);        // lower bar
        QCOMPARE(alphaAt(image, 50, 58.5), 0.0);                    // gap between tail and bar
        QCOMPARE(alphaAt(image, 20, 39), 0.0);                      // outside the pill
    }

    void ownEmblemInFlatLightHasNoHoles()
    {
        const QuorEmblemTone tone = QuorEmblemTone::flatLight(QColor(20, 30, 40), QColor(200, 10, 10));
        const QImage image = drawWith([&](QPainter& painter) {
            QVERIFY(QuorEmblemRenderer::drawFlatEmblem(QuorAppIdentity::quorZub, painter, tone));
        });
        const auto colorAt = [&](double x, double y) {
            const QPointF p = QuorEmblemRenderer::designTransform(image.width()).map(QPointF(x, y));
            return image.pixelColor(static_cast<int>(p.x()), static_cast<int>(p.y()));
        };
        QCOMPARE(colorAt(36, 39), QColor(238, 241, 247));
        QCOMPARE(colorAt(50, 39), QColor(200, 10, 10));
        QCOMPARE(colorAt(44, 31), QColor(20, 30, 40));
    }

    void dispatchStaysWithinEachGroup()
    {
        QImage scratch(10, 10, QImage::Format_ARGB32_Premultiplied);
        scratch.fill(Qt::transparent);
        QPainter painter(&scratch);
        const QuorEmblemTone& glass = QuorEmblemTone::whiteGlass();
        for (const QuorAppIdentity app : allCases()) {
            const int row = index(app);
            QCOMPARE(QuorEmblemArtworkProductivity::draw(app, painter, glass), row <= 26);
            QCOMPARE(QuorEmblemArtworkSystemNet::draw(app, painter, glass), row >= 43);
            QVERIFY(QuorEmblemRenderer::drawFlatEmblem(app, painter, glass));
        }
    }

    // Every row paints a pictogram of its own, inside the bitmap's margin.
    void everyRowHasADistinctEmblem()
    {
        constexpr int px = 64;
        QList<QImage> images;
        for (const QuorAppIdentity app : allCases()) {
            const QImage image = QuorEmblemRenderer::makeBitmap(app, px);
            int inked = 0;
            int onTheEdge = 0;
            for (int y = 0; y < px; ++y) {
                for (int x = 0; x < px; ++x) {
                    const int alpha = image.pixelColor(x, y).alpha();
                    inked += alpha > 128 ? 1 : 0;
                    const bool edge = x == 0 || y == 0 || x == px - 1 || y == px - 1;
                    onTheEdge += edge && alpha > 0 ? 1 : 0;
                }
            }
            QVERIFY2(inked > px * px / 12, qPrintable(rawValue(app)));
            QVERIFY2(onTheEdge == 0, qPrintable(rawValue(app)));
            for (int other = 0; other < images.size(); ++other) {
                QVERIFY2(images[other] != image, qPrintable(rawValue(app) + QStringLiteral(" = ") + rawValue(allCases()[other])));
            }
            images.append(image);
        }
    }

    // Rows drawn to a given geometry, probed at telling points in white glass.
    void givenGeometry_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<double>("alpha");
        const double soft = 0.16;
        const auto over = [](double top, double below) { return top + below * (1 - top); };
        QTest::newRow("player: play") << 30 << QPointF(49, 44.5) << over(0.98, soft);
        QTest::newRow("player: dot") << 30 << QPointF(31, 33.5) << over(0.72, soft);
        QTest::newRow("player: screen") << 30 << QPointF(35, 58) << soft;
        QTest::newRow("player: stand") << 30 << QPointF(50, 72.3) << 0.82;
        QTest::newRow("script: sheet") << 34 << QPointF(31, 40) << 0.98;
        QTest::newRow("script: line") << 34 << QPointF(45, 58) << 0.98 * (1 - 0.55 * 1.15);
        QTest::newRow("script: flap") << 34 << QPointF(60, 30) << 0.98 * 0.45;
        QTest::newRow("wave: full bar") << 39 << QPointF(41, 50) << 0.98;
        QTest::newRow("wave: faint bar") << 39 << QPointF(24, 50) << 0.46;
        QTest::newRow("wave: playhead") << 39 << QPointF(49.5, 23) << 0.98;
        QTest::newRow("wave: between") << 39 << QPointF(28.2, 50) << 0.0;
        QTest::newRow("beam: out") << 51 << QPointF(45, 39.5) << over(0.98, soft);
        QTest::newRow("beam: back") << 51 << QPointF(52, 50) << over(0.72, soft);
        QTest::newRow("onion: hole") << 55 << QPointF(50, 42.6) << 0.0;
        QTest::newRow("onion: end") << 55 << QPointF(38, 49) << 0.0;
        QTest::newRow("onion: core") << 55 << QPointF(50, 49) << 0.72;
        QTest::newRow("onion: left") << 55 << QPointF(35, 35) << 0.98;
        QTest::newRow("onion: right") << 55 << QPointF(65, 35) << 0.46;
        QTest::newRow("vault: hole") << 64 << QPointF(46, 45) << 0.0;
        QTest::newRow("vault: pin") << 64 << QPointF(49, 45) << 0.72;
        QTest::newRow("vault: slot") << 64 << QPointF(47, 58) << 0.0;
        QTest::newRow("vault: shield") << 64 << QPointF(42, 58) << 0.98;
        QTest::newRow("rescue: band") << 71 << QPointF(50, 28.5) << 0.98 * 0.38;
        QTest::newRow("rescue: ring") << 71 << QPointF(65.2, 34.8) << 0.98;
        QTest::newRow("rescue: middle") << 71 << QPointF(50, 50) << 0.0;
        QTest::newRow("guard: gem left") << 73 << QPointF(46, 48.5) << 0.98 * 0.14;
        QTest::newRow("guard: gem right") << 73 << QPointF(54, 48.5) << 0.46 * 0.14;
        QTest::newRow("guard: shield") << 73 << QPointF(35, 35) << 0.98;
        // Details that must stand out from white glass.
        QTest::newRow("nib: whole point") << 2 << QPointF(50, 74.5) << 0.98;
        QTest::newRow("key: collar") << 20 << QPointF(56, 44) << 0.72;
        QTest::newRow("scissors: pivot") << 21 << QPointF(50, 43) << 0.72;
        QTest::newRow("scissors: round the pivot") << 21 << QPointF(50, 39.2) << 0.0;
        QTest::newRow("ruler: over a tick") << 36 << QPointF(26, 39.3) << 0.0;
        QTest::newRow("notch: the notch") << 48 << QPointF(50, 33) << 0.98;
        QTest::newRow("notch: screen beside it") << 48 << QPointF(40, 33) << 0.0;
    }

    // Where shapes of one paint overlap, the paint is laid once: no brighter patch, no seam.
    void overlapsOfOnePaint_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QPointF>("point");
        QTest::newRow("stopwatch: stem in crown") << 8 << QPointF(50, 25);
        QTest::newRow("camera: top on body") << 27 << QPointF(44, 34);
        QTest::newRow("notes: stem on beam") << 28 << QPointF(37.8, 33);
        QTest::newRow("download: stem in head") << 53 << QPointF(50, 55);
        QTest::newRow("search: handle on ring") << 62 << QPointF(54.4, 54.4);
        QTest::newRow("database: lid on body") << 63 << QPointF(50, 31);
        QTest::newRow("git: line in node") << 66 << QPointF(34, 31.5);
        QTest::newRow("backup: left puff on base") << 74 << QPointF(40, 56);
        QTest::newRow("backup: right puff on base") << 74 << QPointF(60, 56);
        QTest::newRow("backup: puffs together") << 74 << QPointF(40, 48);
    }

    void overlapsOfOnePaint()
    {
        QFETCH(int, row);
        QFETCH(QPointF, point);
        const double seen = alphaAt(QuorEmblemRenderer::makeBitmap(allCases()[row], 240), point.x(), point.y());
        QVERIFY2(qAbs(seen - 0.98) < 0.006, qPrintable(QStringLiteral("%1 instead of 0.98").arg(seen)));
    }

    void givenGeometry()
    {
        QFETCH(int, row);
        QFETCH(QPointF, point);
        QFETCH(double, alpha);
        const QImage image = QuorEmblemRenderer::makeBitmap(allCases()[row], 240);
        const double seen = alphaAt(image, point.x(), point.y());
        QVERIFY2(qAbs(seen - alpha) < 0.02, qPrintable(QStringLiteral("%1 instead of %2").arg(seen).arg(alpha)));
    }

    // Every emblem in white glass on the app's ground and in a flat light tone, for a person to look at.
    void contactSheet()
    {
        constexpr int cell = 96;
        constexpr int columns = 10;
        const int rows = static_cast<int>((allCases().size() + columns - 1) / columns);
        QImage sheet(2 * columns * cell, rows * cell, QImage::Format_ARGB32_Premultiplied);
        sheet.fill(QColor(238, 241, 247));
        QPainter painter(&sheet);
        painter.fillRect(QRect(0, 0, columns * cell, rows * cell), QColor(58, 24, 64));
        const QuorEmblemTone flat = QuorEmblemTone::flatLight(QColor(34, 40, 64), QColor(232, 84, 140));
        for (const QuorAppIdentity app : allCases()) {
            const int i = index(app);
            const QPoint corner((i % columns) * cell, (i / columns) * cell);
            painter.drawImage(QRect(corner, QSize(cell, cell)), QuorEmblemRenderer::makeBitmap(app, cell));
            painter.drawImage(QRect(corner + QPoint(columns * cell, 0), QSize(cell, cell)), drawWith([&](QPainter& p) {
                QuorEmblemRenderer::drawFlatEmblem(app, p, flat);
            }, cell));
            painter.setPen(QColor(255, 255, 255, 140));
            painter.drawText(corner + QPoint(3, 11), QString::number(i));
        }
        painter.end();
        const QString folder = qEnvironmentVariable("QUOR_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(sheet.save(folder + QStringLiteral("/emblems-contact-sheet.png")));
    }

    void tonePaints()
    {
        const QuorEmblemTone& glass = QuorEmblemTone::whiteGlass();
        QCOMPARE(glass.cutout(0.42), QuorFlatPaint::cutout(0.55));
        QCOMPARE(glass.cutout(0.75).strength, 0.75 * 1.15);
        QCOMPARE(glass.cutout(0.9), QuorFlatPaint::cutout(1.0));
        QCOMPARE(glass.onPrimaryAccent(), QuorFlatPaint::cutout(0.86));
        QCOMPARE(glass.soft().color.alphaF(), QColor::fromRgbF(1, 1, 1, 0.16f).alphaF());
        const QuorEmblemTone flat = QuorEmblemTone::flatLight(QColor(10, 20, 30, 128), Qt::red);
        QCOMPARE(flat.soft().color, QColor::fromRgbF(10 / 255.0f, 20 / 255.0f, 30 / 255.0f, 0.11f)); // replaced, not multiplied
        QCOMPARE(flat.onPrimaryAccent(), QuorFlatPaint::solid(Qt::red));
        QCOMPARE(flat.cutout(0.5).kind, QuorFlatPaint::Kind::color);
    }

    void sharedShapes()
    {
        const QuorEmblemTone& glass = QuorEmblemTone::whiteGlass();
        const QImage sheet = drawWith([&](QPainter& painter) { QuorFlatDraw::foldedSheet(painter, glass); });
        QVERIFY(qAbs(alphaAt(sheet, 40, 50) - 0.98) < 0.01);
        QVERIFY(qAbs(alphaAt(sheet, 59, 30) - 0.98 * 0.45) < 0.02); // the flap erased to 45 %
        const QuorEmblemTone flat = QuorEmblemTone::flatLight(Qt::black, Qt::blue);
        const QImage flatSheet = drawWith([&](QPainter& painter) { QuorFlatDraw::foldedSheet(painter, flat); });
        const QPointF flap = QuorEmblemRenderer::designTransform(200).map(QPointF(59, 30));
        QCOMPARE(flatSheet.pixelColor(flap.toPoint()), QColor(Qt::blue));
        const QImage shield = drawWith([&](QPainter& painter) { QuorFlatDraw::splitShield(painter, glass); });
        QCOMPARE(alphaAt(shield, 50, 40), 0.0); // the gap down the middle
        QVERIFY(qAbs(alphaAt(shield, 60, 40) - 0.46) < 0.01);
    }

    void emblemWidgetPaintsAtItsSize()
    {
        QuorAppEmblem emblem(QuorAppIdentity::quorZub, 40, false);
        QCOMPARE(emblem.size(), QSize(40, 40));
        const QImage grabbed = emblem.grab().toImage();
        int inked = 0;
        for (int y = 0; y < grabbed.height(); ++y) {
            for (int x = 0; x < grabbed.width(); ++x) {
                inked += grabbed.pixelColor(x, y).alpha() > 200 ? 1 : 0;
            }
        }
        QVERIFY(inked > 100);
    }
};

QUOR_TEST_MAIN(TestQuorEmblems)
#include "tst_quoremblems.moc"
