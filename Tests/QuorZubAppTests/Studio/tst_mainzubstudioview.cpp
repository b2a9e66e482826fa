#include "FakeStudioModel.h"
#include "StudioFixtures.h"

#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/Studio/MainZubStudioView.h"
#include "QuorZubApp/Views/Studio/ZubPlaygroundView.h"
#include "QuorZubApp/Views/Studio/ZubSettingsView.h"

#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorToastBanner.h"
#include "QuorKit/UI/Feedback/QuorVersionAndLogsView.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QtTest>

#include <cerrno>

namespace {
QAbstractButton* tabButton(const QWidget& view, ZubStudioTab tab)
{
    return view.findChild<QAbstractButton*>(QStringLiteral("tab:") + QString::number(static_cast<int>(tab)));
}

QStringList tabTitles(const MainZubStudioView& view)
{
    QStringList titles;
    for (const ZubStudioTab tab : ZubStudioHeaderPresentation::tabOrder()) {
        titles << tabButton(view, tab)->accessibleName();
    }
    return titles;
}

ZubHistoryRecord record(bool pinned)
{
    ZubHistoryRecord r = ZubHistoryRecord::fromResult(studio_fixtures::translation());
    r.isPinned = pinned;
    return r;
}
// Records of several kinds: a pinned translation, a failed custom action, a spoken text, a QR code.
QList<ZubHistoryRecord> screenshotHistory()
{
    ZubHistoryRecord translation = record(true);
    ZubHistoryRecord failure = record(false);
    failure.actionKind = ZubActionKind::customAI;
    failure.actionTitle = QStringLiteral("Polite Slack Reply");
    failure.inputText = QStringLiteral("can we move the review to thursday? the build is still red");
    failure.outputText = QStringLiteral("Could not reach the local AI server at 127.0.0.1:11434. Start Ollama or "
                                        "choose another provider in Settings.");
    failure.detectedLanguageCode = QStringLiteral("en");
    failure.targetLanguageCode.reset();
    failure.isError = true;
    failure.durationMs = 31;
    ZubHistoryRecord speech = record(false);
    speech.actionKind = ZubActionKind::speak;
    speech.actionTitle = QStringLiteral("Speak");
    speech.inputText = QStringLiteral("Merhaba, bugün nasılsın?");
    speech.outputText = speech.inputText;
    speech.targetLanguageCode.reset();
    speech.durationMs = 4;
    ZubHistoryRecord qr = ZubHistoryRecord::fromResult(studio_fixtures::qrResult());
    // Long texts: an address without spaces wraps anywhere; outputs stop after four lines.
    ZubHistoryRecord link = record(false);
    link.actionKind = ZubActionKind::cleanURL;
    link.actionTitle = QStringLiteral("Clean URL");
    link.inputText = QStringLiteral("https://tallowmer.com/quorzub/releases/2026/12/linux-build-notes?version=1&utm_source="
                                    "twitter&utm_medium=social&utm_campaign=launch&fbclid=IwAR2abcDEFghiJKLmnoPQRstuVWXyz"
                                    "0123456789&si=xyz99#features-and-known-limits");
    link.outputText = QStringLiteral("https://tallowmer.com/quorzub/releases/2026/12/linux-build-notes?version=1"
                                     "#features-and-known-limits");
    link.detectedLanguageCode.reset();
    link.targetLanguageCode.reset();
    link.durationMs = 2;
    ZubHistoryRecord summary = record(false);
    summary.actionKind = ZubActionKind::summarize;
    summary.actionTitle = QStringLiteral("Summarize");
    summary.inputText = QStringLiteral("Meeting notes, Tuesday.\nAttendees: Ada, Deniz, Mert.\nWe reviewed the Linux port "
                                       "of the selection bar and agreed on the release plan.");
    summary.outputText = QStringLiteral("- The Linux port is feature complete.\n- XWayland sessions work with limits.\n"
                                        "- Release candidate on Friday.\n- Deniz writes the notes.\n- Mert checks the "
                                        "keyring on KDE.\n- Next review in two weeks.");
    summary.detectedLanguageCode = QStringLiteral("en");
    summary.targetLanguageCode.reset();
    summary.durationMs = 1840;
    QList<ZubHistoryRecord> records{translation, link, summary, failure, speech, qr};
    const QDateTime now(QDate(2026, 12, 9), QTime(14, 32), Qt::UTC);
    for (qsizetype i = 0; i < records.size(); ++i) {
        records[i].createdAt = now.addSecs(-600 * i);
    }
    return records;
}
} // namespace

