#pragma once

#include "QuorKit/UI/AI/QuorAIModelCatalogPresentation.h"

#include <QList>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;
class QuorAIModelRowButton;

// The AI card's model catalog section: title with counts and the update button, the search field,
// the category chips, the scrolling model list and the manual endpoint and model fields. It draws
// a presentation and reports what the user did; the card decides what that changes.
class QuorAIModelCatalogSection : public QWidget {
    Q_OBJECT
public:
    static constexpr int listMinimumHeight = 160;
    // The least width of the override rows' label column.
    static constexpr int labelColumnWidth = 72;
    static constexpr int listMaximumHeight = 260;

    explicit QuorAIModelCatalogSection(QWidget* parent = nullptr);

    void apply(const QuorAIModelCatalogPresentation& presentation);
    const QList<QuorAIModelRowButton*>& rowButtons() const { return m_rowButtons; }

signals:
    void updateRequested();
    void searchEdited(const QString& text);
    void categoryChosen(QuorAIModelFilterCategory category);
    void rowChosen(const QuorUnifiedModelRowItem& item);
    void endpointEdited(const QString& text);
    void modelEdited(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildSearch();
    QWidget* buildList();
    QWidget* buildOverride();
    QLineEdit* overrideRow(QVBoxLayout* layout, QLabel*& label, const QString& name);
    void applyRows(const QList<QuorAIModelCatalogPresentation::Row>& rows);
    // The list is as tall as its rows, within the minimum and maximum.
    void fitListHeight();

    QLabel* m_title = nullptr;
    QLabel* m_countLine = nullptr;
    QAbstractButton* m_updateButton = nullptr;
    QLineEdit* m_searchField = nullptr;
    QAbstractButton* m_clearSearch = nullptr;
    QList<QAbstractButton*> m_categoryChips;
    QScrollArea* m_listArea = nullptr;
    QWidget* m_listContent = nullptr;
    QVBoxLayout* m_listLayout = nullptr;
    QList<QuorAIModelRowButton*> m_rowButtons;
    QLabel* m_emptyText = nullptr;
    QLabel* m_overrideHeading = nullptr;
    QLabel* m_endpointLabel = nullptr;
    QLineEdit* m_endpointField = nullptr;
    QLabel* m_modelLabel = nullptr;
    QLineEdit* m_modelField = nullptr;
};
