#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"
#include "Support/QuorTestSupport.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {
// Pieces that break naive text handling: scripts in both directions, combining marks, emoji
// sequences, lone surrogates from a bad paste, controls, and the syntax each tool looks for.
const QStringList& pieces()
{
    static const QStringList list{
        QStringLiteral("a"),        QStringLiteral("Z"),        QStringLiteral(" "),       QStringLiteral("\t"),
        QStringLiteral("\n"),       QStringLiteral("\r"),       QStringLiteral("\r\n"),    QStringLiteral("\u2028"),
        QStringLiteral("\u00A0"),   QStringLiteral("\u3000"),   QStringLiteral("ğ"),       QStringLiteral("İ"),
        QStringLiteral("ı"),        QStringLiteral("ş"),        QStringLiteral("s\u0327"), QStringLiteral("\u0301"),
        QStringLiteral("مرحبا"),    QStringLiteral("שלום"),     QStringLiteral("\u202E"),  QStringLiteral("\u200D"),
        QStringLiteral("日本語"),   QStringLiteral("👨‍👩‍👧"), QStringLiteral("🇹🇷"),      QStringLiteral("👍🏽"),
        QString(QChar(0xD800)),     QString(QChar(0xDFFF)),     QString(QChar(0)),         QStringLiteral("\u0007"),
        QStringLiteral("\uFFFF"),   QStringLiteral("0"),        QStringLiteral("9"),       QStringLiteral("١٢"),
        QStringLiteral("½"),        QStringLiteral("²"),        QStringLiteral("."),       QStringLiteral(","),
        QStringLiteral("+"),        QStringLiteral("−"),        QStringLiteral("×"),       QStringLiteral("÷"),
        QStringLiteral("^"),        QStringLiteral("("),        QStringLiteral(")"),       QStringLiteral("%"),
        QStringLiteral("="),        QStringLiteral("_"),        QStringLiteral("*"),       QStringLiteral("**"),
        QStringLiteral("`"),        QStringLiteral("```"),      QStringLiteral("#"),       QStringLiteral(">"),
        QStringLiteral("["),        QStringLiteral("]"),        QStringLiteral("!["),      QStringLiteral("]("),
        QStringLiteral("https://"), QStringLiteral("http://x.example/"), QStringLiteral("?"), QStringLiteral("&"),
        QStringLiteral("utm_source=1"), QStringLiteral("gclid="), QStringLiteral("%2B"),   QStringLiteral("%"),
        QStringLiteral("#frag"),    QStringLiteral("Dr."),      QStringLiteral("1e308"),   QStringLiteral("999999999"),
    };
    return list;
}

QString randomText(QRandomGenerator& random, int maximumPieces)
{
    const int count = static_cast<int>(random.bounded(maximumPieces + 1));
    QString text;
    for (int i = 0; i < count; ++i) {
        text += pieces().at(static_cast<qsizetype>(random.bounded(static_cast<quint32>(pieces().size()))));
    }
    return text;
}

// Runs every tool on the text; only the evaluator may fail, and only with its own error.
void exercise(const QString& text)
{
    try {
        const auto output = ZubOfflineTextEngine::evaluateMathExpression(text);
        QVERIFY(std::isfinite(output.value));
        QVERIFY(!output.formatted.isEmpty());
    } catch (const ZubMathEvaluator::MathError& error) {
        QVERIFY(!error.errorDescription().isEmpty());
    }

    const ZubURLCleanResult cleaned = ZubOfflineTextEngine::cleanTrackingParameters(text);
    QCOMPARE(cleaned.removedCount, cleaned.removedKeys.size());
    if (cleaned.removedCount == 0) {
        QVERIFY(cleaned.cleanedText == text || cleaned.cleanedText == text.trimmed());
    } else {
        QVERIFY(cleaned.cleanedText.size() < text.size());
    }

    const ZubTextStats stats = ZubOfflineTextEngine::analyzeStats(text);
    QVERIFY(stats.characters <= text.size());
    QVERIFY(stats.charactersWithoutSpaces <= stats.characters);
    QVERIFY(stats.lines <= stats.characters + 1);
    QVERIFY(stats.words <= stats.characters);
    QVERIFY(stats.utf8Bytes >= stats.characters);
    QCOMPARE(stats.lines == 0, text.isEmpty());
    QVERIFY(!ZubOfflineTextEngine::formatStats(stats, QuorLanguage::tr).isEmpty());

    for (const auto style : ZubCaseTransformStyles::allCases()) {
        const QString transformed = ZubOfflineTextEngine::transformCase(text, style);
        if (style == ZubCaseTransformStyle::trimAndCollapseWhitespace || style == ZubCaseTransformStyle::stripMarkdown) {
            QVERIFY(transformed.size() <= text.size());
            QCOMPARE(transformed, transformed.trimmed());
        }
    }
    ZubOfflineTextEngine::detectLanguage(text);
}
} // namespace

class TestZubOfflineBadInput : public QObject {
    Q_OBJECT
private slots:
    void randomTextNeverBreaksATool()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        for (int round = 0; round < 400; ++round) {
            const QString text = randomText(random, round % 10 == 0 ? 400 : 24);
            exercise(text);
            if (QTest::currentTestFailed()) {
                qWarning() << "failing text:" << text;
                return;
            }
        }
    }

    void extremeTexts()
    {
        QRandomGenerator random(4);
        QString mixed;
        while (mixed.size() < 1'000'000) {
            mixed += randomText(random, 64);
        }
        const QList<QString> texts{
            QString(),
            mixed,
            QStringLiteral("👍🏽🇹🇷👨‍👩‍👧").repeated(2000),
            QStringLiteral("مرحبا بالعالم ").repeated(1000) + QStringLiteral("https://x.example/?utm_source=1"),
            QString(200000, QChar(0xD800)),
            QString(200000, u'('),
            QString(200000, u'\u00A0') + u'x',
            QStringLiteral("![").repeated(20000) + QStringLiteral("])"),
            QStringLiteral("https://x.example/") + QString(100000, u')'),
            QStringLiteral("https://x.example/?") + QStringLiteral("a=1&").repeated(50000),
        };
        for (const QString& text : texts) {
            exercise(text);
        }
    }
};

QUOR_TEST_GUILESS_MAIN(TestZubOfflineBadInput)
#include "tst_zubofflinebadinput.moc"
