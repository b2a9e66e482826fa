#include "QuorZubApp/Views/Studio/ZubHistoryFilter.h"

#include "QuorKit/Localization/QuorLocalization.h"

namespace ZubHistoryFilters {

const QList<ZubHistoryFilter>& allCases()
{
    static const QList<ZubHistoryFilter> cases{ZubHistoryFilter::all, ZubHistoryFilter::pinned,
                                               ZubHistoryFilter::translations, ZubHistoryFilter::offline};
    return cases;
}

QString rawValue(ZubHistoryFilter filter)
{
    switch (filter) {
    case ZubHistoryFilter::all: return QStringLiteral("all");
    case ZubHistoryFilter::pinned: return QStringLiteral("pinned");
    case ZubHistoryFilter::translations: return QStringLiteral("translations");
    case ZubHistoryFilter::offline: return QStringLiteral("offline");
    }
    return {};
}

std::optional<ZubHistoryFilter> fromRawValue(const QString& text)
{
    for (const ZubHistoryFilter filter : allCases()) {
        if (rawValue(filter) == text) {
            return filter;
        }
    }
    return std::nullopt;
}

QString pillTitle(ZubHistoryFilter filter, QuorLanguage language)
{
    switch (filter) {
    case ZubHistoryFilter::all: return quorText(QStringLiteral("All"), QStringLiteral("Tümü"), {}, language);
    case ZubHistoryFilter::pinned: return quorText(QStringLiteral("Pinned"), QStringLiteral("Sabitli"), {}, language);
    case ZubHistoryFilter::translations:
        return quorText(QStringLiteral("Translations"), QStringLiteral("Çeviriler"), {}, language);
    case ZubHistoryFilter::offline:
        return quorText(QStringLiteral("Offline Tools"), QStringLiteral("Çevrimdışı"), {}, language);
    }
    return {};
}

bool admits(ZubHistoryFilter filter, const ZubHistoryRecord& record)
{
    switch (filter) {
    case ZubHistoryFilter::all: return true;
    case ZubHistoryFilter::pinned: return record.isPinned;
    case ZubHistoryFilter::translations: return record.actionKind == ZubActionKind::translate;
    case ZubHistoryFilter::offline:
        switch (record.actionKind) {
        case ZubActionKind::translate:
        case ZubActionKind::fixGrammar:
        case ZubActionKind::summarize:
        case ZubActionKind::explain:
        case ZubActionKind::customAI: return false;
        case ZubActionKind::plainCopy:
        case ZubActionKind::cleanURL:
        case ZubActionKind::calculate:
        case ZubActionKind::wordStats:
        case ZubActionKind::qrCode:
        case ZubActionKind::dictionary:
        case ZubActionKind::caseTransform:
        case ZubActionKind::openWebSearch:
        case ZubActionKind::speak: return true;
        }
        return false;
    }
    return false;
}

} // namespace ZubHistoryFilters
