#include "StudioFixtures.h"

#include "QuorZubApp/App/MenuBarZubPopoverView.h"
#include "QuorZubApp/Views/Studio/ZubActionsPresentation.h"
#include "QuorZubApp/Views/Studio/ZubHistoryPresentation.h"
#include "QuorZubApp/Views/Studio/ZubPlaygroundPresentation.h"
#include "QuorZubApp/Views/ZubTextPreview.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "Support/QuorTestSupport.h"

#include <QFontMetricsF>
#include <QSet>
#include <QtTest>

using Actions = ZubActionsPresentation;
using History = ZubHistoryPresentation;

namespace {
const QColor kAccent(0xF4, 0x72, 0xD0);

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

ZubActionDefinition action(ZubActionKind kind, qint64 order, bool enabled = true,
                           std::optional<QString> prompt = std::nullopt)
{
    return ZubActionDefinition::make(QUuid::createUuid(), kind, std::nullopt, std::nullopt, std::nullopt, enabled,
                                     prompt, order);
}

ZubHistoryRecord record(ZubActionKind kind, const QString& title, const QString& input, const QString& output,
                        bool pinned = false)
{
    return studio_fixtures::historyRecord(kind, title, input, output, pinned, 842,
                                          QDateTime(QDate(2026, 12, 9), QTime(5, 15, 56), Qt::UTC));
}

QStringList titles(const QList<ZubHistoryRecord>& records)
{
    QStringList out;
    for (const ZubHistoryRecord& r : records) {
        out << r.actionTitle;
    }
    return out;
}

ZubHistoryFilterState state(ZubHistoryFilter filter, const QString& query = {})
{
    return {query, filter};
}
} // namespace

class TestZubStudioTabsPresentation : public QObject {
    Q_OBJECT
private slots:
    void actionRowsFollowTheBarOrderWithArrowsStoppingAtTheEnds()
    {
        ZubConfig config = ZubConfig::defaultConfig();
        config.actions = {action(ZubActionKind::speak, 7), action(ZubActionKind::translate, 2),
                          action(ZubActionKind::customAI, 5, true, QStringLiteral("Reply politely"))};
        const Actions p = Actions::make(config, QuorLanguage::en, {}, kAccent);
        QCOMPARE(p.rows.size(), 3);
        QCOMPARE(p.rows[0].kind, ZubActionKind::translate);
        QCOMPARE(p.rows[1].kind, ZubActionKind::customAI);
        QCOMPARE(p.rows[2].kind, ZubActionKind::speak);
        QVERIFY(!p.rows[0].canMoveUp);
        QVERIFY(p.rows[0].canMoveDown);
        QVERIFY(p.rows[1].canMoveUp && p.rows[1].canMoveDown);
        QVERIFY(p.rows[2].canMoveUp);
        QVERIFY(!p.rows[2].canMoveDown);
        // Only custom actions can be deleted; the others can only be switched off.
        QCOMPARE(p.rows[0].showsDelete, false);
        QCOMPARE(p.rows[1].showsDelete, true);
        QCOMPARE(p.rows[2].showsDelete, false);

        config.actions = {action(ZubActionKind::explain, 0)};
        const Actions single = Actions::make(config, QuorLanguage::en, {}, kAccent);
        QVERIFY(!single.rows[0].canMoveUp);
        QVERIFY(!single.rows[0].canMoveDown);
        config.actions.clear();
        QVERIFY(Actions::make(config, QuorLanguage::en, {}, kAccent).rows.isEmpty());
    }

