#pragma once

#include "QuorZubApp/Views/Studio/ZubHistoryFilter.h"
#include "QuorZubCore/Models/ZubHistoryRecord.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUuid>

#include <QCoro/QCoroTask>

#include <optional>

// The records the history tab lists for its filter and search. A history of ordinary size is
// searched at once, on every keystroke. Searching megabytes of results takes longer than a
// keystroke may, so in a large history a query's text is looked for on a worker thread, and
// searched() announces that the list can be asked for again. One search runs at a time: the queries
// typed meanwhile give way to the newest. What a search finds is which records hold the query, so
// pins, deletions and the filter pills apply at once to the list at hand and to the found one alike.
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

    // The records to list, in stored order. Not settled while the query's text is still being
    // looked for: the records are then those of the list at hand, as the history and the filter
    // stand now, and searched() follows.
    struct Listing {
        QList<ZubHistoryRecord> records;
        bool settled = true;
    };

    using QObject::QObject;

    Listing listed(const Query& query);
    bool isSearching() const { return m_searching; }

signals:
    void searched();

private:
    // Which records hold a query's text, by id: a record's texts never change, so a pin or a
    // deletion leaves the answer as true as it was.
    struct Matches {
        QString text;
        QString localeName;
        QHash<QUuid, bool> holds;
    };

    static Matches search(const QList<ZubHistoryRecord>& records, const QString& text, const QString& localeName);
    static QCoro::Task<> searchOnWorker(QPointer<ZubHistorySearch> self, QList<ZubHistoryRecord> history, QString text,
                                        QString localeName);
    // Whether `matches` answers for every record of `history`; records added since are looked at
    // here when their texts are short.
    static bool answersFor(Matches& matches, const QList<ZubHistoryRecord>& history);
    static QList<ZubHistoryRecord> admitted(const QList<ZubHistoryRecord>& history, ZubHistoryFilter filter,
                                            const std::optional<Matches>& matches);

    // The newest answer of the worker, and the one the list at hand was made from (none: the
    // list at hand needed no search).
    std::optional<Matches> m_found;
    std::optional<Matches> m_atHand;
    bool m_searching = false;
};
