#pragma once

#include "QuorZubApp/Views/Studio/ZubHistoryPresentation.h"
#include "QuorZubApp/ViewModels/ZubStudioModel.h"

#include <QColor>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <optional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QScrollArea;
class ZubHistoryCardColumn;
class ZubHistorySearch;
class ZubStudioButton;

// The history tab: the model's records narrowed by a filter pill and a search, each with copy,
// speak, open-in-playground, pin and delete; and a button that clears every unpinned record. The
// records are the model's; the filter and the query are the tab's own, dropped with it. Cards are
// built as they scroll into view; a search through megabytes of results runs off the GUI thread
// (ZubHistorySearch).
class ZubHistoryView : public QWidget {
    Q_OBJECT
public:
    static constexpr qsizetype batchSize = 24;

    ZubHistoryView(ZubStudioModel& model, const QColor& accent, QWidget* parent = nullptr);

    const ZubHistoryPresentation& presentation() const { return m_presentation; }
    const ZubHistoryFilterState& filterState() const { return m_state; }
    // How many of the listed cards exist as widgets so far.
    qsizetype builtCards() const { return m_builtCards.size(); }

    // The controls' effects, as their clicks run them.
    void chooseFilter(ZubHistoryFilter filter);
    void copyOutput(const ZubHistoryRecord& record);
    void openInPlayground(const ZubHistoryRecord& record);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct CardEntry {
        ZubHistoryPresentation::Card card;
        QPointer<QWidget> widget;
    };

    QWidget* buildFilterBar();
    QWidget* buildEmptyState();
    QWidget* makeCard(const QString& key, const ZubHistoryPresentation::Card& card);
    void sync();
    void syncList();
    void loadMoreIfNearEnd();
    void appendCards();
    // The width the list gives its cards.
    int cardWidth() const;

    ZubStudioModel& m_model;
    QColor m_accent;
    ZubHistoryFilterState m_state;
    ZubHistoryPresentation m_presentation;
    // What the presentation was made from. Most changes of the model (a toast, speech) leave all
    // three as they were, and making it again means dating and cutting every record.
    QList<ZubHistoryRecord> m_madeFromHistory;
    std::optional<QuorLanguage> m_madeForLanguage;
    ZubHistoryFilterState m_madeForState;
    // False while the list shown stands in for one a search is still finding.
    bool m_listingSettled = false;
    qsizetype m_limit = batchSize;
    ZubHistorySearch* m_finder = nullptr;

    QLineEdit* m_search = nullptr;
    QList<ZubStudioButton*> m_pills;
    QAbstractButton* m_clearButton = nullptr;
    QWidget* m_emptyState = nullptr;
    QLabel* m_emptyTitle = nullptr;
    QLabel* m_emptyHint = nullptr;
    QScrollArea* m_scroll = nullptr;
    ZubHistoryCardColumn* m_listLayout = nullptr;
    // Keyed by id and, for a hand-edited file that repeats an id, by its occurrence.
    QHash<QString, CardEntry> m_cards;
    QStringList m_builtKeys;
    QList<ZubHistoryPresentation::Card> m_builtCards;
};