    void actionRowLooksTextsAndBadges()
    {
        const Actions::Row on = Actions::row(action(ZubActionKind::translate, 0), 0, 1, QuorLanguage::en, kAccent);
        QCOMPARE(on.symbol, QStringLiteral("globe"));
        QCOMPARE(on.symbolColor, kAccent);
        QCOMPARE(on.titleColor, QuorGlassTokens::textPrimary());
        QCOMPARE(on.title, QStringLiteral("Translate"));
        QCOMPARE(on.badge, QStringLiteral("AI"));
        QCOMPARE(on.badgeColor, kAccent);
        QCOMPARE(on.detail, ZubActionKinds::defaultTitleEN(ZubActionKind::translate) + QStringLiteral(" / ") +
                                ZubActionKinds::defaultTitleTR(ZubActionKind::translate));
        QCOMPARE(on.detailColor, QuorGlassTokens::textMuted());

        // Off: icon and title grey, the badge keeps its colour.
        const Actions::Row off = Actions::row(action(ZubActionKind::translate, 0, false), 0, 1, QuorLanguage::en, kAccent);
        QCOMPARE(off.symbolColor, QuorGlassTokens::textMuted());
        QCOMPARE(off.titleColor, QuorGlassTokens::textMuted());
        QCOMPARE(off.badgeColor, kAccent);
        QVERIFY(!off.isEnabled);

        const Actions::Row offline = Actions::row(action(ZubActionKind::qrCode, 0), 0, 1, QuorLanguage::tr, kAccent);
        QCOMPARE(offline.badge, QStringLiteral("Çevrimdışı"));
        QCOMPARE(offline.badgeColor, QuorGlassTokens::success());
        QCOMPARE(offline.title, ZubActionKinds::defaultTitleTR(ZubActionKind::qrCode));
        QCOMPARE(Actions::row(action(ZubActionKind::speak, 0), 0, 1, QuorLanguage::en, kAccent).badge,
                 QStringLiteral("Offline"));
        QCOMPARE(Actions::row(action(ZubActionKind::customAI, 0), 0, 1, QuorLanguage::tr, kAccent).badge,
                 QStringLiteral("AI"));

        // A prompt shows verbatim on one line; an empty prompt counts as none.
        const Actions::Row custom = Actions::row(
            action(ZubActionKind::customAI, 0, true, QStringLiteral("Rewrite politely.\nKeep dates.\r\nSign as Ada")), 0, 1,
            QuorLanguage::en, kAccent);
        QCOMPARE(custom.detail, QStringLiteral("Rewrite politely. Keep dates. Sign as Ada"));
        QCOMPARE(custom.detailColor, QuorGlassTokens::textSecondary());
        const Actions::Row blank =
            Actions::row(action(ZubActionKind::customAI, 0, true, QString()), 0, 1, QuorLanguage::en, kAccent);
        QCOMPARE(blank.detailColor, QuorGlassTokens::textMuted());
        QVERIFY(blank.detail.contains(QStringLiteral(" / ")));
    }

    void customActionFormRules()
    {
        CustomAIActionFormState form;
        QCOMPARE(form.symbol, QStringLiteral("sparkles"));
        QVERIFY(Actions::showsPlaceholder(form));
        // The placeholder goes with any typed character, a lone space included.
        form.prompt = QStringLiteral(" ");
        QVERIFY(!Actions::showsPlaceholder(form));

        // Kept as typed: a blank prompt, or no title at all.
        form = {QStringLiteral("Reply"), QString(), QStringLiteral("bolt.fill"), QStringLiteral(" \n\t ")};
        QCOMPARE(Actions::formAfterAdd(form), form);
        form = {QStringLiteral("  "), QStringLiteral("\n"), QStringLiteral("bolt.fill"), QStringLiteral("Do it")};
        QCOMPARE(Actions::formAfterAdd(form), form);
        // One title is enough; everything but the icon is emptied.
        form = {QString(), QStringLiteral("Yanıt"), QStringLiteral("bolt.fill"), QStringLiteral("Do it")};
        QCOMPARE(Actions::formAfterAdd(form), (CustomAIActionFormState{{}, {}, QStringLiteral("bolt.fill"), {}}));

        const QList<Actions::SymbolOption> choices = Actions::symbolChoices(QStringLiteral("envelope.fill"));
        QCOMPARE(choices.size(), 8);
        QCOMPARE(choices[0].symbol, QStringLiteral("sparkles"));
        QCOMPARE(choices[7].symbol, QStringLiteral("bolt.fill"));
        QCOMPARE(choices[4], (Actions::SymbolOption{QStringLiteral("envelope.fill"), true, Qt::black, Qt::white}));
        QCOMPARE(choices[0], (Actions::SymbolOption{QStringLiteral("sparkles"), false, QuorGlassTokens::textPrimary(),
                                                    QuorGlassTokens::surface2()}));
        // Each icon has a name a listener knows, never the symbol's internal words.
        QSet<QString> iconNames;
        for (const QString& symbol : Actions::symbolOptions()) {
            const QString name = Actions::symbolTitle(symbol, QuorLanguage::tr);
            QVERIFY2(!name.contains(QLatin1Char('.')) && !name.contains(QStringLiteral("fill")), qPrintable(name));
            iconNames.insert(name);
        }
        QCOMPARE(iconNames.size(), 8);
        QCOMPARE(Actions::symbolTitle(QStringLiteral("chevron.left.forwardslash.chevron.right"), QuorLanguage::en),
                 QStringLiteral("Icon: Code"));

        const Actions tr = Actions::make(ZubConfig::defaultConfig(), QuorLanguage::tr, {}, kAccent);
        QCOMPARE(tr.orderTitle, QStringLiteral("Yüzen Çubuk Aksiyonları"));
        QCOMPARE(tr.resetTitle, QStringLiteral("Varsayılana Dön"));
        QCOMPARE(tr.titleTRPlaceholder, QStringLiteral("Türkçe Başlık"));
        QCOMPARE(tr.iconLabel, QStringLiteral("İkon:"));
        QCOMPARE(tr.addTitle, QStringLiteral("Özel Aksiyon Ekle"));
    }

