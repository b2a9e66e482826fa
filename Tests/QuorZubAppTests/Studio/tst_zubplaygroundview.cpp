#include "FakeStudioModel.h"
#include "StudioFixtures.h"

#include "QuorZubApp/Views/Studio/ZubPlaygroundEditor.h"
#include "QuorZubApp/Views/Studio/ZubPlaygroundView.h"

#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "QuorKit/Design/QuorMenuPicker.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

namespace {
QAbstractButton* button(const QWidget& view, const QString& name)
{
    return view.findChild<QAbstractButton*>(name);
}

QWidget* resultCard(const QWidget& view)
{
    return view.findChild<QWidget*>(QStringLiteral("resultCard"));
}

QList<QAbstractButton*> tiles(const QWidget& view)
{
    return view.findChildren<QAbstractButton*>(QRegularExpression(QStringLiteral("^tile:")));
}

// Where Tab moves on to from `from` along the window's chain, without the application's relinking
// at the key press.
QWidget* nextTabStop(QWidget* from)
{
    for (QWidget* next = from->nextInFocusChain(); next != from; next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) != 0 && next->isEnabled() && next->isVisible()) {
            return next;
        }
    }
    return nullptr;
}
} // namespace

class TestZubPlaygroundView : public QObject {
    Q_OBJECT
private slots:
    void liveFiguresFollowTheText()
    {
        FakeStudioModel model;
        ZubPlaygroundView view(model, Qt::magenta);
        auto* stats = view.findChild<QLabel*>(QStringLiteral("stats"));
        auto* badge = view.findChild<QWidget*>(QStringLiteral("detectedBadge"));
        QCOMPARE(stats->text(), QStringLiteral("0 words · 0 chars"));
        QVERIFY(badge->isHidden());

        // Typing writes the model's text, and the figures follow on every keystroke.
        auto* editor = view.findChild<QPlainTextEdit*>(QStringLiteral("editor"));
        editor->setPlainText(QStringLiteral("Bugün yeni uygulamamızın çevrimdışı dil algılama motorunu tamamladık."));
        QCOMPARE(model.playgroundText(), editor->toPlainText());
        QCOMPARE(stats->text(), QStringLiteral("8 words · 69 chars"));
        QVERIFY(!badge->isHidden());
        QCOMPARE(view.presentation().detectedBadge, QStringLiteral("Detected: TR"));

        editor->setPlainText(QStringLiteral("   "));
        QCOMPARE(stats->text(), QStringLiteral("0 words · 3 chars"));
        QVERIFY(badge->isHidden());

        // A text set elsewhere shows in the editor.
        model.setPlaygroundText(QStringLiteral("serendipity"));
        QCOMPARE(editor->toPlainText(), QStringLiteral("serendipity"));
        model.setLanguage(QuorLanguage::tr);
        QCOMPARE(stats->text(), QStringLiteral("1 kelime · 11 krk"));
    }

