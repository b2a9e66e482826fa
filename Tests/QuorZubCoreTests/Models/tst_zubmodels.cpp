#include "QuorKit/Utilities/QuorJson.h"
#include "QuorZubCore/Models/ZubConfig.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"
#include "QuorZubCore/Models/ZubHistoryRecord.h"
#include "QuorZubCore/Models/ZubTextStats.h"
#include "Support/QuorTestSupport.h"

#include <QSet>
#include <QtTest>

namespace {
ZubActionDefinition action(qint64 order, const QString& title, bool enabled = true)
{
    return ZubActionDefinition::make(QUuid::createUuid(), ZubActionKind::translate, title, std::nullopt, std::nullopt,
                                     enabled, std::nullopt, order);
}

QJsonObject roundTrip(const QJsonObject& object)
{
    return QuorJson::parseObject(QuorJson::pretty(object));
}

ZubExecutionResult sampleResult()
{
    ZubExecutionResult result;
    result.id = QUuid::createUuid();
    result.actionKind = ZubActionKind::qrCode;
    result.actionTitle = QStringLiteral("QR Code");
    result.inputText = QStringLiteral("hello");
    result.outputText = QStringLiteral("QR");
    result.qrPNGData = QByteArray("\x89PNG", 4);
    result.durationMs = 12;
    result.createdAt = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);
    return result;
}
} // namespace

class TestZubModels : public QObject {
    Q_OBJECT
private slots:
    void actionKindFlagsMatchTheirMasks()
    {
        const QSet<ZubActionKind> ai{ZubActionKind::translate, ZubActionKind::fixGrammar, ZubActionKind::summarize,
                                     ZubActionKind::explain, ZubActionKind::customAI};
        const QSet<ZubActionKind> notInPlace{ZubActionKind::explain,    ZubActionKind::wordStats,
                                             ZubActionKind::qrCode,     ZubActionKind::dictionary,
                                             ZubActionKind::openWebSearch, ZubActionKind::speak};
        QCOMPARE(ZubActionKinds::allCases().size(), 14);
        for (int position = 0; position < 14; ++position) {
            const ZubActionKind kind = ZubActionKinds::allCases().at(position);
            QCOMPARE(ZubActionKinds::isAIPowered(kind), ai.contains(kind));
            QCOMPARE(ZubActionKinds::supportsInPlaceReplace(kind), !notInPlace.contains(kind));
            QCOMPARE(ZubActionKinds::fromRawValue(ZubActionKinds::rawValue(kind)), kind);
        }
        QVERIFY(!ZubActionKinds::isAIPoweredAt(-1));
        QVERIFY(!ZubActionKinds::isAIPoweredAt(14));
        QVERIFY(!ZubActionKinds::supportsInPlaceReplaceAt(31));
        QVERIFY(!ZubActionKinds::fromRawValue(QStringLiteral("Translate")));
    }

    void enumerationLabels()
    {
        QCOMPARE(ZubTargetLanguages::shortBadge(ZubTargetLanguage::autoFlipTREN), QStringLiteral("TR↔EN"));
        QCOMPARE(ZubTargetLanguages::displayName(ZubTargetLanguage::autoFlipTREN, QuorLanguage::en),
                 QStringLiteral("Auto Flip (TR ↔ EN)"));
        QCOMPARE(ZubTargetLanguages::displayName(ZubTargetLanguage::spanish, QuorLanguage::tr),
                 QStringLiteral("İspanyolca (ES)"));
        QCOMPARE(ZubTargetLanguages::languageCode(ZubTargetLanguage::autoFlipTREN), QStringLiteral("auto"));
        QCOMPARE(ZubTranslationBackends::shortBadge(ZubTranslationBackend::offlineOnly, QuorLanguage::tr),
                 QStringLiteral("Çevrimdışı"));
        QCOMPARE(ZubTranslationBackends::shortBadge(ZubTranslationBackend::aiProvider, QuorLanguage::tr),
                 QStringLiteral("AI"));
        QCOMPARE(ZubCaseTransformStyles::displayName(ZubCaseTransformStyle::uppercase, QuorLanguage::tr),
                 QStringLiteral("BÜYÜK HARF"));
        QCOMPARE(ZubCaseTransformStyles::fromRawValue(QStringLiteral("trimAndCollapseWhitespace")),
                 ZubCaseTransformStyle::trimAndCollapseWhitespace);
    }

