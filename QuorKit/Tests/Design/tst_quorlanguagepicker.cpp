#include "QuorKit/Design/QuorLanguageEnvironment.h"
#include "QuorKit/Design/QuorLanguageMenuButton.h"
#include "QuorKit/Design/QuorLanguagePicker.h"
#include "QuorKit/Design/QuorMenuPicker.h"
#include "QuorKit/Utilities/QuorNotificationCenter.h"
#include "QuorKit/Utilities/QuorSettings.h"
#include "Support/QuorTestSupport.h"

#include "QuorKit/Design/QuorFonts.h"

#include <QAction>
#include <QGlyphRun>
#include <QTextLayout>
#include <QMenu>
#include <QtTest>

class TestQuorLanguagePicker : public QObject {
    Q_OBJECT

    static void store(const QVariant& value)
    {
        if (value.isValid()) {
            QuorSettings::standard().setValue(QuorLanguages::defaultsKey, value);
        } else {
            QuorSettings::standard().remove(QuorLanguages::defaultsKey);
        }
    }

    static QString stored() { return QuorSettings::standard().string(QuorLanguages::defaultsKey).value_or(QString()); }

    static int rowOf(QuorLanguage language)
    {
        return static_cast<int>(QuorLanguagePicker::rowSelections().indexOf(QuorLanguageSelection::explicitLanguage(language)));
    }

private slots:
    void init()
    {
        qputenv("LANGUAGE", "de_DE:en_US");
        store({});
    }

    void rowsStartWithTheSystemLanguage()
    {
        const auto rows = QuorLanguagePicker::rowSelections();
        QCOMPARE(rows.size(), 2 + static_cast<qsizetype>(QuorLanguages::caseCount));
        QCOMPARE(rows[0], QuorLanguageSelection::system());
        QCOMPARE(rows[1], std::nullopt);
        QCOMPARE(rows[2], QuorLanguageSelection::explicitLanguage(QuorLanguages::sortedCases().first()));

        QuorLanguagePicker picker(std::nullopt, QuorLanguage::en, false, {});
        const auto& items = picker.menuPicker()->items();
        QCOMPARE(items[0].title, QStringLiteral("System Language (Deutsch)"));
        QVERIFY(items[1].isSeparator);
        QCOMPARE(items[rowOf(QuorLanguage::tr)].title, QuorLanguages::displayName(QuorLanguage::tr));
        QCOMPARE(picker.title(), QStringLiteral("Language"));
        QCOMPARE(picker.menuPicker()->minimumWidth(), 190);
        QCOMPARE(picker.menuPicker()->maximumWidth(), 260);

        picker.setLanguage(QuorLanguage::tr);
        QCOMPARE(picker.menuPicker()->items()[0].title, QStringLiteral("Sistem Dili (Deutsch)"));
        QCOMPARE(picker.title(), QStringLiteral("Dil"));
        QCOMPARE(QuorLanguagePicker(QStringLiteral("Arayüz"), QuorLanguage::tr, true, {}).title(), QStringLiteral("Arayüz"));

        // Nothing the system prefers is offered: English, by its own name.
        qputenv("LANGUAGE", "xx_YY");
        QuorLanguagePicker fallback(std::nullopt, QuorLanguage::en, false, {});
        QCOMPARE(fallback.menuPicker()->items()[0].title, QStringLiteral("System Language (English)"));
    }

    void storedPreferenceDecidesTheShownChoice_data()
    {
        QTest::addColumn<QVariant>("preference");
        QTest::addColumn<bool>("following");
        QTest::newRow("missing") << QVariant() << true;
        QTest::newRow("system") << QVariant("system") << true;
        QTest::newRow("upper case") << QVariant("SYSTEM") << true;
        QTest::newRow("blank") << QVariant("  \n") << true;
        QTest::newRow("turkish") << QVariant("tr") << false;
    }

    void storedPreferenceDecidesTheShownChoice()
    {
        QFETCH(QVariant, preference);
        QFETCH(bool, following);
        store(preference);
        QuorLanguagePicker picker(std::nullopt, QuorLanguage::fr, false, {});
        QCOMPARE(picker.isFollowingSystem(), following);
        QCOMPARE(picker.selection(), following ? QuorLanguageSelection::system()
                                               : QuorLanguageSelection::explicitLanguage(QuorLanguage::fr));
        QCOMPARE(picker.menuPicker()->currentIndex(), following ? 0 : rowOf(QuorLanguage::fr));
    }

    void systemChoiceKeepsFollowingWhileTheHostAppliesIt()
    {
        store("tr");
        QList<QuorLanguage> reported;
        QList<QVariant> announced;
        QObject context;
        QuorNotificationCenter::defaultCenter().addObserver(
            quorLanguageDidChange, &context, [&announced](const QuorNotification& n) { announced << n.object; });
        // The settings tab answers by making the language current, as its binding does.
        QuorLanguagePicker picker(std::nullopt, QuorLanguage::tr, false, [&reported](QuorLanguage language) {
            reported << language;
            QuorLanguages::setCurrent(language);
        });
        picker.menuPicker()->pick(0);
        QCOMPARE(reported, QList<QuorLanguage>{QuorLanguage::de});
        QCOMPARE(stored(), QStringLiteral("system"));
        QVERIFY(picker.isFollowingSystem());
        QCOMPARE(picker.menuPicker()->currentIndex(), 0);
        QVERIFY(!announced.isEmpty());
        // Outside the picker's answer a change is stored again.
        QuorLanguages::setCurrent(QuorLanguage::de);
        QCOMPARE(stored(), QStringLiteral("de"));
    }

