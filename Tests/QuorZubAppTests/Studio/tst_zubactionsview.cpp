#include "FakeStudioModel.h"

#include "QuorZubApp/Views/Studio/MainZubStudioView.h"
#include "QuorZubApp/Views/Studio/ZubActionsView.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

namespace {
QString key(const ZubActionDefinition& action)
{
    return action.id.toString(QUuid::WithoutBraces);
}

QWidget* row(const QWidget& view, const ZubActionDefinition& action)
{
    return view.findChild<QWidget*>(QStringLiteral("action:") + key(action));
}

QAbstractButton* rowButton(const QWidget& view, const ZubActionDefinition& action, const char* name)
{
    return row(view, action)->findChild<QAbstractButton*>(QString::fromLatin1(name));
}

// The rows as laid out, top to bottom, by their titles.
QStringList shownTitles(const QWidget& view)
{
    QList<QWidget*> rows = view.findChild<QWidget*>(QStringLiteral("actionRows"))
                               ->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^action:")),
                                                        Qt::FindDirectChildrenOnly);
    rows.removeIf([](const QWidget* w) { return w->isHidden(); });
    std::sort(rows.begin(), rows.end(), [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    QStringList titles;
    for (const QWidget* w : rows) {
        titles << w->findChild<QLabel*>(QStringLiteral("title"))->text();
    }
    return titles;
}

// Pending layout passes climb one level per turn of the event loop.
void settle(QWidget& /*view*/)
{
    for (int i = 0; i < 8; ++i) {
        QCoreApplication::processEvents();
    }
}

// The last operation the view asked for (the saves that follow are left out).
QString lastCall(const FakeStudioModel& model)
{
    for (qsizetype i = model.calls.size() - 1; i >= 0; --i) {
        if (model.calls[i] != QLatin1String("persistConfig")) {
            return model.calls[i];
        }
    }
    return {};
}

QStringList sortedTitles(const FakeStudioModel& model)
{
    QStringList titles;
    for (const ZubActionDefinition& action : model.config().sortedActions()) {
        titles << action.titleEN;
    }
    return titles;
}
} // namespace

class TestZubActionsView : public QObject {
    Q_OBJECT
private slots:
    void init() { QuorLanguages::setCurrent(QuorLanguage::en); }

    void switchingGreysTheRowAndRecountsTheHeader()
    {
        FakeStudioModel model;
        model.setSelectedTab(ZubStudioTab::actions);
        MainZubStudioView studio(model, Qt::magenta);
        auto* view = qobject_cast<ZubActionsView*>(studio.tabView());
        QVERIFY(view != nullptr);
        const qsizetype enabled = model.config().enabledActions().size();
        const ZubActionDefinition first = model.config().sortedActions().first();

        QAbstractButton* toggle = rowButton(*view, first, "enabledSwitch");
        QVERIFY(toggle->isChecked());
        toggle->click();
        QCOMPARE(lastCall(model), QStringLiteral("toggleActionEnabled: ") + key(first) + QStringLiteral(" false"));
        QVERIFY(!model.config().sortedActions().first().isEnabled);
        QVERIFY(!toggle->isChecked());
        QCOMPARE(view->presentation().rows[0].titleColor, QuorGlassTokens::textMuted());
        QCOMPARE(studio.presentation().tabs[1].title, QStringLiteral("Actions (%1)").arg(enabled - 1));
        // Still listed, in its place.
        QCOMPARE(view->presentation().rows[0].id, first.id);
        QVERIFY(!row(*view, first)->isHidden());

        // A change made elsewhere (the tray window) moves the switch; the view writes nothing back.
        ZubConfig config = model.config();
        config.actions[0].isEnabled = !config.actions[0].isEnabled;
        const ZubActionDefinition changed = config.actions[0];
        const int saves = model.count(QStringLiteral("persistConfig"));
        model.setConfig(config);
        QCOMPARE(rowButton(*view, changed, "enabledSwitch")->isChecked(), changed.isEnabled);
        QCOMPARE(model.count(QStringLiteral("persistConfig")), saves);
    }

