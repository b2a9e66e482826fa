#include "QuorKit/UI/AI/QuorUnifiedCatalogBuilder.h"

#include "QuorKit/Localization/QuorLocalization.h"

#include <QCollator>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <limits>

namespace {

struct ManagedEntry {
    QString apiId;
    QString nameEN;
    QString nameTR;
    bool isAuto;
    qint64 contextWindow;
    bool vision;
    bool reasoning;
    QString summaryEN;
    QString summaryTR;
    QStringList tags;
    qint64 order;
};

const QList<ManagedEntry>& managedEntries()
{
    static const QList<ManagedEntry> entries{
        {QStringLiteral("tallowmer-auto"), QStringLiteral("Tallowmer Auto (Smart Cost Router)"),
         QStringLiteral("Tallowmer Auto (Akıllı Maliyet Yönlendirici)"), true, 200000, true, true,
         QStringLiteral("Automatically routes each prompt to the best price/quality model on your shared Tallowmer "
                        "Credits."),
         QStringLiteral("Her istemi görev zorluğuna göre en verimli fiyat/kalite modeline otomatik yönlendirir."),
         {QStringLiteral("tallowmer"), QStringLiteral("auto"), QStringLiteral("router"), QStringLiteral("smart"),
          QStringLiteral("credits"), QStringLiteral("recommended")},
         0},
        {QStringLiteral("tallowmer-agent-pro"), QStringLiteral("Tallowmer Agent Pro"), QStringLiteral("Tallowmer Agent Pro"),
         false, 200000, true, true,
         QStringLiteral("High-capability managed model for complex reasoning, coding, and multi-step agent tasks."),
         QStringLiteral("Karmaşık akıl yürütme, kodlama ve çok adımlı ajan görevleri için üst seviye yönetilen model."),
         {QStringLiteral("tallowmer"), QStringLiteral("agent"), QStringLiteral("pro"), QStringLiteral("coding"),
          QStringLiteral("vision"), QStringLiteral("tools")},
         1},
        {QStringLiteral("tallowmer-doc-fast"), QStringLiteral("Tallowmer Doc Fast"), QStringLiteral("Tallowmer Doc Fast"),
         false, 128000, true, false,
         QStringLiteral("Ultra-fast, low-cost managed model tuned for summaries, translations, email drafts, and "
                        "documents."),
         QStringLiteral("Özetleme, çeviri, e-posta taslakları ve belge iş akışları için çok hızlı ve ekonomik yönetilen "
                        "model."),
         {QStringLiteral("tallowmer"), QStringLiteral("fast"), QStringLiteral("doc"), QStringLiteral("summary"),
          QStringLiteral("cheap")},
         2},
    };
    return entries;
}

QString runtimeKey(const QString& providerId, const QString& apiModelId)
{
    return providerId.toLower() + QLatin1Char(':') + apiModelId.toLower();
}

// A band plus a catalog order that would pass the largest 64-bit value stays at that value.
qint64 priority(qint64 band, qint64 sortOrder)
{
    qint64 sum = 0;
    if (__builtin_add_overflow(band, sortOrder, &sum)) {
        return std::numeric_limits<qint64>::max();
    }
    return sum;
}

QuorUnifiedModelRowItem managedRow(const ManagedEntry& entry, const QuorAIModelCatalogDocument& document,
                                   QuorLanguage language)
{
    QuorUnifiedModelRowItem row;
    row.id = QStringLiteral("tallowmer/") + entry.apiId;
    row.apiModelId = entry.apiId;
    // Only the router's name has a Turkish form; the other two are product names.
    row.displayName = entry.isAuto ? quorText(entry.nameEN, entry.nameTR, {}, language) : entry.nameEN;
    row.providerId = QStringLiteral("tallowmer");
    row.vendor = QStringLiteral("Tallowmer");
    row.isTallowmerManaged = true;
    row.isManagedAutoRouter = entry.isAuto;
    row.ramFit = QuorAIRamFit::cloud;
    row.summaryText = quorText(entry.summaryEN, entry.summaryTR, {}, language);
    row.tags = entry.tags;
    row.sortPriority = entry.order;
    if (const std::optional<QuorAIModelSpec> spec = document.model(entry.apiId)) {
        row.contextWindow = spec->contextWindow;
        row.supportsVision = spec->capabilities.vision;
        row.supportsReasoning = spec->capabilities.reasoning;
        row.supportsTools = spec->capabilities.toolCalling;
        // The router picks its model per prompt, so no single price applies to it.
        if (!entry.isAuto) {
            row.pricing = spec->pricing;
        }
    } else {
        row.contextWindow = entry.contextWindow;
        row.supportsVision = entry.vision;
        row.supportsReasoning = entry.reasoning;
        row.supportsTools = true;
    }
    return row;
}

QuorUnifiedModelRowItem localOnlyRow(const QuorAIDiscoveredLocalModel& model, qint64 position, QuorLanguage language)
{
    const bool isOllama = model.providerId == QStringLiteral("ollama");
    QuorUnifiedModelRowItem row;
    row.id = model.id;
    row.apiModelId = model.apiModelId;
    row.displayName = model.displayName;
    row.providerId = model.providerId;
    row.vendor = isOllama ? QStringLiteral("Ollama") : QStringLiteral("LM Studio");
    row.isLocal = true;
    row.isInstalledLocally = true;
    row.localSizeBytes = model.sizeBytes;
    row.ramFit = QuorAIRamFit::comfortable;
    row.supportsTools = true;
    row.summaryText = quorText(QStringLiteral("Installed locally on this computer (") + model.providerId +
                                   QStringLiteral("). 100% offline."),
                               QStringLiteral("Bu bilgisayarda yerel olarak kurulu (") + model.providerId +
                                   QStringLiteral("). %100 çevrimdışı."),
                               {}, language);
    row.tags = {QStringLiteral("local"), QStringLiteral("installed"), model.providerId};
    row.sortPriority = priority(10, position);
    if (isOllama) {
        row.ollamaTag = model.apiModelId;
    }
    return row;
}

QuorUnifiedModelRowItem catalogRow(const QuorAIModelSpec& model, const std::optional<QuorAIDiscoveredLocalModel>& copy,
                                   double hostRamGB, QuorLanguage language)
{
    QuorUnifiedModelRowItem row;
    row.id = model.id;
    row.apiModelId = model.apiModelId;
    row.displayName = model.displayName;
    row.providerId = model.providerId;
    row.vendor = model.vendor;
    row.isTallowmerManaged = model.providerId.compare(QStringLiteral("tallowmer"), Qt::CaseInsensitive) == 0;
    row.isLocal = model.isLocal();
    row.isInstalledLocally = copy.has_value();
    row.contextWindow = model.contextWindow;
    row.pricing = model.pricing;
    if (model.localSpecs) {
        row.minRamGb = model.localSpecs->minRamGb;
        row.recommendedRamGb = model.localSpecs->recommendedRamGb;
        row.ollamaTag = model.localSpecs->ollamaTag;
    }
    if (copy) {
        row.localSizeBytes = copy->sizeBytes;
    }
    row.ramFit = model.ramFit(hostRamGB);
    row.supportsVision = model.capabilities.vision;
    row.supportsReasoning = model.capabilities.reasoning;
    row.supportsTools = model.capabilities.toolCalling;
    row.summaryText = model.summary.resolved(language);
    row.tags = model.tags;
    row.tags.append(model.family);
    const qint64 band = copy ? 20 : (model.isLocal() ? 200 : 100);
    row.sortPriority = priority(band, model.sortOrder);
    return row;
}

} // namespace

