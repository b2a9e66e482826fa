#pragma once

#include "QuorZubApp/Views/Studio/ZubHistoryFilter.h"
#include "QuorZubCore/Models/ZubHistoryRecord.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

// The records the history tab lists for its filter and search. A history of ordinary size is
// searched at once, on every keystroke. Searching megabytes of results takes longer than a
// keystroke may, so in a large history a search runs on a worker thread while the list at hand
// stays up, and searched() announces that the list can be asked for again. One search runs at a
// time: the queries typed meanwhile give way to the newest.
class ZubHistorySearch : public QObject {
    Q_OBJECT
public:
    // Histories holding more text than this (in code units) are searched on the worker.
    static constexpr qsizetype immediateCharacters = 1'000'000;

    struct Query {
        QList<ZubHistoryRecord> history;
        ZubHistoryFilterState state;
        QString localeName;
        bool operator==(const Query& other) const = default;
    };

    using QObject::QObject;

    // The listed records of `query`, or nothing while they are being searched for.
    std::optional<QList<ZubHistoryRecord>> listed(const Query& query);
    bool isSearching() const { return m_searching; }

signals:
    void searched();

private:
    static QCoro::Task<> searchOnWorker(QPointer<ZubHistorySearch> self, Query query);

    std::optional<Query> m_searchedQuery;
    QList<ZubHistoryRecord> m_found;
    bool m_searching = false;
};