class TestMainZubStudioView : public QObject {
    Q_OBJECT
private slots:
    void init() { QuorLanguages::setCurrent(QuorLanguage::en); }

    void switchingTabsRebuildsTheTab()
    {
        FakeStudioModel model;
        MainZubStudioView view(model, Qt::magenta);
        view.resize(1160, 740);
        view.show();
        QCOMPARE(view.shownTab(), ZubStudioTab::playground);
        QVERIFY(qobject_cast<ZubPlaygroundView*>(view.tabView()));
        QPointer<QWidget> playground = view.tabView();

        tabButton(view, ZubStudioTab::settings)->click();
        QCOMPARE(model.selectedTab(), ZubStudioTab::settings);
        QVERIFY(qobject_cast<ZubSettingsView*>(view.tabView()));
        QUOR_TRY_VERIFY(playground.isNull());
        // Short-lived form text belongs to the tab and goes with it.
        auto* field = view.tabView()->findChild<QLineEdit*>(QStringLiteral("manualBundleID"));
        field->setText(QStringLiteral("org.example.editor"));
        QCOMPARE(static_cast<ZubSettingsView*>(view.tabView())->manualBundleID(), QStringLiteral("org.example.editor"));
        tabButton(view, ZubStudioTab::actions)->click();
        QCOMPARE(view.tabView()->objectName(), QStringLiteral("actionsTab"));
        tabButton(view, ZubStudioTab::settings)->click();
        QCOMPARE(static_cast<ZubSettingsView*>(view.tabView())->manualBundleID(), QString());
        QVERIFY(view.tabView()->findChild<QLineEdit*>(QStringLiteral("manualBundleID"))->text().isEmpty());

        // A tab chosen elsewhere moves both the highlight and the content.
        model.setSelectedTab(ZubStudioTab::history);
        QCOMPARE(view.tabView()->objectName(), QStringLiteral("historyTab"));
        QVERIFY(view.presentation().tabs[2].isActive);
        QVERIFY(!view.presentation().tabs[3].isActive);
        // The same tab again keeps its view.
        QPointer<QWidget> history = view.tabView();
        tabButton(view, ZubStudioTab::history)->click();
        QCOMPARE(view.tabView(), history.data());
        // The settings tab's AI card refreshed the catalog as it came on screen: that work ends
        // before its store goes, or it outlives the test.
        QUOR_TRY_VERIFY(!model.catalogStore().isSyncing() && !model.creditsStore().isRefreshing());
    }

    // The studio opens with the keyboard in the playground's text, and the long settings column
    // is where the user left it when they come back to it from another tab.
    void theStudioStartsInTheTextAndTheSettingsKeepTheirPlace()
    {
        FakeStudioModel model;
        MainZubStudioView view(model, Qt::magenta);
        view.resize(1160, 740);
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QCOMPARE(QApplication::focusWidget(), view.tabView()->findChild<QWidget*>(QStringLiteral("editor")));

        tabButton(view, ZubStudioTab::settings)->click();
        QUOR_TRY_VERIFY(view.tabScrollArea()->verticalScrollBar()->maximum() > 300);
        view.tabScrollArea()->verticalScrollBar()->setValue(300);
        tabButton(view, ZubStudioTab::actions)->click();
        QCOMPARE(view.tabScrollArea()->verticalScrollBar()->value(), 0);
        tabButton(view, ZubStudioTab::settings)->click();
        QUOR_TRY_COMPARE(view.tabScrollArea()->verticalScrollBar()->value(), 300);
        QUOR_TRY_VERIFY(!model.catalogStore().isSyncing() && !model.creditsStore().isRefreshing());
    }

