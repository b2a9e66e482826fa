#include "QuorPlatform/LanguageRecognition/QuorCld2LanguageRecognizer.h"
#include "Support/QuorTestSupport.h"

#include <QtTest>

using quor::platform::Cld2LanguageRecognizer;

class TestQuorLanguageRecognizer : public QObject {
    Q_OBJECT
private slots:
    void recognizesCommonLanguages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("code");
        QTest::newRow("en") << QStringLiteral("The quick brown fox jumps over the lazy dog") << QStringLiteral("en");
        QTest::newRow("tr") << QStringLiteral("Merhaba dünya, bugün nasılsın?") << QStringLiteral("tr");
        QTest::newRow("tr without strong letters") << QStringLiteral("bugün hava çok güzel") << QStringLiteral("tr");
        QTest::newRow("de") << QStringLiteral("Die Katze sitzt auf dem Tisch und schläft") << QStringLiteral("de");
        QTest::newRow("fr") << QStringLiteral("Bonjour tout le monde, comment allez-vous") << QStringLiteral("fr");
        QTest::newRow("az") << QStringLiteral("Bakı Azərbaycanın paytaxtı və ən böyük şəhəridir") << QStringLiteral("az");
        // CLD2's legacy codes come back in their current form.
        QTest::newRow("he, not iw") << QStringLiteral("שלום עולם, מה שלומך היום") << QStringLiteral("he");
        QTest::newRow("id") << QStringLiteral("Selamat pagi, apa kabar hari ini?") << QStringLiteral("id");
        QTest::newRow("ja") << QStringLiteral("今日はとても良い天気ですね。散歩に行きましょう。") << QStringLiteral("ja");
    }

    void recognizesCommonLanguages()
    {
        QFETCH(QString, text);
        QFETCH(QString, code);
        Cld2LanguageRecognizer recognizer;
        const auto guess = recognizer.dominantLanguage(text);
        QCOMPARE(guess.code, code);
        QVERIFY(guess.isReliable);
    }

    void unknownIsUnknownAndNeverReliable()
    {
        Cld2LanguageRecognizer recognizer;
        const QString lone = QString(QChar(0xD800)) + QStringLiteral("abc") + QChar(0xDC00);
        for (const QString& text : {QString(), QStringLiteral("12345"), QStringLiteral("😀😀"), QStringLiteral("şu"), lone}) {
            const auto guess = recognizer.dominantLanguage(text);
            QVERIFY2(guess.isUnknown(), qPrintable(guess.code));
            QVERIFY(!guess.isReliable);
        }
    }

    void longTextIsFine()
    {
        Cld2LanguageRecognizer recognizer;
        QString text;
        while (text.size() < 1'000'000) {
            text += QStringLiteral("Yarın sabah erkenden İstanbul'a gideceğiz ve akşam döneceğiz. ");
        }
        QCOMPARE(recognizer.dominantLanguage(text).code, QStringLiteral("tr"));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorLanguageRecognizer)
#include "tst_quorlanguagerecognizer.moc"