    void defaultActionsAreTheThirteenRows()
    {
        const auto first = ZubActionDefinition::defaultActions();
        const auto second = ZubActionDefinition::defaultActions();
        QCOMPARE(first.size(), 13);
        const QList<ZubActionKind> kinds{
            ZubActionKind::translate,  ZubActionKind::fixGrammar, ZubActionKind::summarize,
            ZubActionKind::explain,    ZubActionKind::cleanURL,   ZubActionKind::calculate,
            ZubActionKind::wordStats,  ZubActionKind::dictionary, ZubActionKind::qrCode,
            ZubActionKind::caseTransform, ZubActionKind::plainCopy, ZubActionKind::speak,
            ZubActionKind::openWebSearch};
        for (qsizetype i = 0; i < first.size(); ++i) {
            QCOMPARE(first[i].kind, kinds[i]);
            QCOMPARE(first[i].order, i);
            QCOMPARE(first[i].isEnabled, first[i].kind != ZubActionKind::openWebSearch);
            QVERIFY(!first[i].customPrompt);
            QVERIFY(first[i].id != second[i].id);
        }
    }

    void absentTitlesTakeTheKindsDefaults()
    {
        const auto calculate = ZubActionDefinition::make(QUuid::createUuid(), ZubActionKind::calculate, std::nullopt,
                                                         std::nullopt, std::nullopt, true, std::nullopt, 0);
        QCOMPARE(calculate.titleEN, QStringLiteral("Calculate"));
        QCOMPARE(calculate.titleTR, QStringLiteral("Hesapla"));
        QCOMPARE(calculate.symbolName, QStringLiteral("function"));
        QCOMPARE(calculate.localizedTitle(QuorLanguage::tr), QStringLiteral("Hesapla"));
        const auto empty = ZubActionDefinition::make(QUuid::createUuid(), ZubActionKind::calculate, QString(),
                                                     std::nullopt, std::nullopt, true, std::nullopt, 0);
        QCOMPARE(empty.titleEN, QString());
    }

    void sortingIsStableAndFiltersDisabled()
    {
        ZubConfig config;
        config.actions = {action(5, QStringLiteral("C")), action(1, QStringLiteral("A")),
                          action(1, QStringLiteral("B"), false)};
        const auto sorted = config.sortedActions();
        QCOMPARE(sorted[0].titleEN, QStringLiteral("A"));
        QCOMPARE(sorted[1].titleEN, QStringLiteral("B"));
        QCOMPARE(sorted[2].titleEN, QStringLiteral("C"));
        QCOMPARE(config.actions[0].titleEN, QStringLiteral("C"));
        const auto enabled = config.enabledActions();
        QCOMPARE(enabled.size(), 2);
        QCOMPARE(enabled[1].titleEN, QStringLiteral("C"));

        for (auto& each : config.actions) {
            each.isEnabled = false;
        }
        QVERIFY(config.enabledActions().isEmpty());
    }

    void actionJsonKeepsThePromptOptional()
    {
        auto plain = ZubConfig::defaultConfig().actions.first();
        QJsonObject json = plain.toJson();
        QVERIFY(!json.contains(QStringLiteral("customPrompt")));
        QCOMPARE(ZubActionDefinition::fromJson(roundTrip(json)), plain);

        plain.customPrompt = QString();
        QCOMPARE(ZubActionDefinition::fromJson(roundTrip(plain.toJson())), plain);

        json.insert(QStringLiteral("customPrompt"), QJsonValue::Null);
        QVERIFY(!ZubActionDefinition::fromJson(json).customPrompt);

        const QString lowerCaseId = json.value(QStringLiteral("id")).toString().toLower();
        json.insert(QStringLiteral("id"), lowerCaseId);
        QCOMPARE(ZubActionDefinition::fromJson(json).id, QUuid::fromString(lowerCaseId));

        for (const auto& [key, value] : QList<QPair<QString, QJsonValue>>{
                 {QStringLiteral("order"), QJsonValue::Undefined},
                 {QStringLiteral("order"), 1.5},
                 {QStringLiteral("id"), QStringLiteral("{") + lowerCaseId + QStringLiteral("}")},
                 {QStringLiteral("id"), QStringLiteral("not-a-uuid-at-all-but-thirty-six-ch")},
                 {QStringLiteral("kind"), QStringLiteral("teleport")},
                 {QStringLiteral("isEnabled"), QStringLiteral("yes")},
                 {QStringLiteral("customPrompt"), 7}}) {
            QJsonObject broken = json;
            value.isUndefined() ? void(broken.remove(key)) : void(broken.insert(key, value));
            QVERIFY_THROWS_EXCEPTION(QuorDecodingError, ZubActionDefinition::fromJson(broken));
        }
    }