    void arrowsMoveOnePlaceAndStopAtTheEnds()
    {
        FakeStudioModel model;
        ZubConfig config = model.config();
        config.actions = config.sortedActions().mid(0, 3);
        model.setConfig(config);
        ZubActionsView view(model, Qt::magenta);
        view.resize(900, 900);
        view.show();
        const QList<ZubActionDefinition> actions = model.config().sortedActions();
        QVERIFY(!rowButton(view, actions[0], "up")->isEnabled());
        QVERIFY(rowButton(view, actions[0], "down")->isEnabled());
        QVERIFY(!rowButton(view, actions[2], "down")->isEnabled());
        settle(view);
        const QStringList start = shownTitles(view);
        QCOMPARE(start, sortedTitles(model));

        rowButton(view, actions[0], "down")->click();
        QCOMPARE(lastCall(model), QStringLiteral("moveAction: ") + key(actions[0]) + QStringLiteral(" 1"));
        settle(view);
        QCOMPARE(shownTitles(view), (QStringList{start[1], start[0], start[2]}));
        QVERIFY(rowButton(view, actions[0], "up")->isEnabled());
        QVERIFY(!rowButton(view, actions[1], "up")->isEnabled());

        rowButton(view, actions[2], "up")->click();
        settle(view);
        QCOMPARE(shownTitles(view), (QStringList{start[1], start[2], start[0]}));
        QCOMPARE(shownTitles(view), sortedTitles(model));
        QVERIFY(!rowButton(view, actions[0], "down")->isEnabled());

        // A single action can go nowhere.
        config = model.config();
        config.actions = config.actions.mid(0, 1);
        model.setConfig(config);
        const ZubActionDefinition only = model.config().actions[0];
        QVERIFY(!rowButton(view, only, "up")->isEnabled());
        QVERIFY(!rowButton(view, only, "down")->isEnabled());
    }

    void addingACustomActionValidatesAndClearsTheForm()
    {
        FakeStudioModel model;
        ZubActionsView view(model, Qt::magenta);
        view.resize(900, 1200);
        view.show();
        auto* titleEN = view.findChild<QLineEdit*>(QStringLiteral("titleEN"));
        auto* titleTR = view.findChild<QLineEdit*>(QStringLiteral("titleTR"));
        auto* prompt = view.findChild<QPlainTextEdit*>(QStringLiteral("prompt"));
        auto* placeholder = view.findChild<QLabel*>(QStringLiteral("promptPlaceholder"));
        QAbstractButton* add = view.findChild<QAbstractButton*>(QStringLiteral("addCustomAction"));
        QVERIFY(!placeholder->isHidden());
        // A lone space already hides the placeholder.
        QTest::keyClick(prompt, Qt::Key_Space);
        QCOMPARE(view.form().prompt, QStringLiteral(" "));
        QVERIFY(placeholder->isHidden());

        // A prompt of spaces only: the error toast, and the form stays as typed.
        const qsizetype before = model.config().actions.size();
        view.findChild<QAbstractButton*>(QStringLiteral("symbol:bolt.fill"))->click();
        QCOMPARE(view.form().symbol, QStringLiteral("bolt.fill"));
        QVERIFY(view.presentation().symbols[7].isSelected);
        QTest::keyClicks(titleEN, QStringLiteral("Slack Reply"));
        QTest::keyClicks(prompt, QStringLiteral("   "));
        add->click();
        QCOMPARE(model.toastMessage(), QStringLiteral("Title and prompt template are required."));
        QVERIFY(model.toastIsError());
        QCOMPARE(model.config().actions.size(), before);
        QCOMPARE(titleEN->text(), QStringLiteral("Slack Reply"));
        QCOMPARE(prompt->toPlainText(), QStringLiteral("    "));

        // Only a Turkish title: accepted, with the Turkish title in English too; the form empties
        // and keeps the icon.
        titleEN->clear();
        titleTR->setText(QStringLiteral("  Slack Yanıtı "));
        prompt->setPlainText(QStringLiteral("Rewrite as a concise, friendly reply.\nKeep dates."));
        add->click();
        QCOMPARE(lastCall(model), QStringLiteral("addCustomAIAction: |  Slack Yanıtı |bolt.fill|Rewrite as a concise, "
                                                    "friendly reply.\nKeep dates."));
        QCOMPARE(model.toastMessage(), QStringLiteral("Custom AI action added."));
        QCOMPARE(model.config().actions.size(), before + 1);
        const ZubActionDefinition added = model.config().sortedActions().last();
        QCOMPARE(added.kind, ZubActionKind::customAI);
        QCOMPARE(added.titleEN, QStringLiteral("Slack Yanıtı"));
        QCOMPARE(added.titleTR, QStringLiteral("Slack Yanıtı"));
        QCOMPARE(added.symbolName, QStringLiteral("bolt.fill"));
        QVERIFY(titleEN->text().isEmpty() && titleTR->text().isEmpty() && prompt->toPlainText().isEmpty());
        QVERIFY(!placeholder->isHidden());
        QCOMPARE(view.form().symbol, QStringLiteral("bolt.fill"));
        QVERIFY(view.presentation().symbols[7].isSelected);

        // The new row comes last, with its prompt on one line and a trash button.
        QCOMPARE(view.presentation().rows.last().id, added.id);
        QCOMPARE(view.presentation().rows.last().detail, QStringLiteral("Rewrite as a concise, friendly reply. Keep dates."));
        QVERIFY(!rowButton(view, added, "delete")->isHidden());
        QVERIFY(!rowButton(view, added, "down")->isEnabled());
    }