    void filtersAdmitTheirKinds()
    {
        QCOMPARE(ZubHistoryFilters::fromRawValue(QStringLiteral("offline")), ZubHistoryFilter::offline);
        QCOMPARE(ZubHistoryFilters::fromRawValue(QStringLiteral("Offline")), std::nullopt);
        QCOMPARE(ZubHistoryFilters::pillTitle(ZubHistoryFilter::offline, QuorLanguage::en), QStringLiteral("Offline Tools"));
        QCOMPARE(ZubHistoryFilters::pillTitle(ZubHistoryFilter::pinned, QuorLanguage::tr), QStringLiteral("Sabitli"));

        const QList<ZubActionKind> aiKinds{ZubActionKind::translate, ZubActionKind::fixGrammar, ZubActionKind::summarize,
                                           ZubActionKind::explain, ZubActionKind::customAI};
        for (const ZubActionKind kind : ZubActionKinds::allCases()) {
            const ZubHistoryRecord r = record(kind, QStringLiteral("x"), {}, {});
            const QString name = ZubActionKinds::rawValue(kind);
            QVERIFY2(ZubHistoryFilters::admits(ZubHistoryFilter::all, r), qPrintable(name));
            QVERIFY2(!ZubHistoryFilters::admits(ZubHistoryFilter::pinned, r), qPrintable(name));
            QCOMPARE(ZubHistoryFilters::admits(ZubHistoryFilter::translations, r), kind == ZubActionKind::translate);
            QCOMPARE(ZubHistoryFilters::admits(ZubHistoryFilter::offline, r), !aiKinds.contains(kind));
        }
        ZubHistoryRecord pinned = record(ZubActionKind::summarize, QStringLiteral("x"), {}, {}, true);
        QVERIFY(ZubHistoryFilters::admits(ZubHistoryFilter::pinned, pinned));
    }

