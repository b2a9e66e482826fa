#include "FloatingBarFixtures.h"

#include "QuorZubApp/Views/ZubFloatingBarContentView.h"
#include "QuorZubApp/Views/ZubFloatingBarPresentation.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubApp/Views/ZubFrostedGlassCapsule.h"
#include "QuorZubApp/Views/ZubFrostedGlassCard.h"
#include "QuorZubApp/Views/ZubVibrancyCornerStyle.h"

#include "Support/QuorTestSupport.h"

#include "QuorZubApp/Views/ZubResultTextPreview.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include <algorithm>

using Card = ZubFloatingBarPresentation::Card;

class TestZubFloatingBarContent : public QObject {
    Q_OBJECT

private:
    // Every callback records what it was called with.
    struct Calls {
        QList<ZubActionDefinition> selected;
        QList<ZubExecutionResult> copied;
        QStringList replaced;
        QList<ZubExecutionResult> spoken;
        QList<QByteArray> saved;
        int cycled = 0;
        QList<bool> hovers;
        int dismissed = 0;
    };

    static ZubFloatingBarContentView::Callbacks callbacks(Calls& calls)
    {
        ZubFloatingBarContentView::Callbacks c;
        c.onSelectAction = [&calls](const ZubActionDefinition& a) { calls.selected << a; };
        c.onCopyResult = [&calls](const ZubExecutionResult& r) { calls.copied << r; };
        c.onReplaceSelection = [&calls](const QString& t) { calls.replaced << t; };
        c.onSpeakResult = [&calls](const ZubExecutionResult& r) { calls.spoken << r; };
        c.onSaveQRImage = [&calls](const QByteArray& png) { calls.saved << png; };
        c.onCycleTargetLanguage = [&calls] { ++calls.cycled; };
        c.onHoverChanged = [&calls](bool h) { calls.hovers << h; };
        c.onDismiss = [&calls] { ++calls.dismissed; };
        return c;
    }

    static void present(ZubFloatingBarState& state, int pills = 6)
    {
        state.setLanguage(QuorLanguage::en);
        state.setSourceText(QStringLiteral("The quick brown fox jumps over the lazy dog."));
        state.setDetectedLanguageCode(QStringLiteral("en"));
        state.setTargetLanguage(ZubTargetLanguage::turkish);
        state.setActions(fixtures::actions(pills));
        state.setIsPresented(true);
    }

    static QStringList visibleButtons(const QWidget& view)
    {
        QStringList names;
        for (const char* name : {"copyButton", "replaceButton", "speakButton", "saveQRButton", "closeButton"}) {
            const auto* button = view.findChild<QAbstractButton*>(QString::fromLatin1(name));
            if (button != nullptr && !button->isHidden()) {
                names << QString::fromLatin1(name);
            }
        }
        return names;
    }

    // A presented state and its view on screen, at the result card's size.
    struct ShownBar {
        ZubFloatingBarState state;
        Calls calls;
        ZubFloatingBarContentView view{&state, callbacks(calls), QuorProductPalette::deepCoral};
        ShownBar()
        {
            present(state);
            view.resize(608, 294);
            view.show();
        }
    };

    static QString outputText(const QWidget& view)
    {
        const auto* output = view.findChild<QPlainTextEdit*>(QStringLiteral("resultOutput"));
        return output != nullptr ? output->toPlainText() : QString();
    }

    // Writes the view's picture for a human look; what it returns must show a drawing of the size
    // asked for, not an empty or flat ground.
    static QImage shoot(QWidget& view, const QString& name)
    {
        const QImage image = fixtures::saveScreenshot(&view, name);
        QSet<QRgb> colors;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2) {
                colors.insert(image.pixel(x, y));
            }
        }
        return image.size() == view.size() * view.devicePixelRatio() && colors.size() > 50 ? image : QImage();
    }