    void onlyCustomActionsDeleteAndResetRestoresTheDefaults()
    {
        FakeStudioModel model;
        model.addCustomAIAction(QStringLiteral("Regex"), QString(), QStringLiteral("sparkles"), QStringLiteral("Explain"));
        model.addCustomAIAction(QStringLiteral("Mail"), QString(), QStringLiteral("envelope.fill"), QStringLiteral("Reply"));
        model.clearToast();
        ZubActionsView view(model, Qt::magenta);
        view.show();
        for (const ZubActionDefinition& action : model.config().actions) {
            QCOMPARE(rowButton(view, action, "delete")->isHidden(), action.kind != ZubActionKind::customAI);
        }
        const QList<ZubActionDefinition> sorted = model.config().sortedActions();
        const ZubActionDefinition regex = sorted[sorted.size() - 2];
        QPointer<QWidget> regexRow = row(view, regex);
        rowButton(view, regex, "delete")->click();
        QCOMPARE(lastCall(model), QStringLiteral("deleteCustomAction: ") + key(regex));
        QCOMPARE(model.config().actions.size(), sorted.size() - 1);
        QUOR_TRY_VERIFY(regexRow.isNull());
        QCOMPARE(view.presentation().rows.size(), sorted.size() - 1);
        QCOMPARE(view.presentation().rows.last().title, QStringLiteral("Mail"));
        QVERIFY(!model.toastMessage());

        // Reset replaces the whole list, custom actions included, at once.
        view.findChild<QAbstractButton*>(QStringLiteral("resetDefaults"))->click();
        QCOMPARE(model.toastMessage(), QStringLiteral("Restored default actions."));
        QCOMPARE(view.presentation().rows.size(), ZubActionDefinition::defaultActions().size());
        for (const auto& r : view.presentation().rows) {
            QVERIFY(!r.showsDelete);
        }
        QUOR_TRY_COMPARE(view.findChild<QWidget*>(QStringLiteral("actionRows"))
                                      ->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^action:")),
                                                               Qt::FindDirectChildrenOnly)
                                      .size(),
                                  ZubActionDefinition::defaultActions().size());
    }

