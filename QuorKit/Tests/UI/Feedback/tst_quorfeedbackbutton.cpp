#include "QuorKit/Cloud/QuorBrowserHandOff.h"
#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Cloud/QuorSupportLog.h"
#include "QuorKit/UI/Feedback/QuorFeedbackButton.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "Support/QuorFakeLauncher.h"
#include "Support/QuorTestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

namespace {
// Plays the browser: notes every address it is asked to open.
struct UrlRecorder {
    QList<QUrl> opened;
    UrlRecorder()
    {
        QuorBrowserHandOff::setDefaultOpener([this](const QUrl& url) {
            opened << url;
            return true;
        });
    }
    ~UrlRecorder() { QuorBrowserHandOff::setDefaultOpener({}); }
};

QWidget* unopenedPagePopup()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QStringLiteral("unopenedPagePopup") && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// The log's lines of `category` that name `url`.
QStringList logLines(const QString& category, const QUrl& url)
{
    QStringList lines;
    for (const QuorLogEntry& entry : QuorSupportLog::logger()->recentEntries(50)) {
        if (entry.category == category && entry.message.contains(QuorSupportLog::address(url))) {
            lines << entry.message;
        }
    }
    return lines;
}
} // namespace

class TestQuorFeedbackButton : public QObject {
    Q_OBJECT
private slots:
    void bothLooksOpenTheSameForm()
    {
        UrlRecorder recorder;
        const QuorAppVersion version{QStringLiteral("1.0.0"), QStringLiteral("100")};
        QuorFeedbackButton compact("QuorZub", version, QuorFeedbackKind::feature, QuorLanguage::en,
                                   QuorFeedbackButtonStyle::compactIcon, std::nullopt);
        QuorFeedbackButton pill("QuorZub", version, QuorFeedbackKind::feature, QuorLanguage::en,
                                QuorFeedbackButtonStyle::labeledPill, std::nullopt);
        compact.click();
        pill.click();
        QCOMPARE(recorder.opened.size(), 2);
        QCOMPARE(recorder.opened[0], recorder.opened[1]);
        QCOMPARE(recorder.opened[0], *QuorFeedbackService::webFeedbackURL("QuorZub", version, QuorFeedbackKind::feature,
                                                                           QuorLanguage::en));

        // An override reaches the form builder, which trims it.
        QuorFeedbackButton custom("QuorZub", version, QuorFeedbackKind::bug, QuorLanguage::tr,
                                  QuorFeedbackButtonStyle::compactIcon, QStringLiteral(" https://example.test/ "));
        custom.click();
        QCOMPARE(recorder.opened.last().toString(QUrl::RemoveQuery), QStringLiteral("https://example.test/tr/geri-bildirim"));
    }

    // The desktop's launcher is the program that decides: one that exits with an error opened
    // nothing, although it started.
    void theLaunchersAnswerDecides_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("opens");
        QTest::newRow("the launcher fails") << 3 << false;
        QTest::newRow("the launcher opens it") << 0 << true;
    }

    void theLaunchersAnswerDecides()
    {
        QFETCH(int, exitCode);
        QFETCH(bool, opens);
        const QuorFakeLauncher launcher(exitCode);
        QVERIFY(launcher.isReady());
        QuorSupportLog::logger()->clear();

        // An address no other test opens, so the log's lines are this click's.
        QuorFeedbackButton button("QuorZub", {QStringLiteral("1.0.0"), QStringLiteral("100")}, QuorFeedbackKind::feature,
                                  QuorLanguage::tr, QuorFeedbackButtonStyle::compactIcon,
                                  QStringLiteral("https://launcher.example/") + QString::number(exitCode));
        const QUrl form = *button.formURL();
        button.show();
        button.click();
        QUOR_TRY_COMPARE(logLines(QuorSupportLog::feedback, form).size(), 1);
        QCOMPARE(launcher.addresses(), QStringList{form.toString(QUrl::FullyEncoded)});
        QCOMPARE(logLines(QuorSupportLog::feedback, form).first().contains(QStringLiteral("opened in the browser")), opens);
        QCOMPARE(logLines(QuorSupportLog::browser, form).size(), opens ? 0 : 1);
        // Told in the interface language, with the address to copy.
        QWidget* popup = unopenedPagePopup();
        QCOMPARE(popup != nullptr, !opens);
        if (popup != nullptr) {
            QCOMPARE(popup->findChild<QLabel*>(QStringLiteral("unopenedMessage"))->text(),
                     QuorBrowserHandOff::failureMessage(QuorLanguage::tr));
            QCOMPARE(popup->findChild<QLabel*>(QStringLiteral("unopenedAddress"))->text(), form.toString(QUrl::FullyEncoded));
            popup->close();
        }
    }

    void textsFollowTheLanguage()
    {
        const QuorAppVersion version{QStringLiteral("1.0.0"), QStringLiteral("100")};
        QuorFeedbackButton pill("QuorZub", version, QuorFeedbackKind::feature, QuorLanguage::tr,
                                QuorFeedbackButtonStyle::labeledPill, std::nullopt);
        QCOMPARE(pill.text(), QStringLiteral("Geri Bildirim & Fikir Gönder"));
        QCOMPARE(pill.toolTip(), QStringLiteral("Sizi dinliyoruz — Hata bildir veya fikir paylaş"));
        QCOMPARE(pill.formURL()->path(), QStringLiteral("/tr/geri-bildirim"));
        pill.setLanguage(QuorLanguage::en);
        QCOMPARE(pill.text(), QStringLiteral("Send Feedback & Ideas"));

        // The icon shows no text but keeps a name for assistive tools and a fixed size.
        QuorFeedbackButton compact("QuorZub", version, QuorFeedbackKind::feature, QuorLanguage::en,
                                   QuorFeedbackButtonStyle::compactIcon, std::nullopt);
        QVERIFY(compact.text().isEmpty());
        QCOMPARE(compact.accessibleName(), QStringLiteral("Listening to you — Report a bug or share an idea"));
        QCOMPARE(compact.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
        QVERIFY(compact.sizeHint().width() < pill.sizeHint().width());
    }
};

QUOR_TEST_MAIN(TestQuorFeedbackButton)
#include "tst_quorfeedbackbutton.moc"
