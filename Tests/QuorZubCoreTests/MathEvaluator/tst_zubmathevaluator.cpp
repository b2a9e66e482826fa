#include "QuorZubCore/Engine/ZubMathEvaluator.h"
#include "Support/QuorTestSupport.h"

#include <QtTest>

#include <cmath>
#include <limits>

using Kind = ZubMathEvaluator::MathError::Kind;
Q_DECLARE_METATYPE(Kind)

namespace {
std::optional<ZubMathEvaluator::MathError> errorOf(const QString& expression)
{
    try {
        ZubMathEvaluator::evaluate(expression);
    } catch (const ZubMathEvaluator::MathError& error) {
        return error;
    }
    return std::nullopt;
}
} // namespace

class TestZubMathEvaluator : public QObject {
    Q_OBJECT
private slots:
    void values_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("formatted");
        const auto row = [](const char* name, const QString& expression, double value, const char* formatted) {
            QTest::newRow(name) << expression << value << QString::fromUtf8(formatted);
        };
        row("precedence", QStringLiteral("2 + 3 × 4"), 14, "14");
        row("group", QStringLiteral("(2 + 3) × 4"), 20, "20");
        row("right-assoc power", QStringLiteral("2^3^2"), 512, "512");
        row("unary binds tighter", QStringLiteral("−2^2"), 4, "4");
        row("negative exponent", QStringLiteral("2^−1"), 0.5, "0.5");
        row("left-assoc minus", QStringLiteral("10 − 2 − 3"), 5, "5");
        row("implicit", QStringLiteral("2(3)"), 6, "6");
        row("implicit groups", QStringLiteral("(1+2)(3+4)"), 21, "21");
        row("decimal comma", QStringLiteral("12,5 + 1"), 13.5, "13.5");
        row("european grouping", QStringLiteral("1.234,5"), 1234.5, "1234.5");
        row("english grouping", QStringLiteral("1,234.5"), 1234.5, "1234.5");
        row("commas as thousands", QStringLiteral("1,234,567"), 1234567, "1234567");
        row("dots as thousands", QStringLiteral("1.234.567"), 1234567, "1234567");
        row("one comma is decimal", QStringLiteral("1,234"), 1.234, "1.234");
        row("percent of total", QStringLiteral("200 + 10%"), 220, "220");
        row("percent off", QStringLiteral("200 - 10%"), 180, "180");
        row("percent product", QStringLiteral("200 × 10%"), 20, "20");
        row("lone percent", QStringLiteral("50%"), 0.5, "0.5");
        row("percent first", QStringLiteral("10% × 200"), 20, "20");
        row("negative percent", QStringLiteral("200 − −10%"), 220, "220");
        row("group percent", QStringLiteral("200 + (5+5)%"), 220, "220");
        row("lone group percent", QStringLiteral("(5+5)%"), 0.1, "0.1");
        row("trailing equals", QStringLiteral("  7 =  "), 7, "7");
        row("signs", QStringLiteral("2 · 3 ÷ 4 – 1 * 1"), 0.5, "0.5");
        row("float noise", QStringLiteral("0.1 + 0.2"), 0.30000000000000004, "0.3");
        row("third", QStringLiteral("1 ÷ 3"), 1.0 / 3.0, "0.333333");
        row("tiny clamps", QStringLiteral("0.0000001 × 0.000001"), 0, "0");
        // Rounds to zero from below: never "-0".
        row("tiny negative", QStringLiteral("1 - 1.0000002"), 1 - 1.0000002, "0");
        row("no grouping", QStringLiteral("1000000 × 1000000"), 1e12, "1000000000000");
        row("newline edges", QStringLiteral("\n 3 + 4\n"), 7, "7");
        // A percentage that is multiplied first is a plain number by the time it is added.
        row("percent in a product", QStringLiteral("200 + 10% * (3,5 − 1,25) ÷ 2"), 200.1125, "200.1125");
    }

    void values()
    {
        QFETCH(QString, expression);
        QFETCH(double, value);
        QFETCH(QString, formatted);
        const auto output = ZubMathEvaluator::evaluate(expression);
        QCOMPARE(output.value, value);
        QCOMPARE(output.formatted, formatted);
    }

    void errors_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("character");
        const auto row = [](const char* name, const QString& expression, Kind kind, const QString& character = {}) {
            QTest::newRow(name) << expression << kind << character;
        };
        row("blanks", QStringLiteral("   "), Kind::emptyExpression);
        row("lone equals", QStringLiteral("="), Kind::emptyExpression);
        row("underscores only", QStringLiteral("__"), Kind::emptyExpression);
        row("double equals", QStringLiteral("2+2=="), Kind::invalidCharacter, QStringLiteral("="));
        row("equation", QStringLiteral("2 + 3 = 5"), Kind::invalidCharacter, QStringLiteral("="));
        row("letter x", QStringLiteral("2 x 3"), Kind::invalidCharacter, QStringLiteral("x"));
        row("accented minus", QStringLiteral("2 -\u0301 3"), Kind::invalidCharacter, QStringLiteral("-\u0301"));
        row("emoji", QStringLiteral("1 + 👍🏽"), Kind::invalidCharacter, QStringLiteral("👍🏽"));
        row("division by zero", QStringLiteral("5 ÷ 0"), Kind::divisionByZero);
        row("by zero percent", QStringLiteral("5 / 0%"), Kind::divisionByZero);
        row("tiny divisor", QStringLiteral("1 / 0.0000000000000001"), Kind::divisionByZero);
        row("overflow", QStringLiteral("10^400"), Kind::nonFiniteResult);
        row("cube root of negative", QStringLiteral("(−8)^(1÷3)"), Kind::nonFiniteResult);
        row("huge literal", QString(400, u'9'), Kind::nonFiniteResult);
        row("unclosed", QStringLiteral("(1 + 2"), Kind::unmatchedParenthesis);
        row("wrong closer", QStringLiteral("(1 + 2 3"), Kind::unmatchedParenthesis);
        row("stray closer", QStringLiteral("1 + 2)"), Kind::unexpectedToken);
        row("trailing operator", QStringLiteral("3 +"), Kind::unexpectedToken);
        row("two numbers", QStringLiteral("2 3"), Kind::unexpectedToken);
        row("separated percent", QStringLiteral("5 %"), Kind::unexpectedToken);
        row("underscore splits", QStringLiteral("1_000"), Kind::unexpectedToken);
        row("lone dot", QStringLiteral("."), Kind::unexpectedToken);
        row("mixed separators", QStringLiteral("1.2,3,4"), Kind::unexpectedToken);
        row("arabic digits", QStringLiteral("١٢ + 1"), Kind::unexpectedToken);
        row("superscript", QStringLiteral("2²"), Kind::unexpectedToken);
        // Tokenizing comes first, and its leftmost problem wins.
        row("number before letter", QStringLiteral("( 1.2,3,4 x"), Kind::unexpectedToken);
        row("letter before syntax", QStringLiteral(") + y"), Kind::invalidCharacter, QStringLiteral("y"));
        row("deep nesting", QString(100000, u'(') + QStringLiteral("1"), Kind::unexpectedToken);
    }

    void errors()
    {
        QFETCH(QString, expression);
        QFETCH(Kind, kind);
        QFETCH(QString, character);
        const auto error = errorOf(expression);
        QVERIFY(error.has_value());
        QCOMPARE(error->kind(), kind);
        QCOMPARE(error->character(), character);
    }

    void errorTextsAreEnglishEverywhere()
    {
        const ZubMathEvaluator::MathError error(Kind::invalidCharacter, QStringLiteral("x"));
        QCOMPARE(error.errorDescription(), QStringLiteral("Unsupported character '\u2068x\u2069' in expression."));
        QCOMPARE(error.turkishDescription(), error.englishDescription());
        QCOMPARE(ZubMathEvaluator::MathError(Kind::divisionByZero).errorDescription(), QStringLiteral("Division by zero."));
        QVERIFY(ZubMathEvaluator::MathError(Kind::emptyExpression) == ZubMathEvaluator::MathError(Kind::emptyExpression));
    }

    void longChainsDoNotRecurse()
    {
        // A selection of a million signs or powers must neither crash nor stall.
        QString signs(500000, u'-');
        signs += QStringLiteral("3");
        QCOMPARE(ZubMathEvaluator::evaluate(signs).value, 3.0);
        QString powers = QStringLiteral("1");
        for (int i = 0; i < 100000; ++i) {
            powers += QStringLiteral("^1");
        }
        QCOMPARE(ZubMathEvaluator::evaluate(powers).value, 1.0);
    }

    void formatting()
    {
        QCOMPARE(ZubMathEvaluator::formatNumber(2.5), QStringLiteral("2.5"));
        QCOMPARE(ZubMathEvaluator::formatNumber(1e15), QStringLiteral("1000000000000000"));
        QCOMPARE(ZubMathEvaluator::formatNumber(-1234.5678904), QStringLiteral("-1234.56789"));
        QCOMPARE(ZubMathEvaluator::formatNumber(0.9999999), QStringLiteral("1"));
        QCOMPARE(ZubMathEvaluator::formatNumber(-0.0), QStringLiteral("0"));
        QCOMPARE(ZubMathEvaluator::formatNumber(123456789012345.67), QStringLiteral("123456789012345.671875"));
        // Scaling by a million overflows here; the text still comes from the value itself.
        const double huge = 1.5e303;
        const QString text = ZubMathEvaluator::formatNumber(huge);
        QVERIFY2(!text.contains(QStringLiteral("inf")), qPrintable(text));
        QCOMPARE(text.size(), 304);
        QVERIFY(text.startsWith(QStringLiteral("1")));
        QVERIFY(!ZubMathEvaluator::formatNumber(-std::numeric_limits<double>::max()).contains(QStringLiteral("inf")));
        const auto output = ZubMathEvaluator::evaluate(QStringLiteral("1.5 × 10^303"));
        QCOMPARE(output.formatted.size(), 304);
    }
};

QUOR_TEST_GUILESS_MAIN(TestZubMathEvaluator)
#include "tst_zubmathevaluator.moc"