    // Every tab still lays out in the room a 1024x768 screen leaves under a panel and a frame; the
    // header leaves out its product name and tab icons to get there, and shows them when there is room.
    void everyTabFitsASmallScreen()
    {
        for (const QuorLanguage language : {QuorLanguage::en, QuorLanguage::tr}) {
            FakeStudioModel model;
            model.setLanguage(language);
            MainZubStudioView view(model, Qt::magenta);
            const auto header = [&view] { return view.findChild<QWidget*>(QStringLiteral("studioHeader")); };
            // Measured unshown, so the settings tab starts no work of its own.
            for (const ZubStudioTab tab : ZubStudioHeaderPresentation::tabOrder()) {
                model.setSelectedTab(tab);
                const QSize content = view.tabView()->minimumSizeHint();
                QVERIFY2(content.width() <= 1008 && header()->minimumSizeHint().height() + content.height() <= 640,
                         qPrintable(QStringLiteral("tab %1 needs %2x%3").arg(static_cast<int>(tab)).arg(content.width()).arg(content.height())));
            }
            model.setSelectedTab(ZubStudioTab::history);
            // As in the studio window, whose minimum is the screen's, not the layout's.
            view.setMinimumSize(600, 400);
            view.resize(1008, 640);
            view.show();
            const auto productName = [&header] {
                const QList<QLabel*> labels = header()->findChildren<QLabel*>();
                return *std::find_if(labels.begin(), labels.end(),
                                     [](const QLabel* label) { return label->text() == QStringLiteral("QuorZub"); });
            };
            QVERIFY(productName()->isHidden());
            QVERIFY2(header()->minimumSizeHint().width() <= 1008, qPrintable(QString::number(header()->minimumSizeHint().width())));
            // Where the details come back, they fit too.
            view.resize(ZubStudioHeaderPresentation::compactBelow, 740);
            QVERIFY(!productName()->isHidden());
            QVERIFY(header()->minimumSizeHint().width() <= ZubStudioHeaderPresentation::compactBelow);
        }
    }

    void tabTitlesCountAtOnce()
    {
        FakeStudioModel model;
        MainZubStudioView view(model, Qt::magenta);
        const qsizetype enabled = model.config().enabledActions().size();
        QCOMPARE(tabTitles(view)[1], QStringLiteral("Actions (%1)").arg(enabled));
        QCOMPARE(tabTitles(view)[2], QStringLiteral("History (0)"));
        ZubConfig config = model.config();
        config.actions[0].isEnabled = false;
        model.setConfig(config);
        QCOMPARE(tabTitles(view)[1], QStringLiteral("Actions (%1)").arg(enabled - 1));
        model.setHistory({record(true), record(false), record(false)});
        QCOMPARE(tabTitles(view)[2], QStringLiteral("History (3)"));

        model.setLanguage(QuorLanguage::tr);
        QCOMPARE(tabTitles(view)[2], QStringLiteral("Geçmiş (3)"));
        QCOMPARE(tabTitles(view)[0], QStringLiteral("Oyun Alanı"));
        QCOMPARE(view.presentation().productName, QStringLiteral("QuorZub"));
    }

    void headerControlsActThroughTheModel()
    {
        FakeStudioModel model;
        MainZubStudioView view(model, Qt::magenta);
        auto* pill = view.findChild<QAbstractButton*>(QStringLiteral("autoPill"));
        QCOMPARE(pill->accessibleName(), QStringLiteral("Auto-Zub"));
        pill->click();
        QCOMPARE(model.calls.filter(QStringLiteral("setAutoShowOnSelection")), QStringList{"setAutoShowOnSelection: false"});
        QCOMPARE(pill->accessibleName(), QStringLiteral("Paused"));
        pill->click();
        QVERIFY(model.config().autoShowOnSelection);
        QCOMPARE(pill->accessibleName(), QStringLiteral("Auto-Zub"));

        auto* ocr = view.findChild<QAbstractButton*>(QStringLiteral("ocrButton"));
        ocr->click();
        QCOMPARE(model.count(QStringLiteral("triggerScreenOCRTranslate")), 1);
        model.setCapturing(true);
        QCOMPARE(ocr->text(), QStringLiteral("Capturing…"));
        QVERIFY(!ocr->isEnabled());
        ocr->click();
        QCOMPARE(model.count(QStringLiteral("triggerScreenOCRTranslate")), 1);
        model.setCapturing(false);
        QVERIFY(ocr->isEnabled());
        QCOMPARE(ocr->text(), QStringLiteral("OCR Translate"));
    }

