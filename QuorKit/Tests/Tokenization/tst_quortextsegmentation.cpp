#include "QuorPlatform/CaseMapping/QuorLocaleCaseMapper.h"
#include "QuorPlatform/Tokenization/QuorIcuTextTokenizer.h"
#include "Support/QuorTestSupport.h"

#include <QtTest>

using namespace quor::platform;

namespace {
QStringList tokens(TextTokenizer& tokenizer, const QString& text)
{
    QStringList result;
    tokenizer.enumerateTokens(text, [&](QStringView token) { result.append(token.toString()); });
    return result;
}
} // namespace

class TestQuorTextSegmentation : public QObject {
    Q_OBJECT
private slots:
    void wordsSkipSpacesAndPunctuation()
    {
        IcuTextTokenizer words(TokenUnit::word);
        QCOMPARE(tokens(words, QStringLiteral("Ankara'da güzel bir gün, değil mi? 3,5 kg!")),
                 (QStringList{QStringLiteral("Ankara'da"), QStringLiteral("güzel"), QStringLiteral("bir"),
                              QStringLiteral("gün"), QStringLiteral("değil"), QStringLiteral("mi"),
                              QStringLiteral("3,5"), QStringLiteral("kg")}));
        QVERIFY(tokens(words, QStringLiteral("東京都に住んでいます")).size() > 1);
        QVERIFY(tokens(words, QStringLiteral("  ... !!! 😀 ")).isEmpty());
        QVERIFY(tokens(words, QString()).isEmpty());
        // The same tokenizer serves one text after another.
        QCOMPARE(tokens(words, QStringLiteral("one two")).size(), 2);
    }

    void sentencesKeepAbbreviations()
    {
        IcuTextTokenizer sentences(TokenUnit::sentence);
        QCOMPARE(tokens(sentences, QStringLiteral("Dr. Smith came home. He left again! Did he?")),
                 (QStringList{QStringLiteral("Dr. Smith came home. "), QStringLiteral("He left again! "),
                              QStringLiteral("Did he?")}));
        QCOMPARE(tokens(sentences, QStringLiteral("Bugün geldi. Yarın gidecek.")).size(), 2);
    }

    void brokenTextIsSegmentedWithoutHarm()
    {
        IcuTextTokenizer words(TokenUnit::word);
        IcuTextTokenizer sentences(TokenUnit::sentence);
        const QString broken = QStringLiteral("ab") + QChar(0xDC00) + QStringLiteral(" cd") + QChar(0xD800);
        QCOMPARE(tokens(words, broken).first(), QStringLiteral("ab"));
        QCOMPARE(tokens(sentences, broken).join(QString()), broken);
    }

    void caseMappingFollowsTheLocale()
    {
        QCOMPARE(LocaleCaseMapper::uppercase(QStringLiteral("istanbul ılık"), QStringLiteral("tr_TR")),
                 QStringLiteral("İSTANBUL ILIK"));
        QCOMPARE(LocaleCaseMapper::uppercase(QStringLiteral("istanbul straße"), QStringLiteral("en_US")),
                 QStringLiteral("ISTANBUL STRASSE"));
        QCOMPARE(LocaleCaseMapper::lowercase(QStringLiteral("IŞIK İZİ"), QStringLiteral("tr")), QStringLiteral("ışık izi"));
        QCOMPARE(LocaleCaseMapper::lowercase(QStringLiteral("IŞIK"), QStringLiteral("en")), QStringLiteral("işik"));
    }

    void titleCaseSplitsOnWhiteSpaceOnly()
    {
        QCOMPARE(LocaleCaseMapper::titlecaseWords(QStringLiteral("istanbul'DA ılık\tbir   GÜN"), QStringLiteral("tr_TR")),
                 QStringLiteral("İstanbul'da Ilık\tBir   Gün"));
        QCOMPARE(LocaleCaseMapper::titlecaseWords(QStringLiteral("hello-WORLD o'neil (quoted) don't"), QStringLiteral("en")),
                 QStringLiteral("Hello-world O'neil (Quoted) Don't"));
        QCOMPARE(LocaleCaseMapper::titlecaseWords(QStringLiteral("ǆemal"), QStringLiteral("hr")), QStringLiteral("ǅemal"));
        QCOMPARE(LocaleCaseMapper::titlecaseWords(QString(), QStringLiteral("en")), QString());
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorTextSegmentation)
#include "tst_quortextsegmentation.moc"
