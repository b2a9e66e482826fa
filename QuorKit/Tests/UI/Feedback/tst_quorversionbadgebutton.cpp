#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/UI/Feedback/QuorVersionAndLogsView.h"
#include "QuorKit/UI/Feedback/QuorVersionBadgeButton.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QtTest>

namespace {
const QuorAppVersion version{QStringLiteral("1.4.2"), QStringLiteral("57")};

QuorVersionAndLogsView* screenOf(const QuorVersionBadgeButton& button)
{
    return button.sheet() ? button.sheet()->findChild<QuorVersionAndLogsView*>() : nullptr;
}
} // namespace

class TestQuorVersionBadgeButton : public QObject {
    Q_OBJECT
private slots:
    void badgeHelpAndFeedbackButton()
    {
        QuorVersionBadgeButton plain(QStringLiteral("QuorNote"), version, nullptr, QuorProductPalette::deepAmber,
                                     QuorLanguage::en, false, false);
        QCOMPARE(plain.badgeButton()->text(), QStringLiteral("v1.4.2"));
        QCOMPARE(plain.badgeButton()->accessibleName(), QStringLiteral("v1.4.2"));
        // The help names the build even when the badge does not.
        QCOMPARE(plain.badgeButton()->toolTip(), QStringLiteral("Version v1.4.2 (57) — Click to view Release History & Logs"));
        QVERIFY(!plain.findChild<QWidget*>(QStringLiteral("feedbackButton")));

        QuorVersionBadgeButton full(QStringLiteral("QuorNote"), version, nullptr, QuorProductPalette::deepAmber,
                                    QuorLanguage::tr, true, true);
        QCOMPARE(full.badgeButton()->text(), QStringLiteral("v1.4.2 (57)"));
        QCOMPARE(full.badgeButton()->toolTip(),
                 QStringLiteral("Sürüm v1.4.2 (57) — Sürüm Geçmişi ve Logları görmek için tıklayın"));
        QVERIFY(full.findChild<QWidget*>(QStringLiteral("feedbackButton")));
        // Without a logger both use the application's shared one.
        QCOMPARE(full.logger(), plain.logger());
        QCOMPARE(full.logger(), QuorAppLogger::shared(QStringLiteral("QuorNote")));
    }

    void eachOpeningStartsAFreshScreen()
    {
        const auto logger = std::make_shared<QuorAppLogger>(QStringLiteral("QuorNote"), quorTestSandboxPath() + "/badge-logs",
                                                            QuorAppLogger::defaultMaxFileBytes, 5,
                                                            [] { return version; });
        logger->log(QuorLogLevel::info, QStringLiteral("lifecycle"), QStringLiteral("started"));
        logger->log(QuorLogLevel::error, QStringLiteral("action"), QStringLiteral("failed"));
        QuorVersionBadgeButton button(QStringLiteral("QuorNote"), version, logger, QuorProductPalette::deepAmber,
                                      QuorLanguage::en, true, false);
        button.show();
        QVERIFY(!button.sheet());
        button.badgeButton()->click();
        QVERIFY(button.isSheetPresented());
        QCOMPARE(button.sheet()->minimumSize(), QSize(720, 560));
        QCOMPARE(button.sheet()->windowModality(), Qt::WindowModal);
        // The control with the keyboard wears its ring from the start, as if Tab had brought it.
        QVERIFY(QTest::qWaitForWindowActive(button.sheet()));
        QVERIFY(QuorKeyboardReach::showsFocusRing(QApplication::focusWidget()));
        QVERIFY(button.sheet()->testAttribute(Qt::WA_KeyboardFocusChange));
        QuorVersionAndLogsView* screen = screenOf(button);
        QUOR_TRY_COMPARE(screen->entries().size(), 2);
        screen->setSelectedMinLevel(QuorLogLevel::error);
        screen->copyLogs();
        QVERIFY(screen->copiedToast());

        // The screen's close button closes the sheet; the next opening starts over.
        screen->findChild<QAbstractButton*>(QStringLiteral("closeButton"))->click();
        QVERIFY(!button.isSheetPresented());
        QVERIFY(!button.sheet());
        logger->log(QuorLogLevel::warn, QStringLiteral("ocr"), QStringLiteral("later"));
        button.badgeButton()->click();
        screen = screenOf(button);
        QVERIFY(!screen->copiedToast());
        QCOMPARE(screen->selectedMinLevel(), QuorLogLevel::debug);
        QUOR_TRY_COMPARE(screen->entries().size(), 3);

        // Escape or the window manager closing the dialog clears the flag too.
        button.sheet()->reject();
        QVERIFY(!button.isSheetPresented());
        QUOR_TRY_VERIFY(!screenOf(button));
    }
};

QUOR_TEST_MAIN(TestQuorVersionBadgeButton)
#include "tst_quorversionbadgebutton.moc"
