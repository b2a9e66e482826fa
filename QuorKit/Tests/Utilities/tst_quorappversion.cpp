#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/UI/Feedback/QuorVersionBadge.h"
#include "QuorKit/Utilities/QuorAppVersion.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorKit/Utilities/QuorSemVer.h"
#include "Support/QuorTestSupport.h"

#include <QApplication>
#include <QFontDatabase>
#include <QJsonDocument>
#include <QSet>
#include <QtTest>

#include <limits>

namespace {
QuorSemVer v(qint64 major, qint64 minor, qint64 patch)
{
    return {major, minor, patch};
}

// The error a transition throws, or nothing when it is accepted.
std::optional<QuorSemVerError> transitionError(const QuorSemVer& from, const QuorSemVer& to, QuorVersionBumpKind kind)
{
    try {
        QuorSemVer::validateTransition(from, to, kind);
        return std::nullopt;
    } catch (const QuorSemVerError& error) {
        return error;
    }
}
} // namespace

class TestQuorAppVersion : public QObject {
    Q_OBJECT
private slots:
    void currentReadsTheBundleWithFallbacks()
    {
        const QuorBundle trimmed(QVariantMap{{"CFBundleShortVersionString", " 1.4.2 "}, {"CFBundleVersion", "  57 \n"}},
                                 std::nullopt);
        QCOMPARE(QuorAppVersion::current(trimmed, "1.0.0", "100"), (QuorAppVersion{"1.4.2", "57"}));

        const QuorBundle blank(QVariantMap{{"CFBundleShortVersionString", " \t\n"}, {"CFBundleVersion", 57}},
                               std::nullopt);
        // Fallbacks are used as given, untrimmed; a number is not a text.
        QCOMPARE(QuorAppVersion::current(blank, " 9.9.9 ", "100"), (QuorAppVersion{" 9.9.9 ", "100"}));
        QCOMPARE(QuorAppVersion::current(QuorBundle(), "1.0.0", "100"), (QuorAppVersion{"1.0.0", "100"}));

        const QuorAppVersion version{"1.4.2", "57"};
        QCOMPARE(version.tag(), QStringLiteral("v1.4.2"));
        QCOMPARE(version.detailedDisplay(), QStringLiteral("v1.4.2 (57)"));
        QCOMPARE(version.semVer(), std::optional(v(1, 4, 2)));
        QCOMPARE((QuorAppVersion{"1.4", "57"}).semVer(), std::nullopt);
    }

