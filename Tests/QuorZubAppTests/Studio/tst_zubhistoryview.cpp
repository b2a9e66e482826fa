#include "FakeStudioModel.h"
#include "StudioFixtures.h"

#include "QuorZubApp/Views/Studio/MainZubStudioView.h"
#include "QuorZubApp/Views/Studio/ZubHistorySearch.h"
#include "QuorZubApp/Views/Studio/ZubHistoryView.h"

#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

namespace {
ZubHistoryRecord record(ZubActionKind kind, const QString& title, const QString& input, const QString& output,
                        bool pinned = false)
{
    return studio_fixtures::historyRecord(kind, title, input, output, pinned);
}

QWidget* card(const QWidget& view, const ZubHistoryRecord& r)
{
    return view.findChild<QWidget*>(QStringLiteral("record:") + r.id.toString(QUuid::WithoutBraces));
}

QAbstractButton* cardButton(const QWidget& view, const ZubHistoryRecord& r, const char* name)
{
    QWidget* c = card(view, r);
    return c == nullptr ? nullptr : c->findChild<QAbstractButton*>(QString::fromLatin1(name));
}

QAbstractButton* button(const QWidget& view, const QString& name)
{
    return view.findChild<QAbstractButton*>(name);
}

QStringList shownTitles(const ZubHistoryView& view)
{
    QStringList titles;
    for (const auto& c : view.presentation().cards) {
        titles << c.title;
    }
    return titles;
}

// Keeps scrolling to the end of the list until `count` cards are built: they come a few at a time,
// however fast this machine builds them.
void scrollToTheEndUntilBuilt(const ZubHistoryView& view, qsizetype count)
{
    QScrollBar* bar = view.findChild<QScrollArea*>()->verticalScrollBar();
    QElapsedTimer waited;
    waited.start();
    while (view.builtCards() < count && waited.elapsed() < quorPatienceMs) {
        bar->setValue(bar->maximum());
        quorSpin(std::chrono::milliseconds(20));
    }
}

QString lastCall(const FakeStudioModel& model)
{
    return model.calls.isEmpty() ? QString() : model.calls.last();
}

// A mixed history, newest first.
QList<ZubHistoryRecord> mixedHistory()
{
    ZubHistoryRecord translation = record(ZubActionKind::translate, QStringLiteral("Translate"),
                                          QStringLiteral("Bugün hava çok güzel."),
                                          QStringLiteral("The weather is very nice today."));
    translation.detectedLanguageCode = QStringLiteral("tr");
    translation.targetLanguageCode = QStringLiteral("en");
    ZubHistoryRecord summary = record(ZubActionKind::summarize, QStringLiteral("Summarize"),
                                      QStringLiteral("A long weather report"), QStringLiteral("Sunny."), true);
    ZubHistoryRecord speech = record(ZubActionKind::speak, QStringLiteral("Speak"), QStringLiteral("Merhaba"),
                                     QStringLiteral("Merhaba"));
    speech.detectedLanguageCode = QStringLiteral("tr");
    ZubHistoryRecord failure = record(ZubActionKind::customAI, QStringLiteral("Slack Reply"), QStringLiteral("hi team"),
                                      QStringLiteral("Ollama is not reachable."));
    failure.isError = true;
    return {translation, summary, speech, failure};
}
} // namespace

class TestZubHistoryView : public QObject {
    Q_OBJECT
private slots:
    void init() { QuorLanguages::setCurrent(QuorLanguage::en); }