    // A long text's figures come from a worker, and they are the same figures; keys typed meanwhile
    // reach the model at once.
    void aLongTextIsMeasuredBesideTheTyping()
    {
        FakeStudioModel model;
        ZubPlaygroundView view(model, Qt::magenta);
        auto* stats = view.findChild<QLabel*>(QStringLiteral("stats"));
        auto* editor = view.findChild<QPlainTextEdit*>(QStringLiteral("editor"));
        const QString longText = QStringLiteral("Bugün yeni uygulamamızın motorunu tamamladık.\n").repeated(2000);
        QVERIFY(longText.size() > ZubPlaygroundFigures::immediateLimit);
        editor->setPlainText(longText);
        QCOMPARE(model.playgroundText(), longText);
        editor->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor, QStringLiteral("Son"));
        QCOMPARE(model.playgroundText(), longText + QStringLiteral("Son"));
        const QString expected = ZubPlaygroundPresentation::statsTextFor(model.playgroundText(), QuorLanguage::en);
        QTRY_COMPARE_WITH_TIMEOUT(stats->text(), expected, 20000);
        QCOMPARE(view.presentation().detectedBadge, QStringLiteral("Detected: TR"));
    }

    // A paste of a megabyte goes in a slice at a time between which the window answers; keys typed
    // meanwhile land after it, the model takes the text once, and one undo takes the paste back.
    void aLongPasteGoesInBesideTheTyping()
    {
        FakeStudioModel model;
        model.setPlaygroundText(QStringLiteral("Start "));
        ZubPlaygroundView view(model, Qt::magenta);
        auto* editor = view.findChild<ZubPlaygroundEditor*>(QStringLiteral("editor"));
        const QString pasted = QStringLiteral("A pasted sentence, long enough to wrap a line or two.\n").repeated(20'000);
        QGuiApplication::clipboard()->setText(pasted);
        editor->moveCursor(QTextCursor::End);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(editor->isFilling());
        QVERIFY(editor->document()->characterCount() < pasted.size());
        QCOMPARE(model.playgroundText(), QStringLiteral("Start "));
        QTest::keyClicks(editor, QStringLiteral("end"));
        QUOR_TRY_COMPARE(model.playgroundText(), QStringLiteral("Start ") + pasted + QStringLiteral("end"));
        QVERIFY(!editor->isFilling());

        editor->undo();
        QCOMPARE(model.playgroundText(), QStringLiteral("Start ") + pasted);
        editor->undo();
        QCOMPARE(model.playgroundText(), QStringLiteral("Start "));

        // Over a selection, with line ends the editor makes its own: the model holds what it shows.
        const QString lines = QStringLiteral("One line,\r\nthe next\u00a0one.\r").repeated(5'000);
        QGuiApplication::clipboard()->setText(lines);
        QTextCursor selection = editor->textCursor();
        selection.setPosition(1);
        selection.setPosition(4, QTextCursor::KeepAnchor);
        editor->setTextCursor(selection);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QUOR_TRY_VERIFY(!editor->isFilling());
        QVERIFY(model.playgroundText().startsWith(QStringLiteral("SOne line,\nthe next one.\n")));
        QCOMPARE(model.playgroundText(), editor->toPlainText());
        QGuiApplication::clipboard()->clear();

        // A long text set from elsewhere replaces the editor's whole text, and the model keeps it
        // while it goes in.
        model.setPlaygroundText(pasted);
        QCOMPARE(model.playgroundText(), pasted);
        QUOR_TRY_VERIFY(!editor->isFilling());
        QCOMPARE(model.playgroundText(), pasted);
        QCOMPARE(editor->toPlainText(), pasted);
    }

    void samplesPasteAndClearLeaveOrDropTheResult()
    {
        FakeStudioModel model;
        model.setPlaygroundResult(studio_fixtures::translation());
        ZubPlaygroundView view(model, Qt::magenta);
        button(view, QStringLiteral("sample:3"))->click();
        QCOMPARE(model.playgroundText(), QStringLiteral("4250 + 20%"));
        QVERIFY(model.playgroundResult().has_value());

        QGuiApplication::clipboard()->setText(QStringLiteral("from the clipboard"));
        button(view, QStringLiteral("pasteButton"))->click();
        QCOMPARE(model.playgroundText(), QStringLiteral("from the clipboard"));
        QGuiApplication::clipboard()->setText(QString());
        button(view, QStringLiteral("pasteButton"))->click();
        QCOMPARE(model.playgroundText(), QStringLiteral("from the clipboard"));

        button(view, QStringLiteral("clearButton"))->click();
        QCOMPARE(model.playgroundText(), QString());
        QCOMPARE(model.playgroundResult(), std::nullopt);
        QCOMPARE(resultCard(view), nullptr);

        // Clearing during a run empties the text but the run goes on.
        model.setBusy(true);
        button(view, QStringLiteral("clearButton"))->click();
        QVERIFY(resultCard(view)->findChild<QLabel*>(QStringLiteral("busyTitle")) != nullptr);
    }

    void tilesRunTheirActionAndWaitWhileBusy()
    {
        FakeStudioModel model;
        model.setPlaygroundResult(studio_fixtures::translation());
        ZubPlaygroundView view(model, Qt::magenta);
        const QList<ZubActionDefinition> enabled = model.config().enabledActions();
        QCOMPARE(tiles(view).size(), enabled.size());
        button(view, QStringLiteral("tile:") + enabled[2].id.toString(QUuid::WithoutBraces))->click();
        QCOMPARE(model.ranActions, QList<ZubActionDefinition>{enabled[2]});
        // Busy: every tile waits and the card shows the busy row, even over the older result.
        QVERIFY(model.isPlaygroundBusy());
        for (QAbstractButton* tile : tiles(view)) {
            QVERIFY(!tile->isEnabled());
        }
        QCOMPARE(resultCard(view)->findChild<QLabel*>(QStringLiteral("busyTitle"))->text(), QStringLiteral("Executing action..."));
        QVERIFY(button(view, QStringLiteral("previewButton"))->isEnabled());
        button(view, QStringLiteral("previewButton"))->click();
        QCOMPARE(model.count(QStringLiteral("previewPlaygroundInFloatingBar")), 1);
        model.setBusy(false);
        for (QAbstractButton* tile : tiles(view)) {
            QVERIFY(tile->isEnabled());
        }

        // Disabling every action leaves the grid empty.
        ZubConfig config = model.config();
        for (ZubActionDefinition& action : config.actions) {
            action.isEnabled = false;
        }
        model.setConfig(config);
        QCOMPARE(tiles(view).size(), 0);
    }

    void resultButtonsActOnTheShownResult()
    {
        FakeStudioModel model;
        const ZubExecutionResult translation = studio_fixtures::translation();
        model.setPlaygroundResult(translation);
        ZubPlaygroundView view(model, Qt::magenta);
        QCOMPARE(resultCard(view)->findChild<QLabel*>(QStringLiteral("output"))->text(), translation.outputText);
        button(view, QStringLiteral("copyButton"))->click();
        QCOMPARE(model.copiedResults, QList<ZubExecutionResult>{translation});
        button(view, QStringLiteral("speakButton"))->click();
        QCOMPARE(model.spokenResults, QList<ZubExecutionResult>{translation});
        // Speaking (anywhere) turns the button into the stop button.
        QVERIFY(model.isSpeaking());
        QCOMPARE(button(view, QStringLiteral("speakButton"))->text(), QStringLiteral("Stop Speech"));
        button(view, QStringLiteral("replaceButton"))->click();
        QCOMPARE(model.playgroundText(), translation.outputText);
        QCOMPARE(model.playgroundResult(), translation);

        // An error: no replace; copy and speak still act on the message.
        ZubExecutionResult error = translation;
        error.isError = true;
        error.outputText = QStringLiteral("Select or enter some text first.");
        model.setPlaygroundResult(error);
        QCOMPARE(button(view, QStringLiteral("replaceButton")), nullptr);
        button(view, QStringLiteral("copyButton"))->click();
        QCOMPARE(model.copiedResults.last().outputText, error.outputText);

        // A QR result: copy the image, save the PNG, no replace or speak.
        const ZubExecutionResult qr = studio_fixtures::qrResult();
        model.setPlaygroundResult(qr);
        QVERIFY(resultCard(view)->findChild<QWidget*>(QStringLiteral("qrImage")) != nullptr);
        QCOMPARE(button(view, QStringLiteral("copyButton"))->text(), QStringLiteral("Copy Image"));
        QCOMPARE(button(view, QStringLiteral("speakButton")), nullptr);
        QCOMPARE(button(view, QStringLiteral("replaceButton")), nullptr);
        button(view, QStringLiteral("copyButton"))->click();
        QCOMPARE(model.copiedResults.last(), qr);
        button(view, QStringLiteral("saveButton"))->click();
        QCOMPARE(model.savedPNGs, QList<QByteArray>{*qr.qrPNGData});
    }

    // Thousands of enabled actions: the grid makes its tiles a batch at a time as its end comes
    // into sight, in the bar's order, and a run waits on the tiles made, not on all of them.
    void aLongGridMakesTilesAsItsEndComesIntoSight()
    {
        FakeStudioModel model;
        ZubConfig config = model.config();
        for (qsizetype i = config.actions.size(); i < 3000; ++i) {
            config.actions.append(ZubActionDefinition::make(QUuid::createUuid(), ZubActionKind::customAI,
                                                            QStringLiteral("Custom %1").arg(i), QString(),
                                                            QStringLiteral("sparkles"), true, QStringLiteral("Prompt"), i));
        }
        model.setConfig(config);
        ZubPlaygroundView view(model, Qt::magenta);
        view.resize(1100, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QUOR_TRY_VERIFY(tiles(view).size() >= ZubPlaygroundView::tileBatch);
        quorSpin(std::chrono::milliseconds(100));
        const qsizetype first = tiles(view).size();
        QVERIFY2(first < 1000, qPrintable(QString::number(first)));
        const QList<ZubActionDefinition> enabled = model.config().enabledActions();
        QCOMPARE(view.presentation().tileCount, enabled.size());
        QCOMPARE(view.presentation().tiles.last().action, enabled[first - 1]);

        QScrollBar* bar = view.findChild<QScrollArea*>()->verticalScrollBar();
        bar->setValue(bar->maximum());
        QUOR_TRY_VERIFY(tiles(view).size() > first);

        button(view, QStringLiteral("tile:") + enabled[1].id.toString(QUuid::WithoutBraces))->click();
        for (QAbstractButton* tile : tiles(view)) {
            QVERIFY(!tile->isEnabled());
        }
    }

    // A result card that a click of its own changes (speech starting, or ending while the Save PNG
    // dialog is open inside that click) is replaced once the click has returned, never inside it.
    void aCardIsReplacedAfterItsOwnClick()
    {
        FakeStudioModel model;
        model.setPlaygroundResult(studio_fixtures::translation());
        ZubPlaygroundView view(model, Qt::magenta);
        QPointer<QAbstractButton> speak = button(view, QStringLiteral("speakButton"));
        speak->click();
        QVERIFY(speak);
        QVERIFY(!speak->isVisibleTo(&view));
        QCOMPARE(resultCard(view)->findChild<QAbstractButton*>(QStringLiteral("speakButton"))->text(),
                 QStringLiteral("Stop Speech"));
        QUOR_TRY_VERIFY(speak.isNull());

        model.setPlaygroundResult(studio_fixtures::qrResult());
        QPointer<QAbstractButton> save = button(view, QStringLiteral("saveButton"));
        model.whileSaving = [&model] {
            model.setSpeaking(!model.isSpeaking());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        save->click();
        QVERIFY(save);
        QCOMPARE(model.savedPNGs.size(), 1);
        QUOR_TRY_VERIFY(save.isNull());
        QVERIFY(resultCard(view)->findChild<QWidget*>(QStringLiteral("qrImage")) != nullptr);
    }

    void menusWriteAndPersistTheConfiguration()
    {
        FakeStudioModel model;
        ZubPlaygroundView view(model, Qt::magenta);
        view.findChild<QuorMenuPicker*>(QStringLiteral("targetMenu"))->pick(4);
        QCOMPARE(model.config().targetLanguage, ZubTargetLanguage::french);
        QCOMPARE(model.persisted->targetLanguage, ZubTargetLanguage::french);
        QCOMPARE(view.findChild<QuorMenuPicker*>(QStringLiteral("targetMenu"))->labelText(), QStringLiteral("French (FR)"));
        QCOMPARE(view.presentation().statusPills[0].value, QStringLiteral("FR"));
        view.findChild<QuorMenuPicker*>(QStringLiteral("caseMenu"))->pick(1);
        QCOMPARE(model.persisted->preferredCaseStyle, ZubCaseTransformStyle::uppercase);
        QCOMPARE(model.count(QStringLiteral("persistConfig")), 2);
        // Re-rendering never writes back.
        model.setPlaygroundText(QStringLiteral("again"));
        model.setLanguage(QuorLanguage::tr);
        QCOMPARE(model.count(QStringLiteral("persistConfig")), 2);
    }

    // Tiles of every batch, and a grid made afresh, stand in the Tab chain as in the grid: after
    // the input card's controls and before the result card. (Last: it installs the application's
    // keyboard handling.)
    void tabRunsThroughTheTilesOfEveryBatchInOrder()
    {
        QuorKeyboardAccess::install();
        FakeStudioModel model;
        ZubConfig config = model.config();
        for (qsizetype i = config.actions.size(); i < 2 * ZubPlaygroundView::tileBatch + 10; ++i) {
            config.actions.append(ZubActionDefinition::make(QUuid::createUuid(), ZubActionKind::customAI,
                                                            QStringLiteral("Custom %1").arg(i), QString(),
                                                            QStringLiteral("sparkles"), true, QStringLiteral("Prompt"), i));
        }
        model.setConfig(config);
        model.setPlaygroundResult(studio_fixtures::translation());
        ZubPlaygroundView view(model, Qt::magenta);
        view.resize(1100, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        qsizetype count = model.config().enabledActions().size();
        QScrollBar* bar = view.findChild<QScrollArea*>()->verticalScrollBar();
        QVERIFY(quorWaitFor([&] {
            bar->setValue(bar->maximum());
            return tiles(view).size() == count;
        }));
        const auto tile = [&view](qsizetype index) {
            const QUuid id = view.presentation().tiles[index].action.id;
            return button(view, QStringLiteral("tile:") + id.toString(QUuid::WithoutBraces));
        };
        const auto tabFollowsTheGrid = [&] {
            QWidget* at = button(view, QStringLiteral("clearButton"));
            for (qsizetype i = 0; i < count; ++i) {
                if ((at = nextTabStop(at)) != tile(i)) {
                    qWarning("Tab reaches %s in place of tile %lld", at != nullptr ? qPrintable(at->objectName()) : "nothing",
                             static_cast<long long>(i));
                    return false;
                }
            }
            return nextTabStop(at) == button(view, QStringLiteral("copyButton"));
        };
        QVERIFY(tabFollowsTheGrid());
        tile(ZubPlaygroundView::tileBatch - 1)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), tile(ZubPlaygroundView::tileBatch));

        // An action less makes every tile afresh; the result card stays as it was.
        const QPointer<QAbstractButton> copy = button(view, QStringLiteral("copyButton"));
        config = model.config();
        for (ZubActionDefinition& action : config.actions) {
            action.isEnabled = action.isEnabled && action.id != view.presentation().tiles[0].action.id;
        }
        model.setConfig(config);
        count = model.config().enabledActions().size();
        QCOMPARE(tiles(view).size(), count);
        QCOMPARE(button(view, QStringLiteral("copyButton")), copy.data());
        QVERIFY(tabFollowsTheGrid());
    }
};

QUOR_TEST_MAIN(TestZubPlaygroundView)
#include "tst_zubplaygroundview.moc"
