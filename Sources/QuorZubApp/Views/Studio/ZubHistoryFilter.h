#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorZubCore/Models/ZubHistoryRecord.h"

#include <QList>
#include <QString>

#include <optional>

// Which records the history tab lists: everything, the pinned ones, translations, or the results
// of the tools that never leave this computer.
enum class ZubHistoryFilter { all, pinned, translations, offline };

namespace ZubHistoryFilters {

const QList<ZubHistoryFilter>& allCases();
// "all", "pinned", "translations", "offline"; also the filter's identity.
QString rawValue(ZubHistoryFilter filter);
inline QString id(ZubHistoryFilter filter) { return rawValue(filter); }
std::optional<ZubHistoryFilter> fromRawValue(const QString& text);

QString pillTitle(ZubHistoryFilter filter, QuorLanguage language);
bool admits(ZubHistoryFilter filter, const ZubHistoryRecord& record);

} // namespace ZubHistoryFilters

// The history tab's own state: made with the tab and dropped with it.
struct ZubHistoryFilterState {
    QString searchQuery;
    ZubHistoryFilter filter = ZubHistoryFilter::all;

    bool operator==(const ZubHistoryFilterState& other) const = default;
};