    void searchIgnoresCaseButNotDiacritics()
    {
        const ZubHistoryRecord r = record(ZubActionKind::translate, QStringLiteral("Translate"),
                                          QStringLiteral("Café au lait in İSTANBUL"), QStringLiteral("Sütlü kahve"));
        const QString en = QStringLiteral("en_US");
        QVERIFY(History::matchesSearch(r, QString(), en));
        QVERIFY(History::matchesSearch(r, QStringLiteral("   \n "), en));
        QVERIFY(History::matchesSearch(r, QStringLiteral("  café AU "), en));
        QVERIFY(History::matchesSearch(r, QStringLiteral("SÜTLÜ"), en));
        // Only the title holds it.
        QVERIFY(History::matchesSearch(r, QStringLiteral("translate"), en));
        QVERIFY(!History::matchesSearch(r, QStringLiteral("cafe"), en));
        QVERIFY(!History::matchesSearch(r, QStringLiteral("sutlu"), en));
        // A decomposed accent is the same letter.
        QVERIFY(History::matchesSearch(r, QStringLiteral("cafe\u0301"), en));
        // Turkish pairs: dotted capital İ and dotless ı.
        QVERIFY(History::matchesSearch(r, QStringLiteral("istanbul"), QStringLiteral("tr_TR")));
        const ZubHistoryRecord dotless = record(ZubActionKind::translate, QStringLiteral("t"), QStringLiteral("KIRMIZI"), {});
        QVERIFY(History::matchesSearch(dotless, QStringLiteral("kırmızı"), QStringLiteral("tr_TR")));
        QVERIFY(History::matchesSearch(dotless, QStringLiteral("kirmizi"), en));
    }

    void filterAndSearchCombineInStoredOrder()
    {
        const QList<ZubHistoryRecord> history{
            record(ZubActionKind::translate, QStringLiteral("A"), QStringLiteral("hello world"), QStringLiteral("merhaba")),
            record(ZubActionKind::summarize, QStringLiteral("B"), QStringLiteral("world news"), QStringLiteral("short"), true),
            record(ZubActionKind::speak, QStringLiteral("C"), QStringLiteral("say it"), QStringLiteral("said")),
            record(ZubActionKind::translate, QStringLiteral("D"), QStringLiteral("world"), QStringLiteral("dünya"), true),
            record(ZubActionKind::openWebSearch, QStringLiteral("E"), QStringLiteral("q"), QStringLiteral("https://x")),
        };
        const QString en = QStringLiteral("en_US");
        // Pinned records stay where they are.
        QCOMPARE(titles(History::filtered(history, state(ZubHistoryFilter::all), en)),
                 (QStringList{"A", "B", "C", "D", "E"}));
        QCOMPARE(titles(History::filtered(history, state(ZubHistoryFilter::pinned), en)), (QStringList{"B", "D"}));
        QCOMPARE(titles(History::filtered(history, state(ZubHistoryFilter::translations), en)), (QStringList{"A", "D"}));
        QCOMPARE(titles(History::filtered(history, state(ZubHistoryFilter::offline), en)), (QStringList{"C", "E"}));
        QCOMPARE(titles(History::filtered(history, state(ZubHistoryFilter::pinned, QStringLiteral("WORLD")), en)),
                 (QStringList{"B", "D"}));
        QCOMPARE(titles(History::filtered(history, state(ZubHistoryFilter::pinned, QStringLiteral("news")), en)),
                 QStringList{"B"});
        QCOMPARE(titles(History::filtered(history, state(ZubHistoryFilter::all, QStringLiteral("  ")), en)).size(), 5);

        const History nothing = History::make(history, QuorLanguage::tr, state(ZubHistoryFilter::all, QStringLiteral("zzz")),
                                              kAccent, en, "UTC");
        QVERIFY(nothing.showsEmptyState);
        QCOMPARE(nothing.emptyTitle, QStringLiteral("Henüz geçmiş kaydı yok"));
        QVERIFY(nothing.clearEnabled);

        // Cards are made as the list needs them; made later, they are the cards made at once.
        const ZubHistoryFilterState world = state(ZubHistoryFilter::all, QStringLiteral("world"));
        const History whole = History::make(history, QuorLanguage::en, world, kAccent, en, "UTC");
        History limited = History::make(history, QuorLanguage::en, world, kAccent, en, "UTC", 2);
        QCOMPARE(titles(limited.listed), (QStringList{"A", "B", "D"}));
        QCOMPARE(limited.cards, whole.cards.first(2));
        limited.makeCardsUpTo(10, QuorLanguage::en, kAccent, en, "UTC");
        QCOMPARE(limited.cards, whole.cards);
    }