    void configRoundTripsAndRejectsAnyBadField()
    {
        const ZubConfig config = ZubConfig::defaultConfig();
        // Two terminals and three secret keepers, named as the workspace reports them.
        QCOMPARE(config.excludedBundleIDs,
                 (QStringList{QStringLiteral("org.gnome.terminal"), QStringLiteral("org.kde.konsole"),
                              QStringLiteral("org.keepassxc.keepassxc"), QStringLiteral("1password"),
                              QStringLiteral("org.gnome.seahorse.application")}));
        QCOMPARE(config.aiConfig, QuorAIConfig(QuorAIProvider::ollamaLocal));
        QCOMPARE(config.translationBackend, ZubTranslationBackend::freeWebTranslate);
        QCOMPARE(config.hideDelaySeconds, 6.0);
        const QJsonObject json = roundTrip(config.toJson());
        QCOMPARE(ZubConfig::fromJson(json), config);

        ZubConfig emptyActions = config;
        emptyActions.actions.clear();
        QCOMPARE(ZubConfig::fromJson(roundTrip(emptyActions.toJson())), emptyActions);

        QJsonObject badAction = json;
        QJsonArray actions = json.value(QStringLiteral("actions")).toArray();
        actions.append(3);
        badAction.insert(QStringLiteral("actions"), actions);

        QJsonObject badAI = json;
        QJsonObject ai = json.value(QStringLiteral("aiConfig")).toObject();
        ai.remove(QStringLiteral("model"));
        badAI.insert(QStringLiteral("aiConfig"), ai);

        QList<QJsonObject> broken{badAction, badAI};
        for (const QString& key : json.keys()) {
            QJsonObject missing = json;
            missing.remove(key);
            broken.append(missing);
        }
        for (const auto& [key, value] : QList<QPair<QString, QJsonValue>>{
                 {QStringLiteral("targetLanguage"), QStringLiteral("klingon")},
                 {QStringLiteral("translationBackend"), QStringLiteral("offline")},
                 {QStringLiteral("preferredCaseStyle"), QStringLiteral("TitleCase")},
                 {QStringLiteral("hideDelaySeconds"), QStringLiteral("6")},
                 {QStringLiteral("excludedBundleIDs"), QJsonArray{1}}}) {
            QJsonObject wrong = json;
            wrong.insert(key, value);
            broken.append(wrong);
        }
        for (const auto& object : broken) {
            QVERIFY_THROWS_EXCEPTION(QuorDecodingError, ZubConfig::fromJson(object));
        }
    }

    void recordFromResultDropsTheImage()
    {
        const ZubExecutionResult result = sampleResult();
        const auto record = ZubHistoryRecord::fromResult(result);
        QCOMPARE(record.id, result.id);
        QCOMPARE(record.createdAt, result.createdAt);
        QVERIFY(!record.isPinned);

        ZubExecutionResult otherImage = result;
        otherImage.qrPNGData = QByteArray("\x89PNX", 4);
        QVERIFY(!(otherImage == result));
    }

    void recordJsonLeavesOutAbsentLanguages()
    {
        auto record = ZubHistoryRecord::fromResult(sampleResult());
        QJsonObject json = record.toJson();
        QVERIFY(!json.contains(QStringLiteral("detectedLanguageCode")));
        QVERIFY(!json.contains(QStringLiteral("targetLanguageCode")));
        QCOMPARE(json.value(QStringLiteral("createdAt")).toString(), QStringLiteral("2026-03-04T05:06:07Z"));
        QCOMPARE(ZubHistoryRecord::fromJson(roundTrip(json)), record);

        record.detectedLanguageCode = QStringLiteral("tr");
        record.targetLanguageCode = QStringLiteral("en");
        record.isPinned = true;
        QCOMPARE(ZubHistoryRecord::fromJson(roundTrip(record.toJson())), record);

        json.insert(QStringLiteral("detectedLanguageCode"), QJsonValue::Null);
        QVERIFY(!ZubHistoryRecord::fromJson(json).detectedLanguageCode);

        QJsonObject withOffset = json;
        withOffset.insert(QStringLiteral("createdAt"), QStringLiteral("2026-03-04T08:06:07+03:00"));
        QCOMPARE(ZubHistoryRecord::fromJson(withOffset).createdAt, record.createdAt);

        for (const auto& [key, value] : QList<QPair<QString, QJsonValue>>{
                 {QStringLiteral("isPinned"), QJsonValue::Undefined},
                 {QStringLiteral("actionKind"), QStringLiteral("warp")},
                 {QStringLiteral("durationMs"), QStringLiteral("12")},
                 {QStringLiteral("createdAt"), QStringLiteral("2026-03-04T05:06:07.250Z")},
                 {QStringLiteral("createdAt"), QStringLiteral("yesterday")},
                 {QStringLiteral("targetLanguageCode"), 5}}) {
            QJsonObject broken = json;
            value.isUndefined() ? void(broken.remove(key)) : void(broken.insert(key, value));
            QVERIFY_THROWS_EXCEPTION(QuorDecodingError, ZubHistoryRecord::fromJson(broken));
        }
    }

    void statsJsonNeedsEveryKey()
    {
        const ZubTextStats stats{1, 2, 3, 4, 5, 6, 7};
        QCOMPARE(ZubTextStats::fromJson(roundTrip(stats.toJson())), stats);
        QJsonObject missing = stats.toJson();
        missing.remove(QStringLiteral("lines"));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, ZubTextStats::fromJson(missing));
    }
};

QUOR_TEST_GUILESS_MAIN(TestZubModels)
#include "tst_zubmodels.moc"
