#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/UI/Feedback/QuorFeedbackButton.h"
#include "Support/QuorTestSupport.h"

#include <QDesktopServices>
#include <QtTest>

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class TestQuorFeedbackButton : public QObject {
    Q_OBJECT
private slots:
    void bothLooksOpenTheSameForm()
    {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        auto cleanup = qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); });
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