    void clearUnpinnedLooksAtTheWholeHistory()
    {
        const QString en = QStringLiteral("en_US");
        const History empty = History::make({}, QuorLanguage::en, {}, kAccent, en, "UTC");
        QVERIFY(empty.showsEmptyState);
        QVERIFY(!empty.clearEnabled);
        QCOMPARE(empty.emptyTitle, QStringLiteral("No history items yet"));

        QList<ZubHistoryRecord> history{record(ZubActionKind::translate, QStringLiteral("A"), {}, {}, true),
                                        record(ZubActionKind::speak, QStringLiteral("B"), {}, {}, true)};
        QVERIFY(!History::make(history, QuorLanguage::en, {}, kAccent, en, "UTC").clearEnabled);
        // One unpinned record, hidden by the pinned filter, still enables it.
        history.append(record(ZubActionKind::speak, QStringLiteral("C"), {}, {}, false));
        const History pinnedOnly = History::make(history, QuorLanguage::en, state(ZubHistoryFilter::pinned), kAccent, en, "UTC");
        QCOMPARE(pinnedOnly.cards.size(), 2);
        QVERIFY(pinnedOnly.clearEnabled);
        QCOMPARE(pinnedOnly.clearTitle, QStringLiteral("Clear Unpinned"));
        QVERIFY(pinnedOnly.pills[1].isSelected);
        QVERIFY(!pinnedOnly.pills[0].isSelected);
    }

    void recordCards()
    {
        ZubHistoryRecord r = record(ZubActionKind::translate, QStringLiteral("Translate"), QStringLiteral("Merhaba"),
                                    QStringLiteral("Hello"));
        r.detectedLanguageCode = QStringLiteral("tr");
        r.targetLanguageCode = QStringLiteral("en");
        History::Card card = History::makeCard(r, QuorLanguage::en, kAccent, QStringLiteral("d"));
        QCOMPARE(card.languageBadge, QStringLiteral("TR → EN"));
        QCOMPARE(card.speakLanguageCode, QStringLiteral("en"));
        QCOMPARE(card.durationText, QStringLiteral("842 ms"));
        QCOMPARE(card.symbol, QStringLiteral("globe"));
        QCOMPARE(card.symbolColor, kAccent);
        QCOMPARE(card.outputColor, QuorGlassTokens::textPrimary());
        QCOMPARE(card.pinSymbol, QStringLiteral("pin"));
        QCOMPARE(card.pinColor, QuorGlassTokens::textSecondary());
        QVERIFY(!card.pinActive);
        QCOMPARE(card.copyTitle, QStringLiteral("Copy Output"));

        // Detected only: no badge, and speech in the detected language.
        r.targetLanguageCode.reset();
        card = History::makeCard(r, QuorLanguage::tr, kAccent, QStringLiteral("d"));
        QCOMPARE(card.languageBadge, std::nullopt);
        QCOMPARE(card.speakLanguageCode, QStringLiteral("tr"));
        QCOMPARE(card.speakTitle, QStringLiteral("Seslendir"));
        QCOMPARE(card.openTitle, QStringLiteral("Oyun Alanında Aç"));
        r.detectedLanguageCode.reset();
        QCOMPARE(History::makeCard(r, QuorLanguage::en, kAccent, {}).speakLanguageCode, std::nullopt);

        // An error keeps its kind's symbol, in the warning colour, output included.
        r.isError = true;
        r.isPinned = true;
        card = History::makeCard(r, QuorLanguage::en, kAccent, {});
        QCOMPARE(card.symbol, QStringLiteral("globe"));
        QCOMPARE(card.symbolColor, QuorGlassTokens::warning());
        QCOMPARE(card.outputColor, QuorGlassTokens::warning());
        QVERIFY(card.pinActive);
        QCOMPARE(card.pinSymbol, QStringLiteral("pin.fill"));
        QCOMPARE(card.pinColor, kAccent);
    }