    void emptyHistoryShowsTheEmptyStateAndCannotClear()
    {
        FakeStudioModel model;
        ZubHistoryView view(model, Qt::magenta);
        view.show();
        QVERIFY(!view.findChild<QWidget*>(QStringLiteral("emptyState"))->isHidden());
        QVERIFY(view.findChild<QScrollArea*>()->isHidden());
        QCOMPARE(view.findChild<QLabel*>(QStringLiteral("emptyTitle"))->text(), QStringLiteral("No history items yet"));
        QVERIFY(!button(view, QStringLiteral("clearUnpinned"))->isEnabled());

        // Every record pinned: still nothing to clear.
        QList<ZubHistoryRecord> history = mixedHistory();
        for (ZubHistoryRecord& r : history) {
            r.isPinned = true;
        }
        model.setHistory(history);
        QVERIFY(view.findChild<QWidget*>(QStringLiteral("emptyState"))->isHidden());
        QVERIFY(!button(view, QStringLiteral("clearUnpinned"))->isEnabled());
        model.setLanguage(QuorLanguage::tr);
        QCOMPARE(button(view, QStringLiteral("clearUnpinned"))->text(), QStringLiteral("Sabitsizleri Temizle"));
        QCOMPARE(view.findChild<QLineEdit*>(QStringLiteral("search"))->placeholderText(), QStringLiteral("Geçmişte ara..."));
    }

    void pillsAndSearchNarrowTheList()
    {
        FakeStudioModel model;
        model.setHistory(mixedHistory());
        ZubHistoryView view(model, Qt::magenta);
        view.show();
        QCOMPARE(shownTitles(view), (QStringList{"Translate", "Summarize", "Speak", "Slack Reply"}));
        button(view, QStringLiteral("filter:offline"))->click();
        QCOMPARE(shownTitles(view), QStringList{"Speak"});
        // The pill draws in its own colours (a label in a button would take the button's text colour).
        for (const char* name : {"filter:offline", "filter:all"}) {
            const auto* text = button(view, QString::fromLatin1(name))->findChild<QLabel*>(QStringLiteral("text"));
            const bool selected = QByteArray(name) == "filter:offline";
            QCOMPARE(text->palette().color(text->foregroundRole()),
                     ZubHistoryPresentation::pillLook(selected, Qt::magenta).text);
        }
        QCOMPARE(view.filterState().filter, ZubHistoryFilter::offline);
        QVERIFY(!card(view, model.history()[2])->isHidden());
        button(view, QStringLiteral("filter:translations"))->click();
        QCOMPARE(shownTitles(view), QStringList{"Translate"});

        // The query combines with the filter, on every keystroke.
        auto* search = view.findChild<QLineEdit*>(QStringLiteral("search"));
        button(view, QStringLiteral("filter:pinned"))->click();
        QTest::keyClicks(search, QStringLiteral("WEATHER"));
        QCOMPARE(shownTitles(view), QStringList{"Summarize"});
        button(view, QStringLiteral("filter:all"))->click();
        QCOMPARE(shownTitles(view), (QStringList{"Translate", "Summarize"}));
        // Only the title matches.
        search->setText(QStringLiteral("slack"));
        QCOMPARE(shownTitles(view), QStringList{"Slack Reply"});
        search->setText(QStringLiteral("   "));
        QCOMPARE(shownTitles(view).size(), 4);
        search->setText(QStringLiteral("no such thing"));
        QVERIFY(!view.findChild<QWidget*>(QStringLiteral("emptyState"))->isHidden());
        QCOMPARE(view.findChild<QLabel*>(QStringLiteral("emptyTitle"))->text(), QStringLiteral("No history items yet"));
        // The clear button still judges the whole history.
        QVERIFY(button(view, QStringLiteral("clearUnpinned"))->isEnabled());
        QVERIFY(model.calls.isEmpty());
    }