    void theFormGoesWithTheTabAndTheLanguageFollows()
    {
        FakeStudioModel model;
        model.setSelectedTab(ZubStudioTab::actions);
        MainZubStudioView studio(model, Qt::magenta);
        auto* view = qobject_cast<ZubActionsView*>(studio.tabView());
        view->findChild<QLineEdit*>(QStringLiteral("titleEN"))->setText(QStringLiteral("Draft"));
        view->findChild<QAbstractButton*>(QStringLiteral("symbol:envelope.fill"))->click();
        model.setSelectedTab(ZubStudioTab::history);
        model.setSelectedTab(ZubStudioTab::actions);
        view = qobject_cast<ZubActionsView*>(studio.tabView());
        QCOMPARE(view->form(), CustomAIActionFormState{});
        QVERIFY(view->findChild<QLineEdit*>(QStringLiteral("titleEN"))->text().isEmpty());

        model.setLanguage(QuorLanguage::tr);
        QCOMPARE(view->findChild<QLineEdit*>(QStringLiteral("titleEN"))->placeholderText(), QStringLiteral("İngilizce Başlık"));
        QCOMPARE(view->findChild<QAbstractButton*>(QStringLiteral("resetDefaults"))->text(), QStringLiteral("Varsayılana Dön"));
        QCOMPARE(view->presentation().rows[0].title, model.config().sortedActions()[0].titleTR);
    }

    // Thousands of actions: the list keeps the height of all of them, rows exist only around what
    // is in sight, and Tab still runs down the rows in order and on to the form. (Last: it installs
    // the application's keyboard handling.)
    void aLongListMakesRowsOnlyAroundWhatIsInSight()
    {
        QuorKeyboardAccess::install();
        FakeStudioModel model;
        ZubConfig config = model.config();
        for (qsizetype i = config.actions.size(); i < 3000; ++i) {
            config.actions.append(ZubActionDefinition::make(QUuid::createUuid(), ZubActionKind::customAI,
                                                            QStringLiteral("Custom %1").arg(i), QString(),
                                                            QStringLiteral("sparkles"), true,
                                                            QStringLiteral("Prompt %1").arg(i), i));
        }
        model.setConfig(config);
        const QList<ZubActionDefinition> sorted = model.config().sortedActions();
        ZubActionsView view(model, Qt::magenta);
        view.resize(900, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QVERIFY2(view.builtRows() < 60, qPrintable(QString::number(view.builtRows())));
        const int pitch = row(view, sorted[1])->y() - row(view, sorted[0])->y();
        const int spacing = pitch - row(view, sorted[0])->height();
        QCOMPARE(view.findChild<QWidget*>(QStringLiteral("actionRows"))->height(), 3000 * pitch - spacing);

        QScrollBar* bar = view.findChild<QScrollArea*>()->verticalScrollBar();
        bar->setValue(bar->maximum());
        QUOR_TRY_VERIFY(row(view, sorted.last()) != nullptr);
        QCOMPARE(row(view, sorted.last())->y(), 2999 * pitch);
        QVERIFY(row(view, sorted.first()) == nullptr);
        QVERIFY2(view.builtRows() < 60, qPrintable(QString::number(view.builtRows())));

        QAbstractButton* lastSwitch = rowButton(view, sorted.last(), "enabledSwitch");
        lastSwitch->setFocus(Qt::TabFocusReason);
        QTest::keyClick(lastSwitch, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), view.findChild<QLineEdit*>(QStringLiteral("titleEN")));
        QAbstractButton* lastButOneSwitch = rowButton(view, sorted[sorted.size() - 2], "enabledSwitch");
        lastButOneSwitch->setFocus(Qt::TabFocusReason);
        QTest::keyClick(lastButOneSwitch, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), rowButton(view, sorted.last(), "up"));
    }
};

QUOR_TEST_MAIN(TestZubActionsView)
#include "tst_zubactionsview.moc"