    void toastShowsTheModelsMessage()
    {
        FakeStudioModel model;
        MainZubStudioView view(model, Qt::magenta);
        view.resize(1160, 740);
        view.show();
        QCOMPARE(view.toastBanner(), nullptr);
        model.showToast(QStringLiteral("Type some text in Playground first."), true);
        QVERIFY(view.toastBanner() != nullptr);
        QCOMPARE(view.toastBanner()->message(), QStringLiteral("Type some text in Playground first."));
        QVERIFY(view.toastBanner()->isError());
        // Centred at the bottom, 22 points above the edge.
        const QRect frame = view.toastBanner()->geometry();
        QCOMPARE(frame.bottom() + 1, view.height() - 22);
        QVERIFY(std::abs(frame.center().x() - view.width() / 2) <= 1);

        // A message longer than the window is wide shows whole, on more lines, inside the window.
        const QString failure = ZubStudioViewModel::configSaveFailureMessage(
            EACCES, QStringLiteral("/home/someone/.local/share/Tallowmer/QuorZub"), QuorLanguage::en);
        QVERIFY(QuorToastBanner::layout(failure).size.width() > view.width() - 40);
        model.showToast(failure, true);
        const QRect wrapped = view.toastBanner()->geometry();
        QVERIFY(wrapped.left() >= 20 && wrapped.right() < view.width() - 20);
        QCOMPARE(wrapped.bottom() + 1, view.height() - 22);
        const QuorToastBanner::Layout laid = QuorToastBanner::layout(failure, wrapped.width());
        QCOMPARE(wrapped.size(), laid.size);
        QVERIFY(laid.lines.size() > 1);
        QCOMPARE(laid.lines.join(QString()), failure);

        model.showToast(QStringLiteral("Copied to clipboard."), false);
        QCOMPARE(view.toastBanner()->message(), QStringLiteral("Copied to clipboard."));
        QVERIFY(!view.toastBanner()->isError());
        QCOMPARE(view.findChildren<QuorToastBanner*>().size(), 1);
        model.clearToast();
        QCOMPARE(view.toastBanner(), nullptr);
        QUOR_TRY_COMPARE(view.findChildren<QuorToastBanner*>().size(), 0);
    }

    void versionSheetFollowsItsFlag()
    {
        FakeStudioModel model;
        MainZubStudioView view(model, Qt::magenta);
        view.show();
        view.findChild<QAbstractButton*>(QStringLiteral("versionButton"))->click();
        QVERIFY(model.isVersionLogsSheetPresented());
        QDialog* sheet = view.versionSheet();
        QVERIFY(sheet != nullptr);
        QCOMPARE(sheet->size(), QSize(680, 540));
        QVERIFY(sheet->findChild<QuorVersionAndLogsView*>() != nullptr);
        // The control with the keyboard wears its ring from the start, as if Tab had brought it.
        QVERIFY(QTest::qWaitForWindowActive(sheet));
        QVERIFY(QApplication::focusWidget() != nullptr && sheet->isAncestorOf(QApplication::focusWidget()));
        QVERIFY(sheet->testAttribute(Qt::WA_KeyboardFocusChange));
        QVERIFY(QuorKeyboardReach::showsFocusRing(QApplication::focusWidget()));
        sheet->findChild<QAbstractButton*>(QStringLiteral("closeButton"))->click();
        QVERIFY(!model.isVersionLogsSheetPresented());
        QCOMPARE(view.versionSheet(), nullptr);

        // A dismissal from outside resets the flag too.
        model.setVersionLogsSheetPresented(true);
        view.versionSheet()->reject();
        QVERIFY(!model.isVersionLogsSheetPresented());
        QCOMPARE(view.versionSheet(), nullptr);
    }