    void pinDeleteAndClearGoThroughTheModel()
    {
        FakeStudioModel model;
        const QList<ZubHistoryRecord> history = mixedHistory();
        model.setHistory(history);
        ZubHistoryView view(model, Qt::magenta);
        view.show();
        const ZubHistoryRecord translation = history[0];
        QVERIFY(!cardButton(view, translation, "pin")->property("isActive").toBool());
        // A screen reader tells the cards' buttons apart by their records; the tooltip stays short.
        QCOMPARE(cardButton(view, translation, "pin")->accessibleName(),
                 QStringLiteral("Pin: Translate, Bugün hava çok güzel."));
        QCOMPARE(cardButton(view, translation, "pin")->toolTip(), QStringLiteral("Pin"));
        QCOMPARE(cardButton(view, history[3], "copy")->accessibleName(),
                 QStringLiteral("Copy Output: Slack Reply, hi team"));
        QCOMPARE(cardButton(view, history[3], "copy")->text(), QStringLiteral("Copy Output"));
        cardButton(view, translation, "pin")->click();
        QCOMPARE(lastCall(model), QStringLiteral("toggleHistoryPin: ") + FakeStudioModel::idText(translation.id));
        QVERIFY(model.history()[0].isPinned);
        QVERIFY(cardButton(view, translation, "pin")->property("isActive").toBool());
        QCOMPARE(cardButton(view, translation, "pin")->accessibleName(),
                 QStringLiteral("Unpin: Translate, Bugün hava çok güzel."));
        QCOMPARE(view.presentation().cards[0].pinSymbol, QStringLiteral("pin.fill"));
        // Pinned records keep their place.
        QCOMPARE(shownTitles(view)[0], QStringLiteral("Translate"));

        // Unpin again, then pin back: the list follows every time.
        cardButton(view, translation, "pin")->click();
        QVERIFY(!model.history()[0].isPinned);
        cardButton(view, translation, "pin")->click();

        // A pinned record deletes at once.
        const ZubHistoryRecord summary = history[1];
        QPointer<QWidget> summaryCard = card(view, summary);
        cardButton(view, summary, "delete")->click();
        QCOMPARE(lastCall(model), QStringLiteral("deleteHistoryRecord: ") + FakeStudioModel::idText(summary.id));
        QCOMPARE(shownTitles(view), (QStringList{"Translate", "Speak", "Slack Reply"}));
        QUOR_TRY_VERIFY(summaryCard.isNull());

        // Clearing keeps the pinned translation, also while the filter hides the others.
        button(view, QStringLiteral("filter:translations"))->click();
        button(view, QStringLiteral("clearUnpinned"))->click();
        QCOMPARE(lastCall(model), QStringLiteral("clearUnpinnedHistory"));
        QCOMPARE(model.history().size(), 1);
        QCOMPARE(model.history()[0].id, translation.id);
        QCOMPARE(model.toastMessage(), QStringLiteral("Cleared unpinned history."));
        QVERIFY(!button(view, QStringLiteral("clearUnpinned"))->isEnabled());
    }

    void copySpeakAndOpenActOnTheRecord()
    {
        FakeStudioModel model;
        const QList<ZubHistoryRecord> history = mixedHistory();
        model.setHistory(history);
        model.setSelectedTab(ZubStudioTab::history);
        MainZubStudioView studio(model, Qt::magenta);
        auto* view = qobject_cast<ZubHistoryView*>(studio.tabView());
        QVERIFY(view != nullptr);

        QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
        cardButton(*view, history[0], "copy")->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("The weather is very nice today."));
        QCOMPARE(model.toastMessage(), QStringLiteral("Copied output."));
        QVERIFY(!model.toastIsError());

        // Speech in the target language, else the detected one, else none.
        cardButton(*view, history[0], "speak")->click();
        cardButton(*view, history[2], "speak")->click();
        cardButton(*view, history[1], "speak")->click();
        QCOMPARE(model.spokenTexts.size(), 3);
        QCOMPARE(model.spokenTexts[0], (std::pair<QString, std::optional<QString>>{"The weather is very nice today.", "en"}));
        QCOMPARE(model.spokenTexts[1], (std::pair<QString, std::optional<QString>>{"Merhaba", "tr"}));
        QCOMPARE(model.spokenTexts[2], (std::pair<QString, std::optional<QString>>{"Sunny.", std::nullopt}));
        QVERIFY(card(*view, history[2])->findChild<QWidget*>(QStringLiteral("languageBadge")) == nullptr);
        QVERIFY(card(*view, history[0])->findChild<QWidget*>(QStringLiteral("languageBadge")) != nullptr);

        // An error record still copies and speaks its message.
        cardButton(*view, history[3], "copy")->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Ollama is not reachable."));
        cardButton(*view, history[3], "speak")->click();
        QCOMPARE(model.spokenTexts.last().first, QStringLiteral("Ollama is not reachable."));

