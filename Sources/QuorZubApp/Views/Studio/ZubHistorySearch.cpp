#include "QuorZubApp/Views/Studio/ZubHistorySearch.h"

#include "QuorZubApp/Views/Studio/ZubHistoryPresentation.h"

#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

namespace {
qsizetype textSize(const ZubHistoryRecord& record)
{
    return record.inputText.size() + record.outputText.size();
}

bool isLarge(const QList<ZubHistoryRecord>& history)
{
    qsizetype characters = 0;
    for (const ZubHistoryRecord& record : history) {
        characters += textSize(record);
        if (characters > ZubHistorySearch::immediateCharacters) {
            return true;
        }
    }
    return false;
}
} // namespace

ZubHistorySearch::Listing ZubHistorySearch::listed(const Query& query)
{
    const QString text = query.state.searchQuery.trimmed();
    // A filter alone looks at no text.
    if (text.isEmpty() || !isLarge(query.history)) {
        // What was found before would keep records alive that the history may have dropped.
        m_found.reset();
        m_atHand.reset();
        return {ZubHistoryPresentation::filtered(query.history, query.state, query.localeName), true};
    }
    if (m_found && m_found->text == text && m_found->localeName == query.localeName &&
        answersFor(*m_found, query.history)) {
        m_atHand = m_found;
        return {admitted(query.history, query.state.filter, m_found), true};
    }
    if (!m_searching) {
        m_searching = true;
        searchOnWorker(QPointer<ZubHistorySearch>(this), query.history, text, query.localeName);
    }
    return {admitted(query.history, query.state.filter, m_atHand), false};
}

ZubHistorySearch::Matches ZubHistorySearch::search(const QList<ZubHistoryRecord>& records, const QString& text,
                                                   const QString& localeName)
{
    Matches matches{text, localeName, {}};
    matches.holds.reserve(records.size());
    for (const ZubHistoryRecord& record : records) {
        matches.holds.insert(record.id, ZubHistoryPresentation::matchesSearch(record, text, localeName));
    }
    return matches;
}

bool ZubHistorySearch::answersFor(Matches& matches, const QList<ZubHistoryRecord>& history)
{
    QList<ZubHistoryRecord> unseen;
    qsizetype characters = 0;
    for (const ZubHistoryRecord& record : history) {
        if (!matches.holds.contains(record.id)) {
            unseen.append(record);
            characters += textSize(record);
        }
    }
    if (characters > immediateCharacters) {
        return false;
    }
    const Matches more = search(unseen, matches.text, matches.localeName);
    for (auto it = more.holds.cbegin(); it != more.holds.cend(); ++it) {
        matches.holds.insert(it.key(), it.value());
    }
    return true;
}

QList<ZubHistoryRecord> ZubHistorySearch::admitted(const QList<ZubHistoryRecord>& history, ZubHistoryFilter filter,
                                                   const std::optional<Matches>& matches)
{
    QList<ZubHistoryRecord> shown;
    for (const ZubHistoryRecord& record : history) {
        if (ZubHistoryFilters::admits(filter, record) && (!matches || matches->holds.value(record.id, false))) {
            shown.append(record);
        }
    }
    return shown;
}

QCoro::Task<> ZubHistorySearch::searchOnWorker(QPointer<ZubHistorySearch> self, QList<ZubHistoryRecord> history,
                                               QString text, QString localeName)
{
    QFuture<Matches> searching = QtConcurrent::run(&ZubHistorySearch::search, std::move(history), text, localeName);
    Matches found = co_await searching;
    if (!self) {
        co_return;
    }
    self->m_searching = false;
    self->m_found = std::move(found);
    // Whoever lists the records asks again, for the query they hold by now. The news goes through
    // the event loop: a search that ends before it is awaited resumes here inside listed(), and the
    // lister must not be asked again while it is still asking.
    QMetaObject::invokeMethod(self.data(), &ZubHistorySearch::searched, Qt::QueuedConnection);
}
