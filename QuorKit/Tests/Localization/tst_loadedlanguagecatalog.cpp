#include "QuorKit/Localization/CompiledTemplate.h"
#include "QuorKit/Localization/LoadedLanguageCatalog.h"
#include "Support/QuorTestSupport.h"

#include <QtTest>

namespace {

QuorTextMap map(std::initializer_list<std::pair<QString, QString>> entries)
{
    QuorTextMap result;
    for (const auto& [key, value] : entries) {
        result.insert_or_assign(key, value);
    }
    return result;
}

QStringList keys(const LoadedLanguageCatalog::TemplateIndex& index)
{
    QStringList result;
    for (const auto& [key, templates] : index) {
        result.append(key);
    }
    result.sort();
    return result;
}

std::optional<QString> translate(const LoadedLanguageCatalog& catalog, const QString& english)
{
    return catalog.lookup(std::nullopt, english);
}

} // namespace

class TestLoadedLanguageCatalog : public QObject {
    Q_OBJECT
private slots:
    void templatesCaptureAndAreFiledByTheirEnds()
    {
        const LoadedLanguageCatalog catalog({}, map({{"Deleted {0} items", "{0} öğe silindi"}, {"{0} MB", "{0} MB"},
                                                     {"{0}%", "%{0}"}, {"{0}", "x"}}));
        QCOMPARE(keys(catalog.byPrefix()), QStringList{QStringLiteral("Del")});
        const CompiledTemplate deleted = catalog.byPrefix().at(QStringLiteral("Del")).front();
        QCOMPARE(deleted.sourceLiterals(), (QStringList{QStringLiteral("Deleted "), QStringLiteral(" items")}));
        QCOMPARE(deleted.literalWeight(), 14);
        // "{0}%" weighs 1 and "{0}" nothing: both are dropped.
        QCOMPARE(keys(catalog.bySuffix()), QStringList{QStringLiteral(" MB")});

        QCOMPARE(translate(catalog, QStringLiteral("Deleted 5 items")), QStringLiteral("5 öğe silindi"));
        QCOMPARE(translate(catalog, QStringLiteral("Deleted  items")), std::nullopt);
        QCOMPARE(translate(catalog, QStringLiteral("12 MB")), QStringLiteral("12 MB"));
        QCOMPARE(translate(catalog, QStringLiteral("50%")), std::nullopt);
        QCOMPARE(translate(catalog, QStringLiteral("MB")), std::nullopt);
    }

    void severalPlaceholdersTakeTheShortestCapturesFromTheLeft()
    {
        const LoadedLanguageCatalog catalog({}, map({{"Copied {0} of {1}", "{1}/{0}"}, {"{0}{1} left", "{0}-{1}"},
                                                     {"Moved {0} to {1} and {2}", "{2}|{1}|{0}"}}));
        QCOMPARE(translate(catalog, QStringLiteral("Copied 3 of 10")), QStringLiteral("10/3"));
        QCOMPARE(translate(catalog, QStringLiteral("Copied a of b of c")), QStringLiteral("b of c/a"));
        QCOMPARE(translate(catalog, QStringLiteral("Moved a to b and c and d")), QStringLiteral("c and d|b|a"));
        QCOMPARE(translate(catalog, QStringLiteral("Moved a to  and c")), std::nullopt);
        // Adjacent placeholders cannot be told apart: compiled, filed, never matching.
        QCOMPARE(catalog.bySuffix().at(QStringLiteral("eft")).size(), size_t{1});
        QCOMPARE(translate(catalog, QStringLiteral("12 left")), std::nullopt);
        // Out of order, "{1}" is fixed text before the only placeholder.
        const auto outOfOrder = CompiledTemplate::compile(QStringLiteral("{1} of {0}"), QStringLiteral("{0}"));
        QVERIFY(outOfOrder);
        QCOMPARE(outOfOrder->placeholderCount(), 1);
        QCOMPARE(outOfOrder->sourceLiterals().first(), QStringLiteral("{1} of "));
    }

