#include "Support/QuorTestSupport.h"

#include "QuorZubCore/Services/SelectionWatcherService.h"

#include <QtTest>

using Clicks = SelectionWatcherService::ClickState;

namespace {
// A press at `from` and its release at `to`, `duration` seconds later, with system click count 1.
bool pressAndRelease(Clicks& state, QPointF from, double pressTime, QPointF to, double releaseTime, int clickCount = 1)
{
    state.mouseDownScreenPoint = from;
    state.mouseDownTimestamp = pressTime;
    return SelectionWatcherService::releaseQualifies(state, clickCount, releaseTime, to);
}
} // namespace

class SelectionWatcherRulesTest : public QObject {
    Q_OBJECT

private slots:
    void dragNeedsMoreThanEightPointsInUnderEightSeconds()
    {
        Clicks state;
        QVERIFY(!pressAndRelease(state, {100, 100}, 50.0, {108, 100}, 50.5));
        QVERIFY(!state.mouseDownScreenPoint.has_value());
        QVERIFY(pressAndRelease(state, {100, 100}, 60.0, {108.1, 100}, 60.5));
        QVERIFY(pressAndRelease(state, {0, 0}, 70.0, {6, 6}, 77.9)); // 8.49 pt diagonally
        QVERIFY(!pressAndRelease(state, {0, 0}, 80.0, {100, 0}, 88.0));
    }

    void releaseWithoutRecordedPressOnlyFiresThroughClickRules()
    {
        // The press landed on an ignored location, so no press point exists.
        Clicks state;
        state.lastMouseUpTimestamp = 10.0;
        state.lastMouseUpPoint = {0, 0};
        QVERIFY(!SelectionWatcherService::releaseQualifies(state, 1, 20.0, {300, 300}));
        QVERIFY(SelectionWatcherService::releaseQualifies(state, 1, 20.3, {303, 304}));
    }

    void systemMultiClicksFireRegardlessOfTimingAndDistance()
    {
        Clicks state;
        state.lastMouseUpTimestamp = 5.0;
        QVERIFY(pressAndRelease(state, {10, 10}, 100.0, {10, 10}, 100.01, 2));
        QVERIFY(pressAndRelease(state, {500, 10}, 200.0, {500, 10}, 200.01, 3));
        QCOMPARE(state.lastMouseUpTimestamp, 200.01);
        QCOMPARE(state.lastMouseUpPoint, QPointF(500, 10));
    }

    void quickSecondClickFiresOnlyInsideGapWindowAndRadius()
    {
        struct Case {
            double gap;
            QPointF offset;
            bool fires;
        };
        const QList<Case> cases{
            {0.3, {3, 4}, true},    {0.01, {3, 4}, false}, {0.5, {3, 4}, false},   {0.019, {1, 0}, false},
            {0.025, {1, 0}, true},  {0.415, {1, 0}, true}, {0.425, {1, 0}, false}, {0.3, {12, 0}, false},
            {0.3, {11.9, 0}, true},
        };
        for (const Case& sample : cases) {
            Clicks state;
            QVERIFY(!pressAndRelease(state, {200, 200}, 40.0, {200, 200}, 40.05));
            const QPointF second = QPointF(200, 200) + sample.offset;
            const bool fired = pressAndRelease(state, second, 40.05 + sample.gap - 0.03, second, 40.05 + sample.gap);
            QVERIFY2(fired == sample.fires, qPrintable(QStringLiteral("gap %1, offset %2").arg(sample.gap).arg(sample.offset.x())));
            // Whether or not it fired, this release is what the next one is measured against.
            QCOMPARE(state.lastMouseUpPoint, second);
        }
    }

    void dragFiresInsideGapWindowEvenWhenFarFromPreviousRelease()
    {
        Clicks state;
        QVERIFY(!pressAndRelease(state, {0, 0}, 1.0, {0, 0}, 1.05));
        QVERIFY(pressAndRelease(state, {300, 0}, 1.1, {400, 0}, 1.3));
    }

    void exclusionByBundleIdentifier()
    {
        const std::optional<QString> own = QStringLiteral("com.example.watcher");
        const QSet<QString> excluded{QStringLiteral("org.gnome.terminal"), QStringLiteral("Org.KDE.Konsole")};
        const auto isExcluded = [&](const std::optional<QString>& identifier) {
            return SelectionWatcherService::isBundleIDExcluded(identifier, own, excluded);
        };
        QVERIFY(!isExcluded(std::nullopt));
        QVERIFY(!isExcluded(QString()));
        QVERIFY(isExcluded(QStringLiteral("COM.example.Watcher")));
        QVERIFY(isExcluded(QStringLiteral("com.tallowmer.QuorZub")));
        QVERIFY(isExcluded(QStringLiteral("org.gnome.Terminal")));
        // A member the caller did not lower-case still matches, ignoring case.
        QVERIFY(isExcluded(QStringLiteral("org.kde.konsole")));
        QVERIFY(!isExcluded(QStringLiteral("org.gnome.terminal.extra")));
        QVERIFY(SelectionWatcherService::isBundleIDExcluded(QStringLiteral("com.tallowmer.quorzub"), std::nullopt, {}));
    }

    void fallbackIsSkippedForSecureAndControlRoles()
    {
        QVERIFY(SelectionWatcherService::shouldSkipFallback(QStringLiteral("AXButton"), std::nullopt));
        QVERIFY(SelectionWatcherService::shouldSkipFallback(QStringLiteral("AXTextField"), QStringLiteral("AXSecureTextField")));
        QVERIFY(!SelectionWatcherService::shouldSkipFallback(QStringLiteral("AXTextArea"), std::nullopt));
        // Without a focused element (always, on X11) nothing blocks the fallback.
        QVERIFY(!SelectionWatcherService::shouldSkipFallback(std::nullopt, std::nullopt));
    }
};

QUOR_TEST_GUILESS_MAIN(SelectionWatcherRulesTest)
#include "tst_selectionwatcherrules.moc"
