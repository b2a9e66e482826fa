#include "QuorZubApp/Views/Studio/ZubHistorySearch.h"

#include "QuorZubApp/Views/Studio/ZubHistoryPresentation.h"

#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

namespace {
bool isLarge(const QList<ZubHistoryRecord>& history)
{
    qsizetype characters = 0;
    for (const ZubHistoryRecord& record : history) {
        characters += record.inputText.size() + record.outputText.size();
        if (characters > ZubHistorySearch::immediateCharacters) {
            return true;
        }
    }
    return false;
}

QList<ZubHistoryRecord> search(const ZubHistorySearch::Query& query)
{
    return ZubHistoryPresentation::filtered(query.history, query.state, query.localeName);
}
} // namespace

std::optional<QList<ZubHistoryRecord>> ZubHistorySearch::listed(const Query& query)
{
    // A filter alone looks at no text.
    if (query.state.searchQuery.trimmed().isEmpty() || !isLarge(query.history)) {
        // What was found before would keep records alive that the history may have dropped.
        m_searchedQuery.reset();
        m_found.clear();
        return search(query);
    }
    // The list at hand was found for a history handed on unchanged, which compares at once.
    if (m_searchedQuery == query) {
        return m_found;
    }
    if (!m_searching) {
        m_searching = true;
        searchOnWorker(QPointer<ZubHistorySearch>(this), query);
    }
    return std::nullopt;
}

QCoro::Task<> ZubHistorySearch::searchOnWorker(QPointer<ZubHistorySearch> self, Query query)
{
    QFuture<QList<ZubHistoryRecord>> searching = QtConcurrent::run(&search, query);
    QList<ZubHistoryRecord> found = co_await searching;
    if (!self) {
        co_return;
    }
    self->m_searching = false;
    self->m_searchedQuery = std::move(query);
    self->m_found = std::move(found);
    // Whoever lists the records asks again, for the query they hold by now.
    emit self->searched();
}