    // Every card's buttons look alike: a screen reader names each by its record, the action's
    // title and then the start of the input.
    void recordNamesTellTheCardsApart_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("name");
        QTest::newRow("short") << "Calculate" << "200 + 10%" << "Calculate, 200 + 10%";
        QTest::newRow("first line") << "Translate" << "Bugün hava\r\nçok güzel." << "Translate, Bugün hava…";
        QTest::newRow("blanks") << " Summarize\n" << " \n a\t\tb  " << "Summarize, a b";
        QTest::newRow("cut at a word") << "Case" << "The quick brown fox jumps over the lazy dog and runs on"
                                       << "Case, The quick brown fox jumps over the lazy…";
        QTest::newRow("one long word") << "Case" << QString(60, QLatin1Char('x'))
                                       << "Case, " + QString(40, QLatin1Char('x')) + "…";
        QTest::newRow("whole characters") << "Case" << QStringLiteral("👩‍💻").repeated(41)
                                          << "Case, " + QStringLiteral("👩‍💻").repeated(40) + "…";
        QTest::newRow("huge") << "Case" << QStringLiteral("word ").repeated(200'000)
                              << "Case, " + QStringLiteral("word ").repeated(8).trimmed() + "…";
        QTest::newRow("no input") << "Calculate" << "  " << "Calculate";
    }

    void recordNamesTellTheCardsApart()
    {
        QFETCH(QString, title);
        QFETCH(QString, input);
        QFETCH(QString, name);
        QCOMPARE(History::recordName(title, input), name);
        ZubHistoryRecord r = record(ZubActionKind::calculate, title, input, QStringLiteral("220"));
        for (const QuorLanguage language : {QuorLanguage::en, QuorLanguage::tr}) {
            r.isPinned = language == QuorLanguage::tr;
            const History::Card card = History::makeCard(r, language, kAccent, {});
            QCOMPARE(card.recordName, name);
            const QList<std::pair<QString, QString>> controls{{card.copyTitle, card.copyName},
                                                              {card.speakTitle, card.speakName},
                                                              {card.openTitle, card.openName},
                                                              {card.pinTitle, card.pinName},
                                                              {card.deleteTitle, card.deleteName}};
            for (const auto& [shown, named] : controls) {
                QCOMPARE(named, shown + QStringLiteral(": ") + name);
            }
        }
    }