    void parsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("parses");
        QTest::addColumn<qint64>("major");
        QTest::newRow("padded v") << " v1.2.3 " << true << qint64(1);
        QTest::newRow("upper V") << "V1.2.3" << true << qint64(1);
        QTest::newRow("plus sign") << "+1.0.0" << true << qint64(1);
        QTest::newRow("minus zero") << "-0.1.0" << true << qint64(0);
        QTest::newRow("leading zeros") << "01.2.3" << true << qint64(1);
        QTest::newRow("largest") << "9223372036854775807.0.0" << true << std::numeric_limits<qint64>::max();
        QTest::newRow("too large") << "9223372036854775808.0.0" << false << qint64(0);
        QTest::newRow("negative") << "-1.0.0" << false << qint64(0);
        QTest::newRow("two v") << "vv1.2.3" << false << qint64(0);
        QTest::newRow("two parts") << "1.2" << false << qint64(0);
        QTest::newRow("four parts") << "1.2.3.4" << false << qint64(0);
        QTest::newRow("empty component") << "1..3" << false << qint64(0);
        QTest::newRow("pre-release") << "1.2.3-beta" << false << qint64(0);
        QTest::newRow("letter") << "1.2.x" << false << qint64(0);
        QTest::newRow("sign only") << "+.1.2" << false << qint64(0);
        QTest::newRow("two signs") << "+-1.2.3" << false << qint64(0);
        QTest::newRow("inner space") << "1. 2.3" << false << qint64(0);
        QTest::newRow("arabic-indic digit") << QStringLiteral("1.\u0662.3") << false << qint64(0);
        QTest::newRow("empty") << "" << false << qint64(0);
    }

    void parsing()
    {
        QFETCH(QString, text);
        QFETCH(bool, parses);
        QFETCH(qint64, major);
        const auto version = QuorSemVer::fromString(text);
        QCOMPARE(version.has_value(), parses);
        if (version) {
            QCOMPARE(version->major, major);
        }
    }

    void parseThrowsWithTheTextAsGiven()
    {
        QCOMPARE(QuorSemVer::parse("v2.10.0").description(), QStringLiteral("2.10.0"));
        try {
            QuorSemVer::parse(" 1.2 ");
            QFAIL("no error");
        } catch (const QuorSemVerError& error) {
            QCOMPARE(error, QuorSemVerError::invalidFormat(" 1.2 "));
            QCOMPARE(error.errorDescription(),
                     QStringLiteral("Invalid SemVer 2.0.0 string: ' 1.2 ' (expected MAJOR.MINOR.PATCH)."));
            QCOMPARE(error.turkishDescription(), error.englishDescription());
        }
    }

    void valuesOrderHashAndCode()
    {
        QVERIFY(v(1, 10, 0) > v(1, 9, 9));
        QVERIFY(v(2, 0, 0) > v(1, 99, 99));
        QCOMPARE(v(-3, 1, -1), v(0, 1, 0));
        QCOMPARE(QSet<QuorSemVer>({v(1, 2, 3), v(1, 2, 3), v(3, 2, 1)}).size(), 2);
        QCOMPARE(QuorSemVer::fromJson(v(4, 5, 6).toJson()), v(4, 5, 6));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError,
                                 QuorSemVer::fromJson(QJsonDocument::fromJson(R"({"major":1,"minor":2})").object()));
        QCOMPARE(QuorVersionBumpKinds::fromRawValue("minor"), std::optional(QuorVersionBumpKind::minor));
        QCOMPARE(QuorVersionBumpKinds::fromRawValue("Minor"), std::nullopt);
    }

    void bumps()
    {
        const QuorSemVer base = v(1, 2, 3);
        QCOMPARE(base.bumped(QuorVersionBumpKind::build), base);
        QCOMPARE(base.bumped(QuorVersionBumpKind::patch), v(1, 2, 4));
        QCOMPARE(base.bumped(QuorVersionBumpKind::minor), v(1, 3, 0));
        QCOMPARE(base.bumped(QuorVersionBumpKind::major), v(2, 0, 0));
    }

    void bumpAtTheLargestValueFailsCleanly()
    {
        constexpr qint64 top = std::numeric_limits<qint64>::max();
        QCOMPARE(v(top, top, 5).bumped(QuorVersionBumpKind::patch), v(top, top, 6));
        try {
            (void)v(1, 2, top).bumped(QuorVersionBumpKind::patch);
            QFAIL("no error");
        } catch (const QuorSemVerError& error) {
            QCOMPARE(error.kind(), QuorSemVerError::Kind::componentOverflow);
            QCOMPARE(error.from(), QStringLiteral("1.2.9223372036854775807"));
            QVERIFY(error.englishDescription().contains(QStringLiteral("'patch'")));
            QVERIFY(error.turkishDescription() != error.englishDescription());
        }
        QVERIFY_THROWS_EXCEPTION(QuorSemVerError, v(1, top, 0).bumped(QuorVersionBumpKind::minor));
        QVERIFY_THROWS_EXCEPTION(QuorSemVerError, v(top, 0, 0).bumped(QuorVersionBumpKind::major));
        // Validation at the top never overflows: no single step exists there.
        QCOMPARE(transitionError(v(1, 2, top), v(1, 2, top), QuorVersionBumpKind::patch)->kind(),
                 QuorSemVerError::Kind::unexpectedBumpKind);
        QCOMPARE(transitionError(v(top, 0, 0), v(top, 0, 0), QuorVersionBumpKind::build), std::nullopt);
        QCOMPARE(transitionError(v(0, 0, 0), v(top, 0, 0), QuorVersionBumpKind::major)->kind(),
                 QuorSemVerError::Kind::multiStepJumpBlocked);
    }

    void transitions_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("patch") << "1.2.4" << "patch" << "";
        QTest::newRow("minor") << "1.3.0" << "minor" << "";
        QTest::newRow("major") << "2.0.0" << "major" << "";
        QTest::newRow("build") << "1.2.3" << "build" << "";
        QTest::newRow("down with build") << "1.2.2" << "build" << "downgrade";
        QTest::newRow("down with major") << "1.2.2" << "major" << "downgrade";
        QTest::newRow("two patches") << "1.2.5" << "patch" << "multi";
        QTest::newRow("two minors") << "1.4.0" << "minor" << "multi";
        QTest::newRow("two majors") << "3.0.0" << "major" << "multi";
        QTest::newRow("two patches as build") << "1.2.5" << "build" << "multi";
        QTest::newRow("minor with patch") << "1.3.1" << "minor" << "kind";
        QTest::newRow("major with minor") << "2.1.0" << "major" << "kind";
        QTest::newRow("patch as minor") << "1.2.4" << "minor" << "kind";
        QTest::newRow("same as patch") << "1.2.3" << "patch" << "kind";
    }

    void transitions()
    {
        QFETCH(QString, to);
        QFETCH(QString, kind);
        QFETCH(QString, outcome);
        const QuorSemVer from = v(1, 2, 3);
        const QuorVersionBumpKind bump = *QuorVersionBumpKinds::fromRawValue(kind);
        const auto error = transitionError(from, QuorSemVer::parse(to), bump);
        if (outcome.isEmpty()) {
            QCOMPARE(error, std::nullopt);
        } else if (outcome == "downgrade") {
            QCOMPARE(error, QuorSemVerError::downgradeNotAllowed("1.2.3", to));
            QCOMPARE(error->errorDescription(), "Version downgrade blocked: 1.2.3 -> " + to + ".");
        } else if (outcome == "multi") {
            QCOMPARE(error, QuorSemVerError::multiStepJumpBlocked("1.2.3", to));
            QCOMPARE(error->errorDescription(), "Multi-step version jump blocked by Tallowmer policy: 1.2.3 -> " + to
                                                    + ". Only +1 increments are permitted.");
        } else {
            QCOMPARE(error, QuorSemVerError::unexpectedBumpKind(bump, "1.2.3", to));
            QCOMPARE(error->errorDescription(),
                     "Transition 1.2.3 -> " + to + " does not match requested '" + kind + "' bump.");
        }
    }

    void badgeShowsTheVersionInGlassTokens()
    {
        const QuorAppVersion version{"1.4.2", "57"};
        const auto plain = QuorVersionBadge::appearance(version, false);
        QCOMPARE(plain.text, QStringLiteral("v1.4.2"));
        QCOMPARE(QuorVersionBadge::appearance(version, true).text, QStringLiteral("v1.4.2 (57)"));
        QCOMPARE(plain.textColor, QuorGlassTokens::textSecondary());
        QCOMPARE(plain.fill, QuorGlassTokens::surface2());
        QCOMPARE(plain.border, QuorGlassTokens::borderSubtle());

        QuorVersionBadge shortBadge(version, false);
        const QuorVersionBadge longBadge(version, true);
        QVERIFY(longBadge.sizeHint().width() > shortBadge.sizeHint().width());
        QCOMPARE(shortBadge.sizeHint().height(), longBadge.sizeHint().height());
        // The desktop's fixed-pitch font, semibold at 10 points; which face that resolves to is the
        // machine's fonts' business.
        const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        QCOMPARE(shortBadge.font().families(), fixed.families());
        QCOMPARE(shortBadge.font().family(), fixed.family());
        QCOMPARE(shortBadge.font().styleHint(), fixed.styleHint());
        QCOMPARE(shortBadge.font().pointSizeF(), 10.0);
        QCOMPARE(shortBadge.font().weight(), QFont::DemiBold);
        QVERIFY(!shortBadge.grab().isNull()); // paints without a window system
    }
};

QUOR_TEST_MAIN(TestQuorAppVersion)
#include "tst_quorappversion.moc"