QList<QuorUnifiedModelRowItem> QuorUnifiedCatalogBuilder::buildRows(const QuorAIModelCatalogDocument& document,
                                                                   const QList<QuorAIDiscoveredLocalModel>& discoveredLocal,
                                                                   QuorLanguage language,
                                                                   std::optional<double> hostRamGB)
{
    QSet<QString> seen;
    QList<QuorUnifiedModelRowItem> rows;

    for (const ManagedEntry& entry : managedEntries()) {
        rows.append(managedRow(entry, document, language));
        seen.insert(entry.apiId.toLower());
        seen.insert(QStringLiteral("tallowmer/") + entry.apiId.toLower());
    }

    // Where each installed model can be found again: by the catalog entry discovery matched it to,
    // and by "provider:name" and the bare name. A later model wins a shared key.
    QHash<QString, QuorAIDiscoveredLocalModel> byCatalogId;
    QHash<QString, QuorAIDiscoveredLocalModel> byRuntimeKey;
    for (const QuorAIDiscoveredLocalModel& model : discoveredLocal) {
        if (model.catalogMatch) {
            byCatalogId.insert(model.catalogMatch->id.toLower(), model);
        }
        byRuntimeKey.insert(runtimeKey(model.providerId, model.apiModelId), model);
        byRuntimeKey.insert(model.apiModelId.toLower(), model);
    }

    for (qsizetype i = 0; i < discoveredLocal.size(); ++i) {
        const QuorAIDiscoveredLocalModel& model = discoveredLocal[i];
        if (model.catalogMatch) {
            continue;
        }
        const QString key = runtimeKey(model.providerId, model.apiModelId);
        if (seen.contains(key)) {
            continue;
        }
        seen.insert(key);
        rows.append(localOnlyRow(model, i, language));
    }

    const double hostGB = hostRamGB.value_or(QuorAIRamFits::hostMemoryGB());
    for (const QuorAIModelSpec& model : document.models) {
        const bool managedProvider = model.providerId.compare(QStringLiteral("tallowmer"), Qt::CaseInsensitive) == 0;
        if (managedProvider && seen.contains(model.apiModelId.toLower())) {
            continue;
        }
        const QString key = runtimeKey(model.providerId, model.apiModelId);
        if (seen.contains(key)) {
            continue;
        }
        seen.insert(key);
        std::optional<QuorAIDiscoveredLocalModel> copy;
        const auto byId = byCatalogId.constFind(model.id.toLower());
        const auto byKey = byRuntimeKey.constFind(key);
        if (byId != byCatalogId.cend()) {
            copy = *byId;
        } else if (byKey != byRuntimeKey.cend()) {
            copy = *byKey;
        } else if (model.localSpecs && model.localSpecs->ollamaTag) {
            const auto byTag = byRuntimeKey.constFind(model.localSpecs->ollamaTag->toLower());
            if (byTag != byRuntimeKey.cend()) {
                copy = *byTag;
            }
        }
        rows.append(catalogRow(model, copy, hostGB, language));
    }

    QCollator collator(QuorLanguages::locale(language));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(rows.begin(), rows.end(),
                     [&collator](const QuorUnifiedModelRowItem& a, const QuorUnifiedModelRowItem& b) {
                         if (a.sortPriority != b.sortPriority) {
                             return a.sortPriority < b.sortPriority;
                         }
                         return collator.compare(a.displayName, b.displayName) < 0;
                     });
    return rows;
}