    // A captured value that reads like a placeholder is the user's text and stays as it is.
    void capturesAreSubstitutedInOnePass()
    {
        const LoadedLanguageCatalog catalog({}, map({{"Renamed {0} to {1}", "{0}, {1} olarak adlandırıldı"},
                                                     {"Sent {0}", "{0} gönderildi ({0})"}}));
        QCOMPARE(translate(catalog, QStringLiteral("Renamed {1} to report")),
                 QStringLiteral("{1}, report olarak adlandırıldı"));
        QCOMPARE(translate(catalog, QStringLiteral("Renamed a to {0}")), QStringLiteral("a, {0} olarak adlandırıldı"));
        QCOMPARE(translate(catalog, QStringLiteral("Sent {0}")), QStringLiteral("{0} gönderildi ({0})"));
        // Placeholder-like target text that names no capture is kept as written.
        const auto kept = CompiledTemplate::compile(QStringLiteral("Got {0}"), QStringLiteral("{{0}} {1} {00} {0"));
        QCOMPARE(kept->apply(QStringLiteral("Got x")), QStringLiteral("{x} {1} {00} {0"));
    }

    void moreSpecificTemplatesWinAndStringsComeFirst()
    {
        const LoadedLanguageCatalog catalog(map({{"Deleted 1 items", "Bir öğe silindi"}, {"Deleted 2 items", ""},
                                                 {"key.deleted", "Anahtar"}}),
                                            map({{"Deleted {0}", "{0} silindi"}, {"Deleted {0} items", "{0} öğe silindi"}}));
        QCOMPARE(translate(catalog, QStringLiteral("Deleted 5 items")), QStringLiteral("5 öğe silindi"));
        QCOMPARE(translate(catalog, QStringLiteral("Deleted 5 folders")), QStringLiteral("5 folders silindi"));
        QCOMPARE(translate(catalog, QStringLiteral("Deleted 1 items")), QStringLiteral("Bir öğe silindi"));
        // An empty string entry falls through to the templates.
        QCOMPARE(translate(catalog, QStringLiteral("Deleted 2 items")), QStringLiteral("2 öğe silindi"));
        QCOMPARE(catalog.lookup(QStringLiteral("key.deleted"), QStringLiteral("Deleted 1 items")), QStringLiteral("Anahtar"));
        QCOMPARE(catalog.lookup(QStringLiteral("key.missing"), QStringLiteral("Deleted 1 items")), QStringLiteral("Bir öğe silindi"));
    }

    // Lengths, ends and matches count user-perceived characters, not code units.
    void charactersAreGraphemeClusters()
    {
        const QString flag = QStringLiteral("🇹🇷");
        const LoadedLanguageCatalog catalog({}, map({{flag + QStringLiteral(" {0}"), QStringLiteral("{0} ") + flag},
                                                     {QStringLiteral("Re{0}"), QStringLiteral("Yeniden {0}")}}));
        // The flag and the space weigh 2, enough to be filed under those 2 characters.
        QCOMPARE(catalog.byPrefix().at(flag + QLatin1Char(' ')).size(), size_t{1});
        QCOMPARE(translate(catalog, flag + QStringLiteral(" Türkiye")), QStringLiteral("Türkiye ") + flag);
        QCOMPARE(translate(catalog, QStringLiteral("Retry")), QStringLiteral("Yeniden try"));
        // "Re" followed by a combining accent begins with "Ré", not "Re".
        const QString decomposed = QStringLiteral("Re\u0301sume\u0301");
        QCOMPARE(translate(catalog, decomposed), std::nullopt);
        const auto prefixed = CompiledTemplate::compile(QStringLiteral("Re{0}"), QStringLiteral("[{0}]"));
        QCOMPARE(prefixed->apply(decomposed), std::nullopt);
        // A middle literal is found only where it starts and ends between characters.
        const auto split = CompiledTemplate::compile(QStringLiteral("{0}-a{1}"), QStringLiteral("[{0}|{1}]"));
        QCOMPARE(split->apply(QStringLiteral("x-a\u0301b-ay")), QStringLiteral("[x-a\u0301b|y]"));
        QCOMPARE(QuorGraphemeBoundaries(decomposed).count(), 6);
        QCOMPARE(QuorGraphemeBoundaries(QStringLiteral("a\r\nb")).count(), 3);
    }
};

QUOR_TEST_GUILESS_MAIN(TestLoadedLanguageCatalog)
#include "tst_loadedlanguagecatalog.moc"