private slots:
    void stateAnnouncesOnlyRealChanges()
    {
        ZubFloatingBarState state;
        QSignalSpy changed(&state, &ZubFloatingBarState::changed);
        QVERIFY(!state.isExpanded());
        state.setIsExecuting(true);
        QVERIFY(state.isExpanded());
        state.setIsExecuting(true);
        QCOMPARE(changed.count(), 1);
        state.setIsExecuting(false);
        state.setResult(fixtures::translation());
        QVERIFY(state.isExpanded());
        state.setResult(std::nullopt);
        QVERIFY(!state.isExpanded());
        QCOMPARE(state.language(), QuorLanguages::current());
        QCOMPARE(state.targetLanguage(), ZubTargetLanguage::autoFlipTREN);
        QVERIFY(state.canReplaceInPlace());
    }

    void pillRowTexts()
    {
        ZubFloatingBarState state;
        present(state);
        ZubFloatingBarPresentation p = ZubFloatingBarPresentation::make(state);
        QCOMPARE(p.languageBadge, QStringLiteral("EN→TR"));
        QCOMPARE(p.pills.size(), 6);
        QCOMPARE(p.pills[1].title, QStringLiteral("Fix Grammar"));
        QVERIFY(!p.pills[1].isActive);
        QCOMPARE(p.card, Card::none);

        state.setDetectedLanguageCode(QStringLiteral("de"));
        state.setTargetLanguage(ZubTargetLanguage::autoFlipTREN);
        state.setActiveActionID(state.actions()[1].id);
        state.setLanguage(QuorLanguage::tr);
        p = ZubFloatingBarPresentation::make(state);
        QCOMPARE(p.languageBadge, QStringLiteral("DE→TR↔EN"));
        QVERIFY(p.pills[1].isActive);
        QCOMPARE(p.pills[1].title, QStringLiteral("Düzelt"));
        QCOMPARE(p.badgeTooltip, QStringLiteral("Hedef dili değiştirmek için tıklayın"));
        QCOMPARE(p.dismissTooltip, QStringLiteral("Kapat (Esc)"));

        state.setDetectedLanguageCode(std::nullopt);
        state.setActions({});
        p = ZubFloatingBarPresentation::make(state);
        QCOMPARE(p.languageBadge, std::nullopt);
        QVERIFY(p.pills.isEmpty());
    }

    void runningCardShowsAtMost72Characters()
    {
        ZubFloatingBarState state;
        present(state);
        // 80 user-perceived characters, each an "e" with a combining accent (two code units).
        QString text;
        for (int i = 0; i < 80; ++i) {
            text += QStringLiteral("e\u0301");
        }
        state.setSourceText(text);
        state.setIsExecuting(true);
        state.setResult(fixtures::translation()); // running wins over a result still set
        const ZubFloatingBarPresentation p = ZubFloatingBarPresentation::make(state);
        QCOMPARE(p.card, Card::running);
        QCOMPARE(p.runningTitle, QStringLiteral("Processing selection..."));
        QCOMPARE(p.runningPreview.size(), 144);
        QVERIFY(!p.result);

        state.setSourceText(QStringLiteral("short"));
        QCOMPARE(ZubFloatingBarPresentation::make(state).runningPreview, QStringLiteral("short"));
    }

    void resultButtonsPerKind_data()
    {
        QTest::addColumn<ZubExecutionResult>("result");
        QTest::addColumn<bool>("canReplace");
        QTest::addColumn<QStringList>("buttons");
        const QStringList all{"copyButton", "replaceButton", "speakButton", "closeButton"};
        const QStringList noReplace{"copyButton", "speakButton", "closeButton"};
        const QStringList copyClose{"copyButton", "closeButton"};
        QTest::newRow("translation") << fixtures::translation() << true << all;
        QTest::newRow("from clipboard") << fixtures::translation() << false << noReplace;
        QTest::newRow("explain never replaces")
            << fixtures::result(ZubActionKind::explain, QStringLiteral("An idiom.")) << true << noReplace;
        QTest::newRow("error") << fixtures::result(ZubActionKind::translate, QStringLiteral("No network."), true) << true
                               << noReplace;
        QTest::newRow("empty error") << fixtures::result(ZubActionKind::translate, QString(), true) << true << copyClose;
        QTest::newRow("empty output") << fixtures::result(ZubActionKind::plainCopy, QString()) << true
                                      << QStringList{"copyButton", "replaceButton", "closeButton"};
        QTest::newRow("qr") << fixtures::qrResult() << true << QStringList{"copyButton", "saveQRButton", "closeButton"};
        QTest::newRow("qr unreadable") << fixtures::qrResult(QByteArray("not a png")) << true << copyClose;
    }

    void resultButtonsPerKind()
    {
        QFETCH(ZubExecutionResult, result);
        QFETCH(bool, canReplace);
        QFETCH(QStringList, buttons);
        ZubFloatingBarState state;
        present(state);
        state.setCanReplaceInPlace(canReplace);
        state.setResult(result);
        Calls calls;
        ZubFloatingBarContentView view(&state, callbacks(calls), QuorProductPalette::deepCoral);
        view.resize(608, 294);
        view.show();
        QStringList expected = buttons;
        expected.sort();
        QStringList actual = visibleButtons(view);
        actual.sort();
        QCOMPARE(actual, expected);
    }

    void resultCardTexts()
    {
        ZubFloatingBarState state;
        present(state);
        state.setResult(fixtures::translation());
        ZubFloatingBarPresentation p = ZubFloatingBarPresentation::make(state);
        QCOMPARE(p.card, Card::result);
        QCOMPARE(p.result->languageCapsule, QStringLiteral("EN → TR"));
        QCOMPARE(p.result->duration, QStringLiteral("842 ms"));
        QCOMPARE(p.result->headerSymbol, QStringLiteral("globe"));
        QCOMPARE(p.result->speakTitle, QStringLiteral("Speak"));
        QCOMPARE(p.result->speakSymbol, QStringLiteral("speaker.wave.2.fill"));
        QVERIFY(!p.result->speakIsActive);

        state.setIsSpeaking(true);
        state.setLanguage(QuorLanguage::tr);
        p = ZubFloatingBarPresentation::make(state);
        QCOMPARE(p.result->speakTitle, QStringLiteral("Durdur"));
        QCOMPARE(p.result->speakSymbol, QStringLiteral("stop.fill"));
        QVERIFY(p.result->speakIsActive);
        QCOMPARE(p.result->copyTitle, QStringLiteral("Kopyala"));
        QCOMPARE(p.result->replaceTitle, QStringLiteral("Değiştir"));
        QCOMPARE(p.result->closeTitle, QStringLiteral("Kapat"));

        // A card still open when the interface language changes shows its title in the new one,
        // a case transform's style included.
        ZubExecutionResult cased = fixtures::result(ZubActionKind::caseTransform, QStringLiteral("HELLO"), false);
        cased.actionTitle = QStringLiteral("Case · UPPERCASE");
        cased.actionTitleEN = QStringLiteral("Case");
        cased.actionTitleTR = QStringLiteral("Harf");
        cased.titleCaseStyle = ZubCaseTransformStyle::uppercase;
        state.setResult(cased);
        p = ZubFloatingBarPresentation::make(state);
        QCOMPARE(p.result->title,
                 QStringLiteral("Harf · ") + ZubCaseTransformStyles::displayName(ZubCaseTransformStyle::uppercase, QuorLanguage::tr));
        // The text body is named after the action in the same language; its value is the output.
        QCOMPARE(p.result->outputName, QStringLiteral("Sonuç: ") + p.result->title);
        state.setLanguage(QuorLanguage::en);
        QCOMPARE(ZubFloatingBarPresentation::make(state).result->title, QStringLiteral("Case · UPPERCASE"));
        QCOMPARE(ZubFloatingBarPresentation::make(state).result->outputName, QStringLiteral("Result: Case · UPPERCASE"));
        state.setLanguage(QuorLanguage::tr);

        ZubExecutionResult error = fixtures::result(ZubActionKind::summarize, QStringLiteral("The provider refused."), true);
        error.detectedLanguageCode = QStringLiteral("en"); // one code alone gives no capsule
        state.setResult(error);
        p = ZubFloatingBarPresentation::make(state);
        QVERIFY(p.result->isError);
        QCOMPARE(p.result->headerSymbol, QStringLiteral("exclamationmark.triangle.fill"));
        QCOMPARE(p.result->languageCapsule, std::nullopt);
    }

    void qrImageComesFromTheCacheOrTheData()
    {
        ZubFloatingBarState state;
        present(state);
        state.setResult(fixtures::qrResult());
        QCOMPARE(ZubFloatingBarPresentation::make(state).result->qrImage->size(), QSize(25, 25));
        QImage cached(7, 7, QImage::Format_RGB32);
        cached.fill(Qt::black);
        state.setCachedQRImage(cached);
        QCOMPARE(ZubFloatingBarPresentation::make(state).result->qrImage->size(), QSize(7, 7));
        // Undecodable data and no cache: the text body.
        state.setCachedQRImage(std::nullopt);
        state.setResult(fixtures::qrResult(QByteArray("garbage")));
        QVERIFY(!ZubFloatingBarPresentation::make(state).result->qrImage);
    }

    void controlsCallBack()
    {
        ZubFloatingBarState state;
        present(state);
        const ZubExecutionResult translation = fixtures::translation();
        state.setResult(translation);
        Calls calls;
        ZubFloatingBarContentView view(&state, callbacks(calls), QuorProductPalette::deepCoral);
        view.resize(608, 294);
        view.show();
        const auto click = [&view](const QString& name) {
            auto* button = view.findChild<QAbstractButton*>(name);
            QVERIFY2(button != nullptr, qPrintable(name));
            button->click();
        };
        click(QStringLiteral("copyButton"));
        click(QStringLiteral("replaceButton"));
        click(QStringLiteral("speakButton"));
        click(QStringLiteral("languageBadge"));
        click(QStringLiteral("dismissIcon"));
        click(QStringLiteral("closeButton"));
        click(QStringLiteral("pill:") + state.actions()[2].id.toString(QUuid::WithoutBraces));
        QCOMPARE(calls.copied, QList<ZubExecutionResult>{translation});
        QCOMPARE(calls.replaced, QStringList{translation.outputText});
        QCOMPARE(calls.spoken.size(), 1);
        QCOMPARE(calls.cycled, 1);
        QCOMPARE(calls.dismissed, 2);
        QCOMPARE(calls.selected, QList<ZubActionDefinition>{state.actions()[2]});

        QTest::keyClick(&view, Qt::Key_Escape);
        QCOMPARE(calls.dismissed, 3); // once per press

        state.setResult(fixtures::qrResult());
        click(QStringLiteral("saveQRButton"));
        QCOMPARE(calls.saved, QList<QByteArray>{fixtures::qrPNG()});
    }

    void aButtonWhoseClickRebuildsTheCardSurvivesIt()
    {
        // Speak flips the speaking state at once, which rebuilds the result card around the very
        // button being released.
        ZubFloatingBarState state;
        present(state);
        state.setResult(fixtures::translation());
        Calls calls;
        ZubFloatingBarContentView::Callbacks c = callbacks(calls);
        c.onSpeakResult = [&state, &calls](const ZubExecutionResult& r) {
            calls.spoken << r;
            state.setIsSpeaking(!state.isSpeaking());
        };
        ZubFloatingBarContentView view(&state, c, QuorProductPalette::deepCoral);
        view.resize(608, 294);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (int press = 0; press < 2; ++press) {
            auto* speak = view.findChild<QAbstractButton*>(QStringLiteral("speakButton"));
            QVERIFY(speak != nullptr && speak->isVisible());
            QTest::mouseClick(speak, Qt::LeftButton, {}, speak->rect().center());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QCOMPARE(calls.spoken.size(), 2);
        QVERIFY(!state.isSpeaking());
        QCOMPARE(view.findChildren<QAbstractButton*>(QStringLiteral("speakButton")).size(), 1);
    }

    void viewFollowsTheStateAndWritesNothing()
    {
        ShownBar shown;
        ZubFloatingBarState& state = shown.state;
        ZubFloatingBarContentView& view = shown.view;
        QSignalSpy changed(&state, &ZubFloatingBarState::changed);
        auto* running = view.findChild<QWidget*>(QStringLiteral("runningCard"));
        QVERIFY(running->isHidden());
        state.setIsExecuting(true);
        QVERIFY(!running->isHidden());
        QVERIFY(view.findChild<QWidget*>(QStringLiteral("resultCard")) == nullptr);
        state.setIsExecuting(false);
        state.setResult(fixtures::translation());
        QVERIFY(running->isHidden());
        QVERIFY(view.findChild<QWidget*>(QStringLiteral("resultCard")) != nullptr);
        auto* badge = view.findChild<QAbstractButton*>(QStringLiteral("languageBadge"));
        QCOMPARE(badge->text(), QStringLiteral("EN→TR"));
        state.setDetectedLanguageCode(std::nullopt);
        QVERIFY(badge->isHidden());
        QCOMPARE(changed.count(), 4); // only the test's own writes
        // The surfaces cover the pill row and the card, not the gap between them.
        const QPainterPath shape = view.surfaceShape();
        QVERIFY(shape.contains(QPointF(300, 20)));
        QVERIFY(!shape.contains(QPointF(2, 2)));
    }

    void pillRowStartsAtItsFirstPillBesideTheBadge()
    {
        ZubFloatingBarState state;
        present(state, 14);
        state.setDetectedLanguageCode(QStringLiteral("de"));
        state.setTargetLanguage(ZubTargetLanguage::autoFlipTREN);
        Calls calls;
        ZubFloatingBarContentView view(&state, callbacks(calls), QuorProductPalette::deepCoral);
        view.resize(360, 60);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* scroll = view.findChild<QScrollArea*>(QStringLiteral("pillScroll"));
        auto* badge = view.findChild<QAbstractButton*>(QStringLiteral("languageBadge"));
        const auto inView = [&view](const QWidget* widget) {
            return QRect(widget->mapTo(&view, QPoint(0, 0)), widget->size());
        };
        QVERIFY(inView(scroll->viewport()).left() > inView(badge).right());

        QScrollBar* bar = scroll->horizontalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        state.setIsPresented(false);
        state.setIsPresented(true);
        QCOMPARE(bar->value(), 0);
    }

    void aLongPillRowMakesPillsOnlyAroundWhatIsInSight()
    {
        QList<ZubActionDefinition> actions = fixtures::actions(13);
        for (qsizetype i = actions.size(); i < 3000; ++i) {
            actions.append(ZubActionDefinition::make(QUuid::createUuid(), ZubActionKind::customAI,
                                                     QStringLiteral("Custom %1").arg(i), QStringLiteral("Özel %1").arg(i),
                                                     QStringLiteral("sparkles"), true, QStringLiteral("Reply %1").arg(i),
                                                     static_cast<int>(i)));
        }
        ZubFloatingBarState state;
        present(state, 0);
        state.setActions(actions);
        Calls calls;
        ZubFloatingBarContentView view(&state, callbacks(calls), QuorProductPalette::deepCoral);
        view.resize(660, 50);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const auto pill = [&view](const ZubActionDefinition& action) {
            return view.findChild<QAbstractButton*>(QStringLiteral("pill:") + action.id.toString(QUuid::WithoutBraces));
        };
        const auto pills = [&view] { return view.findChildren<QAbstractButton*>(QRegularExpression(QStringLiteral("^pill:"))); };
        QVERIFY(pill(actions.first()) != nullptr);
        QVERIFY(pill(actions.last()) == nullptr);
        QVERIFY(pills().size() < 100);

        // The row scrolls over all of them, and the pills come with what is in sight.
        auto* scroll = view.findChild<QScrollArea*>(QStringLiteral("pillScroll"));
        QScrollBar* bar = scroll->horizontalScrollBar();
        QTRY_VERIFY(bar->maximum() > 3000 * 40);
        // Pills not measured yet count as wide as those measured: the end is where scrolling stops.
        QVERIFY(quorWaitFor([&] {
            bar->setValue(bar->maximum());
            return pill(actions.last()) != nullptr;
        }));
        QTRY_VERIFY(pill(actions.first()) == nullptr && pills().size() < 100);
        QAbstractButton* last = pill(actions.last());
        QVERIFY(scroll->viewport()->rect().contains(QRect(last->mapTo(scroll->viewport(), QPoint()), last->size()).center()));
        last->click();
        QCOMPARE(calls.selected, QList<ZubActionDefinition>{actions.last()});
        // Back a few screens, the pills made on the way keep the row's order for a screen reader.
        bar->setValue(bar->maximum() - 3 * scroll->viewport()->width());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<QAbstractButton*> made = pills();
        QVERIFY(!made.isEmpty() && made.size() < 100);
        QVERIFY(std::is_sorted(made.cbegin(), made.cend(),
                               [](const QAbstractButton* a, const QAbstractButton* b) { return a->x() < b->x(); }));

        // A new showing starts at the first pills again.
        state.setIsPresented(false);
        state.setIsPresented(true);
        QCOMPARE(bar->value(), 0);
        QTRY_VERIFY(pill(actions.first()) != nullptr && pill(actions.last()) == nullptr);
    }

    void frostedCorners()
    {
        const auto capsule = ZubVibrancyCornerStyle::capsule();
        QCOMPARE(capsule.cornerRadius(44), 22.0);
        QCOMPARE(capsule.cornerRadius(60), 30.0);
        QCOMPARE(ZubVibrancyCornerStyle::rounded(16).cornerRadius(300), 16.0);
        QCOMPARE(ZubVibrancyCornerStyle::rounded(0), ZubVibrancyCornerStyle::rounded(0));
        QVERIFY(ZubVibrancyCornerStyle::rounded(0) != capsule);
        QCOMPARE(capsule, ZubVibrancyCornerStyle::capsule());
        // The capsule's shape leaves its corners out; the card's keeps a 16-point radius.
        const QPainterPath pill = ZubFrostedGlassCapsule::shape(QRectF(0, 0, 200, 44));
        QVERIFY(!pill.contains(QPointF(3, 3)));
        QVERIFY(pill.contains(QPointF(22, 3)));
        const QPainterPath card = ZubFrostedGlassCard::shape(QRectF(0, 0, 200, 100), 16);
        QVERIFY(!card.contains(QPointF(2, 2)));
        QVERIFY(card.contains(QPointF(17, 2)));
    }

    void aHugeResultShowsItsStartAtOnceAndActsOnTheWhole()
    {
        // 15 MB of answer in one paragraph: a text view would lay all of it out.
        ZubExecutionResult huge = fixtures::result(ZubActionKind::summarize,
                                                   QStringLiteral("Uzun bir yanıt, long answer. ").repeated(520000));
        ShownBar shown;
        ZubFloatingBarContentView& view = shown.view;
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QElapsedTimer clock;
        clock.start();
        shown.state.setResult(huge);
        QCoreApplication::processEvents();
        view.repaint();
        const qint64 shownAfter = clock.elapsed();
        QVERIFY2(shownAfter < 2000, qPrintable(QStringLiteral("%1 ms").arg(shownAfter)));
        const QString preview = outputText(view);
        QVERIFY(huge.outputText.startsWith(preview.left(ZubResultTextPreview::shownCharacters)));
        QVERIFY(preview.size() < ZubResultTextPreview::shownCharacters + 200);
        QVERIFY(preview.endsWith(QStringLiteral("Copy and Replace use all of it.)")));
        view.findChild<QAbstractButton*>(QStringLiteral("copyButton"))->click();
        view.findChild<QAbstractButton*>(QStringLiteral("replaceButton"))->click();
        QCOMPARE(shown.calls.copied.value(0).outputText.size(), huge.outputText.size());
        QCOMPARE(shown.calls.replaced.value(0).size(), huge.outputText.size());
        // A result of ordinary size is shown whole.
        QCOMPARE(ZubResultTextPreview::make(QStringLiteral("short"), QuorLanguage::tr), QStringLiteral("short"));
    }

    void screenshots()
    {
        ZubFloatingBarState state;
        Calls calls;
        ZubFloatingBarContentView view(&state, callbacks(calls), QuorProductPalette::deepCoral);
        present(state, 6);
        view.resize(608, 50);
        view.show();
        const QImage collapsed = shoot(view, QStringLiteral("floatingbar-1-collapsed"));
        QVERIFY(!collapsed.isNull());
        QCOMPARE(view.findChildren<QAbstractButton*>(QRegularExpression(QStringLiteral("^pill:"))).size(), 6);
        QVERIFY(view.findChild<QWidget*>(QStringLiteral("resultCard")) == nullptr);

        state.setActiveActionID(state.actions()[0].id);
        state.setIsExecuting(true);
        view.resize(608, 140);
        QVERIFY(!shoot(view, QStringLiteral("floatingbar-2-running")).isNull());
        QVERIFY(view.findChild<QWidget*>(QStringLiteral("runningCard"))->isVisible());
        QVERIFY(view.findChild<QWidget*>(QStringLiteral("runningPreview"))->isVisible());
        QCOMPARE(ZubFloatingBarPresentation::make(state).runningPreview, state.sourceText());

        state.setIsExecuting(false);
        state.setResult(fixtures::translation());
        view.resize(608, 294);
        const QImage result = shoot(view, QStringLiteral("floatingbar-3-result"));
        QVERIFY(!result.isNull());
        QCOMPARE(outputText(view), fixtures::translation().outputText);
        QCOMPARE(visibleButtons(view).size(), 4);

        state.setResult(fixtures::result(ZubActionKind::translate,
                                         QStringLiteral("The translation service could not be reached."), true));
        const QImage error = shoot(view, QStringLiteral("floatingbar-4-error"));
        QVERIFY(!error.isNull());
        QCOMPARE(outputText(view), QStringLiteral("The translation service could not be reached."));
        QVERIFY(error != result);

        state.setActiveActionID(state.actions()[5].id);
        state.setCachedQRImage(QImage::fromData(fixtures::qrPNG(), "PNG"));
        state.setResult(fixtures::qrResult());
        view.resize(608, 348);
        QVERIFY(!shoot(view, QStringLiteral("floatingbar-5-qr")).isNull());
        QVERIFY(view.findChild<QWidget*>(QStringLiteral("qrImage"))->isVisible());
        QVERIFY(view.findChild<QAbstractButton*>(QStringLiteral("saveQRButton"))->isVisible());

        state.setLanguage(QuorLanguage::tr);
        state.setIsSpeaking(true);
        state.setCachedQRImage(std::nullopt);
        state.setResult(fixtures::translation());
        view.resize(608, 294);
        const QImage turkish = shoot(view, QStringLiteral("floatingbar-6-turkish-speaking"));
        QVERIFY(!turkish.isNull());
        QCOMPARE(view.findChild<QAbstractButton*>(QStringLiteral("copyButton"))->text(), QStringLiteral("Kopyala"));
        QCOMPARE(view.findChild<QAbstractButton*>(QStringLiteral("speakButton"))->text(), QStringLiteral("Durdur"));
        QVERIFY(turkish != result);
    }
};

QUOR_TEST_MAIN(TestZubFloatingBarContent)
#include "tst_zubfloatingbarcontent.moc"