    void screenshots()
    {
        for (const QuorLanguage language : {QuorLanguage::en, QuorLanguage::tr}) {
            FakeStudioModel model;
            model.setLanguage(language);
            model.setPlaygroundText(ZubPlaygroundPresentation::sampleTexts(language)[0].text);
            model.setPlaygroundResult(studio_fixtures::translation());
            model.setHistory(screenshotHistory());
            model.addCustomAIAction(QStringLiteral("Polite Slack Reply"), QStringLiteral("Nazik Slack Yanıtı"),
                                    QStringLiteral("bubble.left.and.bubble.right.fill"),
                                    QStringLiteral("Rewrite as a concise, friendly Slack reply keeping key dates."));
            model.workspaceApps = {{"org.gnome.terminal", "Terminal", "org.gnome.Terminal"},
                                   {"firefox", "Firefox", "firefox"},
                                   {"org.gnome.texteditor", "Text Editor", "org.gnome.TextEditor"}};
            model.accessibilityAnswer = true;
            model.screenRecordingAnswer = false;
            MainZubStudioView view(model, QColor(0xF4, 0x72, 0xD0));
            view.resize(1160, 740);
            view.show();
            model.showToast(language == QuorLanguage::tr ? QStringLiteral("Panoya kopyalandı.")
                                                         : QStringLiteral("Copied to clipboard."),
                            false);
            for (const ZubStudioTab tab : ZubStudioHeaderPresentation::tabOrder()) {
                model.setSelectedTab(tab);
                studio_fixtures::saveScreenshot(&view, QStringLiteral("studio-%1-%2")
                                                           .arg(static_cast<int>(tab))
                                                           .arg(QuorLanguages::rawValue(language)));
            }
            // The whole settings page at once.
            model.setSelectedTab(ZubStudioTab::settings);
            model.clearToast();
            model.setConfig([&model] {
                ZubConfig config = model.config();
                config.excludedBundleIDs.append(QStringLiteral("firefox"));
                return config;
            }());
            view.resize(1160, 1180);
            studio_fixtures::saveScreenshot(&view, QStringLiteral("studio-3-full-") + QuorLanguages::rawValue(language));
            view.resize(1160, 740);
            // The whole actions and history pages.
            view.resize(1160, 1500);
            model.setSelectedTab(ZubStudioTab::actions);
            studio_fixtures::saveScreenshot(&view, QStringLiteral("studio-1-full-") + QuorLanguages::rawValue(language));
            view.resize(1160, 1300);
            model.setSelectedTab(ZubStudioTab::history);
            studio_fixtures::saveScreenshot(&view, QStringLiteral("studio-2-full-") + QuorLanguages::rawValue(language));
            view.resize(1160, 740);
            const QList<ZubHistoryRecord> kept = model.history();
            model.setHistory({});
            studio_fixtures::saveScreenshot(&view, QStringLiteral("studio-2-empty-") + QuorLanguages::rawValue(language));
            model.setHistory(kept);
            // The playground with a QR result.
            model.setSelectedTab(ZubStudioTab::playground);
            model.setPlaygroundResult(studio_fixtures::qrResult());
            studio_fixtures::saveScreenshot(&view, QStringLiteral("studio-0-qr-") + QuorLanguages::rawValue(language));
            // The settings page's AI card refreshed the catalog and the account as it came on screen:
            // both must be done before their stores go, or their unfinished work outlives the test.
            QUOR_TRY_VERIFY(!model.catalogStore().isSyncing());
            QUOR_TRY_VERIFY(!model.creditsStore().isRefreshing());
        }
    }
};

QUOR_TEST_MAIN(TestMainZubStudioView)
#include "tst_mainzubstudioview.moc"