    void explicitChoiceStoresItAndReportsOnce()
    {
        QList<QuorLanguage> reported;
        QuorLanguagePicker picker(std::nullopt, QuorLanguage::en, false,
                                  [&reported](QuorLanguage language) { reported << language; });
        QVERIFY(picker.isFollowingSystem());
        picker.menuPicker()->pick(rowOf(QuorLanguage::tr));
        QCOMPARE(reported, QList<QuorLanguage>{QuorLanguage::tr});
        QCOMPARE(stored(), QStringLiteral("tr"));
        QVERIFY(!picker.isFollowingSystem());
        QCOMPARE(picker.language(), QuorLanguage::tr);
        QCOMPARE(picker.menuPicker()->currentIndex(), rowOf(QuorLanguage::tr));
        QCOMPARE(picker.menuPicker()->labelText(), QuorLanguages::displayName(QuorLanguage::tr));
        // The separator is not a choice.
        picker.menuPicker()->pick(1);
        QCOMPARE(reported.size(), 1);
    }

    void aPreferenceChangedElsewhereShowsWhenThePickerComesOnScreen()
    {
        store("tr");
        QuorLanguagePicker picker(std::nullopt, QuorLanguage::tr, false, {});
        QVERIFY(!picker.isFollowingSystem());
        store("system");
        QVERIFY(!picker.isFollowingSystem());
        picker.show();
        QVERIFY(picker.isFollowingSystem());
        QCOMPARE(picker.menuPicker()->currentIndex(), 0);
    }

    void menuButtonShowsShortCodesAndMarksTheChoice()
    {
        QCOMPARE(QuorLanguages::shortCode(QuorLanguage::zhHant), QStringLiteral("ZH-TW"));
        QCOMPARE(QuorLanguages::shortCode(QuorLanguage::ptBR), QStringLiteral("PT"));
        QCOMPARE(QuorLanguages::shortCode(QuorLanguage::en), QStringLiteral("EN"));

        QList<QuorLanguage> reported;
        QuorLanguageMenuButton button(QuorLanguage::en, [&reported](QuorLanguage language) { reported << language; });
        QCOMPARE(button.toolTip(), QStringLiteral("Language"));
        const auto checked = [&button] {
            QStringList codes;
            std::unique_ptr<QMenu> menu(button.buildMenu());
            for (QAction* action : menu->actions()) {
                if (action->isChecked()) {
                    codes << action->data().toString();
                }
            }
            return codes;
        };
        QCOMPARE(checked(), QStringList{"system"});
        button.select(QuorLanguageSelection::explicitLanguage(QuorLanguage::ptPT));
        QCOMPARE(checked(), QStringList{"pt-PT"});
        QCOMPARE(button.language(), QuorLanguage::ptPT);
        QCOMPARE(stored(), QStringLiteral("pt-PT"));
        button.select(QuorLanguageSelection::system());
        QCOMPARE(checked(), QStringList{"system"});
        QCOMPARE(reported, (QList<QuorLanguage>{QuorLanguage::ptPT, QuorLanguage::de}));
    }

    void rightToLeftLanguages()
    {
        QList<QuorLanguage> rtl;
        for (const QuorLanguage language : QuorLanguages::allCases()) {
            if (quorLayoutDirection(language) == Qt::RightToLeft) {
                rtl << language;
            }
        }
        QCOMPARE(rtl, (QList<QuorLanguage>{QuorLanguage::ar, QuorLanguage::fa, QuorLanguage::he}));
        QWidget widget;
        quorContentLayoutDirection(&widget, QuorLanguage::he);
        QCOMPARE(widget.layoutDirection(), Qt::RightToLeft);
        quorLocaleEnvironment(&widget, QuorLanguage::ptBR);
        QCOMPARE(widget.locale().territory(), QLocale::Brazil);
    }

    // Every native name draws with real glyphs (no empty boxes) from the fonts the project installs.
    void nativeNamesHaveGlyphs()
    {
        for (const QuorLanguage language : QuorLanguages::allCases()) {
            const QString name = QuorLanguages::nativeName(language);
            QTextLayout layout(name, QuorFonts::system(13));
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            for (const QGlyphRun& run : layout.glyphRuns()) {
                QVERIFY2(!run.glyphIndexes().contains(0), qPrintable(name + QStringLiteral(" in ") + run.rawFont().familyName()));
            }
        }
    }
};

QUOR_TEST_MAIN(TestQuorLanguagePicker)
#include "tst_quorlanguagepicker.moc"
