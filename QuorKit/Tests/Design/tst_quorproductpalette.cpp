#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorHexColor.h"
#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorKit/Utilities/QuorJson.h"

#include "Support/QuorTestSupport.h"

#include <QtTest>

#include <cmath>

class TestQuorProductPalette : public QObject {
    Q_OBJECT

private slots:
    void rawValuesAreExactCaseNames()
    {
        QCOMPARE(QuorProductPalettes::allCases().size(), 9);
        QCOMPARE(QuorProductPalettes::allCases().first(), QuorProductPalette::deepViolet);
        QCOMPARE(QuorProductPalettes::fromRawValue(QStringLiteral("deepCoral")), QuorProductPalette::deepCoral);
        QCOMPARE(QuorProductPalettes::fromRawValue(QStringLiteral("DeepCoral")), std::nullopt);
        QCOMPARE(QuorProductPalettes::fromRawValue(QStringLiteral("deep Coral")), std::nullopt);
        QCOMPARE(QuorProductPalettes::fromRawValue(QString()), std::nullopt);
        for (const QuorProductPalette palette : QuorProductPalettes::allCases()) {
            QCOMPARE(QuorProductPalettes::fromRawValue(QuorProductPalettes::rawValue(palette)), palette);
        }
    }

    void json()
    {
        QCOMPARE(QuorProductPalettes::toJson(QuorProductPalette::deepAbyss), QJsonValue(QStringLiteral("deepAbyss")));
        QCOMPARE(QuorProductPalettes::fromJson(QJsonValue(QStringLiteral("deepCyan"))), QuorProductPalette::deepCyan);
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorProductPalettes::fromJson(QJsonValue(QStringLiteral("coral"))));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorProductPalettes::fromJson(QJsonValue(7)));
    }

    void coloursAreExactBytes()
    {
        const QuorGroundStops coral = QuorProductPalettes::groundStops(QuorProductPalette::deepCoral);
        QCOMPARE(coral.topLeft, QColor(0x6E, 0x1F, 0x63));
        QCOMPARE(quorHexColor(0x6E1F63), coral.topLeft);
        QCOMPARE(quorHexColor(0xFF6E1F63), coral.topLeft); // top byte ignored
        QCOMPARE(QuorProductPalettes::accentColor(QuorProductPalette::deepCoral), QColor(0xF4, 0x72, 0xD0));
        QCOMPARE(qRound(quorHexColor(0x123456, 0.25).alphaF() * 1000), 250);
    }

    void rgbStopsRoundGroundStops()
    {
        const auto& coral = QuorProductPalettes::rgbStops(QuorProductPalette::deepCoral);
        QCOMPARE(coral[0], (QuorRgbStop{0.431, 0.122, 0.388}));
        QCOMPARE(coral[2], (QuorRgbStop{0.141, 0.043, 0.149}));
        QCOMPARE(QuorProductPalettes::rgbStops(QuorProductPalette::deepCobalt)[1], (QuorRgbStop{0.086, 0.2, 0.369}));
        const auto round3 = [](float component) { return std::round(static_cast<double>(component) * 1000) / 1000; };
        for (const QuorProductPalette palette : QuorProductPalettes::allCases()) {
            const QuorGroundStops stops = QuorProductPalettes::groundStops(palette);
            const auto& rgb = QuorProductPalettes::rgbStops(palette);
            const QColor colors[] = {stops.topLeft, stops.middle, stops.bottomRight};
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(rgb[i].r, round3(colors[i].redF()));
                QCOMPARE(rgb[i].g, round3(colors[i].greenF()));
                QCOMPARE(rgb[i].b, round3(colors[i].blueF()));
            }
        }
    }

    void tokens()
    {
        QCOMPARE(QuorGlassTokens::surface1(), QColor::fromRgbF(1, 1, 1, 0.06f));
        QCOMPARE(QuorGlassTokens::borderStrong(), QColor::fromRgbF(1, 1, 1, 0.28f));
        QCOMPARE(QuorGlassTokens::textMuted(), QColor::fromRgbF(1, 1, 1, 0.5f));
        QCOMPARE(QuorGlassTokens::warning(), QColor(0xFF, 0xB8, 0x4D));
        QCOMPARE(QuorGlassTokens::accentViolet(),
                 QuorProductPalettes::accentColor(QuorProductPalette::deepViolet));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorProductPalette)
#include "tst_quorproductpalette.moc"
