#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/System/QuorBundle.h"
#include "Support/QuorTestSupport.h"

#include <QtTest>

class TestQuorFeedbackService : public QObject {
    Q_OBJECT
private slots:
    void currentAppNameTakesTheFirstNonBlankSource()
    {
        using QuorFeedbackService::resolvedCurrentAppName;
        const QuorBundle display(QVariantMap{{"CFBundleDisplayName", "  Quor Zub \n"}, {"CFBundleName", "QuorZub"}},
                                 std::nullopt);
        QCOMPARE(resolvedCurrentAppName(display, "fallback"), QStringLiteral("Quor Zub"));

        const QuorBundle blankDisplay(QVariantMap{{"CFBundleDisplayName", " \t"}, {"CFBundleName", " QuorZub"}},
                                      std::nullopt);
        QCOMPARE(resolvedCurrentAppName(blankDisplay, "fallback"), QStringLiteral("QuorZub"));

        // Not a text: skipped; then the process's own name.
        const QuorBundle numbers(QVariantMap{{"CFBundleDisplayName", 7}}, std::nullopt);
        QCOMPARE(resolvedCurrentAppName(numbers, "fallback"), QStringLiteral("tst_quorfeedbackservice"));

        QCoreApplication::setApplicationName(QStringLiteral("  "));
        const QString fromProc = resolvedCurrentAppName(QuorBundle(), " fallback ");
        QVERIFY(fromProc.startsWith(QStringLiteral("tst_quorfeedbac"))); // the kernel keeps 15 characters
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorFeedbackService)
#include "tst_quorfeedbackservice.moc"