        // Open in the playground, then come back: the filter and the query start afresh.
        button(*view, QStringLiteral("filter:pinned"))->click();
        view->findChild<QLineEdit*>(QStringLiteral("search"))->setText(QStringLiteral("weather"));
        cardButton(*view, history[1], "open")->click();
        QCOMPARE(model.playgroundText(), QStringLiteral("A long weather report"));
        QCOMPARE(model.selectedTab(), ZubStudioTab::playground);
        QCOMPARE(studio.shownTab(), ZubStudioTab::playground);
        model.setSelectedTab(ZubStudioTab::history);
        view = qobject_cast<ZubHistoryView*>(studio.tabView());
        QCOMPARE(view->filterState(), ZubHistoryFilterState{});
        QVERIFY(view->findChild<QLineEdit*>(QStringLiteral("search"))->text().isEmpty());
        QCOMPARE(view->presentation().cards.size(), 4);
        QCOMPARE(studio.presentation().tabs[2].title, QStringLiteral("History (4)"));
    }

    // A card lays out what its lines show; copying, speaking and opening take the whole texts.
    void aHugeRecordShowsItsStartAndActsOnAllOfIt()
    {
        FakeStudioModel model;
        const QString huge = QStringLiteral("A sentence of a long result, wrapping over lines.\n").repeated(100'000);
        const ZubHistoryRecord r = record(ZubActionKind::caseTransform, QStringLiteral("Case"), huge, huge);
        model.setHistory({r});
        ZubHistoryView view(model, Qt::magenta);
        view.resize(1000, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const auto* output = card(view, r)->findChild<QPlainTextEdit*>(QStringLiteral("output"));
        QVERIFY(output->toPlainText().size() < 1000);
        QVERIFY(huge.startsWith(output->toPlainText().chopped(1)));

        cardButton(view, r, "copy")->click();
        QCOMPARE(QGuiApplication::clipboard()->text().size(), huge.size());
        cardButton(view, r, "speak")->click();
        QCOMPARE(model.spokenTexts.last().first.size(), huge.size());
        cardButton(view, r, "open")->click();
        QCOMPARE(model.playgroundText().size(), huge.size());
    }

    void cardsAreBuiltAsTheyScrollIntoView()
    {
        FakeStudioModel model;
        QList<ZubHistoryRecord> history;
        for (int i = 0; i < 100; ++i) {
            history.append(record(ZubActionKind::wordStats, QStringLiteral("Stats %1").arg(i), QStringLiteral("text %1").arg(i),
                                  QStringLiteral("%1 words").arg(i)));
        }
        model.setHistory(history);
        ZubHistoryView view(model, Qt::magenta);
        view.resize(1000, 700);
        view.show();
        QUOR_TRY_VERIFY(view.builtCards() >= ZubHistoryView::batchSize);
        quorSpin(std::chrono::milliseconds(100));
        const qsizetype first = view.builtCards();
        QVERIFY2(first < 100, qPrintable(QString::number(first)));
        scrollToTheEndUntilBuilt(view, 100);
        QCOMPARE(view.builtCards(), 100);
        QVERIFY(card(view, history.last()) != nullptr);

        // A narrower list builds from the top again.
        view.findChild<QLineEdit*>(QStringLiteral("search"))->setText(QStringLiteral("Stats 9"));
        QCOMPARE(view.presentation().cards.size(), 11);
        QUOR_TRY_COMPARE(view.builtCards(), 11);
    }

    // Scrolling on through a long list builds the next cards without laying out (or resizing) the
    // ones built before, and judges the list's end by the height its cards really take.
    void scrollingOnLeavesTheBuiltCardsAlone()
    {
        FakeStudioModel model;
        QList<ZubHistoryRecord> history;
        for (int i = 0; i < 200; ++i) {
            history.append(record(ZubActionKind::caseTransform, QStringLiteral("Case %1").arg(i),
                                  QStringLiteral("Record %1: a selected sentence of ordinary length. ").arg(i).repeated(3),
                                  QStringLiteral("Record %1: its result, of ordinary length too. ").arg(i).repeated(3)));
        }
        model.setHistory(history);
        ZubHistoryView view(model, Qt::magenta);
        view.resize(1160, 640);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QUOR_TRY_VERIFY(view.builtCards() >= ZubHistoryView::batchSize);
        quorSpin(std::chrono::milliseconds(100));

        struct ResizeCounter : QObject {
            int resizes = 0;
            bool eventFilter(QObject* /*watched*/, QEvent* event) override
            {
                resizes += event->type() == QEvent::Resize ? 1 : 0;
                return false;
            }
        } counter;
        QWidget* first = card(view, history.first());
        first->installEventFilter(&counter);
        for (QWidget* part : first->findChildren<QWidget*>()) {
            part->installEventFilter(&counter);
        }
        scrollToTheEndUntilBuilt(view, 100);
        QVERIFY2(view.builtCards() >= 100, qPrintable(QString::number(view.builtCards())));
        QCOMPARE(counter.resizes, 0);
    }

    void aSearchThroughMegabytesKeepsTheListUntilTheNewestQueryIsFound()
    {
        FakeStudioModel model;
        QList<ZubHistoryRecord> history = mixedHistory();
        history.append(record(ZubActionKind::summarize, QStringLiteral("Long"), QStringLiteral("report"),
                              QStringLiteral("words ").repeated(200'000) + QStringLiteral("needle")));
        model.setHistory(history);
        ZubHistoryView view(model, Qt::magenta);
        const QStringList everything = shownTitles(view);
        QCOMPARE(everything.size(), 5);

        QLineEdit* search = view.findChild<QLineEdit*>(QStringLiteral("search"));
        search->setText(QStringLiteral("needle"));
        // The keystroke returns at once; the list is found on a worker.
        QCOMPARE(shownTitles(view), everything);
        search->setText(QStringLiteral("weather"));
        QUOR_TRY_COMPARE(shownTitles(view), (QStringList{"Translate", "Summarize"}));
        QUOR_TRY_VERIFY(!view.findChild<ZubHistorySearch*>()->isSearching());
        QCOMPARE(shownTitles(view), (QStringList{"Translate", "Summarize"}));

        search->setText(QStringLiteral("needle"));
        QUOR_TRY_COMPARE(shownTitles(view), QStringList{"Long"});
        // A filter alone is applied at once.
        search->clear();
        QCOMPARE(shownTitles(view), everything);
    }

    // While a search through megabytes runs, pins, deletions and pills still act at once on the list
    // at hand, and the list the search brings back shows them too.
    void aBigSearchLeavesPinsDeletesAndPillsWorking()
    {
        FakeStudioModel model;
        QList<ZubHistoryRecord> history = mixedHistory();
        history.append(record(ZubActionKind::summarize, QStringLiteral("Long"), QStringLiteral("report"),
                              QStringLiteral("words ").repeated(200'000)));
        model.setHistory(history);
        const ZubHistoryRecord translation = history[0];
        const ZubHistoryRecord speech = history[2];
        ZubHistoryView view(model, Qt::magenta);
        auto* finder = view.findChild<ZubHistorySearch*>();

        view.findChild<QLineEdit*>(QStringLiteral("search"))->setText(QStringLiteral("weather"));
        QVERIFY(finder->isSearching());
        cardButton(view, translation, "pin")->click();
        QVERIFY(view.presentation().cards[0].pinActive);
        cardButton(view, speech, "delete")->click();
        QVERIFY(!shownTitles(view).contains(QStringLiteral("Speak")));
        button(view, QStringLiteral("filter:pinned"))->click();
        QCOMPARE(shownTitles(view), (QStringList{"Translate", "Summarize"}));
        QVERIFY(finder->isSearching());

        QUOR_TRY_VERIFY(!finder->isSearching());
        QCOMPARE(shownTitles(view), (QStringList{"Translate", "Summarize"}));
        QVERIFY(view.presentation().cards[0].pinActive);
        button(view, QStringLiteral("filter:all"))->click();
        QCOMPARE(shownTitles(view), (QStringList{"Translate", "Summarize"}));
        QVERIFY(!finder->isSearching());
    }
};

QUOR_TEST_MAIN(TestZubHistoryView)
#include "tst_zubhistoryview.moc"