    // What a few lines show of a text: its start, cut between characters, with an ellipsis when
    // more follows.
    void previewsShowTheStartOfATextOfAnySize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lineBreaks");
        QTest::addColumn<int>("characters");
        QTest::addColumn<QString>("preview");
        QTest::newRow("short") << QStringLiteral("one\ntwo") << 2 << 100 << QStringLiteral("one\ntwo");
        QTest::newRow("at the characters") << QStringLiteral("abcdef") << 2 << 4 << QStringLiteral("abcd…");
        QTest::newRow("at the line breaks") << QStringLiteral("a\nb\nc\nd") << 2 << 100 << QStringLiteral("a\nb\nc…");
        QTest::newRow("CR LF is one break") << QStringLiteral("a\r\nb\r\nc") << 1 << 100 << QStringLiteral("a\r\nb…");
        QTest::newRow("blank end dropped") << QStringLiteral("word   \nmore") << 0 << 100 << QStringLiteral("word…");
        QTest::newRow("whole accent") << QStringLiteral("abe\u0301cd") << 2 << 3 << QStringLiteral("abe\u0301…");
        QTest::newRow("whole emoji") << QStringLiteral("a👩‍💻b") << 2 << 2 << QStringLiteral("a👩‍💻…");
    }

    void previewsShowTheStartOfATextOfAnySize()
    {
        QFETCH(QString, text);
        QFETCH(int, lineBreaks);
        QFETCH(int, characters);
        QFETCH(QString, preview);
        QCOMPARE(ZubTextPreview::make(text, lineBreaks, characters), preview);
    }

    // Every preview of a result of megabytes holds a bounded start of it, whatever the text's shape
    // (one endless line, or a great many short ones); the record and the result keep all of it.
    void everyPreviewOfAHugeTextIsABoundedStart()
    {
        const QString oneLine = QStringLiteral("Many words in one long line. ").repeated(200'000);
        const QString manyLines = QStringLiteral("A short line.\n").repeated(400'000);
        for (const auto& [shape, huge] : {std::pair{"one line", oneLine}, std::pair{"many lines", manyLines}}) {
            const ZubHistoryRecord r = record(ZubActionKind::caseTransform, QStringLiteral("Case"), huge, huge);
            const History::Card card = History::makeCard(r, QuorLanguage::en, kAccent, {});
            const MenuBarZubPopoverView::Model tray =
                MenuBarZubPopoverView::model(ZubConfig::defaultConfig(), {r}, QuorLanguage::en, false);
            ZubExecutionResult result = studio_fixtures::translation();
            result.inputText = huge;
            result.outputText = huge;
            const ZubPlaygroundPresentation::ResultCard playground =
                ZubPlaygroundPresentation::makeResultCard(result, false, QuorLanguage::en);
            const struct {
                const char* where;
                QString preview;
                qsizetype bound;
            } previews[] = {
                {"history card input", card.inputText, ZubTextPreview::defaultCharacters},
                {"history card output", card.outputText, ZubTextPreview::defaultCharacters},
                {"tray row", tray.recentRows.value(0).output, MenuBarZubPopoverView::recentOutputCharacters},
                {"playground result", playground.outputText, ZubPlaygroundPresentation::shownResultCharacters},
                {"playground input", playground.inputText, ZubPlaygroundPresentation::shownResultCharacters},
            };
            for (const auto& [where, preview, bound] : previews) {
                const QByteArray what = QByteArray(shape) + ", " + where;
                QVERIFY2(preview.size() <= bound + 200, what);
                // The text holds no ellipsis: what comes before the preview's own is the text's start.
                const QString start = preview.section(QChar(0x2026), 0, 0);
                QVERIFY2(start.size() > 10 && huge.startsWith(start), what);
            }
            QCOMPARE(card.record.outputText.size(), huge.size());
        }
    }

    void datesAndPillsFollowTheLocale()
    {
        const QDateTime date(QDate(2026, 12, 9), QTime(17, 15, 56), Qt::UTC);
        const QString english = History::dateText(date, QStringLiteral("en_US"), "UTC");
        QVERIFY2(english.startsWith(QStringLiteral("Dec 9, 2026")), qPrintable(english));
        QVERIFY2(english.contains(QStringLiteral("5:15")) && english.contains(QStringLiteral("PM")), qPrintable(english));
        const QString turkish = History::dateText(date, QStringLiteral("tr_TR"), "Europe/Istanbul");
        QVERIFY2(turkish.startsWith(QStringLiteral("9 Ara 2026")), qPrintable(turkish));
        QVERIFY2(turkish.contains(QStringLiteral("20:15")), qPrintable(turkish));
        QCOMPARE(History::dateText(QDateTime(), QStringLiteral("en_US")), QString());

        QCOMPARE(History::pillLook(true, kAccent),
                 (History::PillLook{true, Qt::white, withAlpha(kAccent, 0.28), withAlpha(kAccent, 0.65)}));
        QCOMPARE(History::pillLook(false, kAccent),
                 (History::PillLook{false, QuorGlassTokens::textSecondary(), QuorGlassTokens::surface1(),
                                    QuorGlassTokens::borderSubtle()}));
    }

    void everySymbolOfTheTabsHasItsOwnGlyph()
    {
        QStringList names = Actions::symbolOptions();
        names << QStringLiteral("arrow.counterclockwise") << QStringLiteral("chevron.up") << QStringLiteral("chevron.down")
              << QStringLiteral("trash") << QStringLiteral("plus.circle.fill") << QStringLiteral("magnifyingglass")
              << QStringLiteral("clock.arrow.circlepath") << QStringLiteral("doc.on.doc")
              << QStringLiteral("speaker.wave.2.fill") << QStringLiteral("arrow.uturn.left") << QStringLiteral("pin")
              << QStringLiteral("pin.fill");
        const QFontMetricsF metrics(QuorSymbols::font(12));
        for (const QString& name : names) {
            QVERIFY2(QuorSymbols::isKnown(name), qPrintable(name));
            QVERIFY2(metrics.inFontUcs4(QuorSymbols::codepoint(name)), qPrintable(name));
        }
    }
};

QUOR_TEST_MAIN(TestZubStudioTabsPresentation)
#include "tst_zubstudiotabspresentation.moc"
