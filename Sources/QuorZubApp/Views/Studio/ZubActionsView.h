#pragma once

#include "QuorZubApp/Views/Studio/ZubActionsPresentation.h"
#include "QuorZubApp/ViewModels/ZubStudioModel.h"

#include <QColor>
#include <QHash>
#include <QStringList>
#include <QUuid>
#include <QWidget>

#include <optional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QScrollArea;
class ZubStudioButton;
class ZubStudioPlate;

// The actions tab: switches, reorders and deletes the floating bar's actions, puts back the
// defaults, and creates custom AI prompt actions. The list is the model's; the only state of its
// own is the unsaved custom-action form, dropped with the tab. The list keeps the height of all
// its rows, but rows exist only for the actions in sight and a little around them, so a list of
// thousands appears and scrolls as fast as a short one.
class ZubActionsView : public QWidget {
    Q_OBJECT
public:
    // Rows made beyond the visible part of the list, above and below it.
    static constexpr int rowsAheadPixels = 600;

    ZubActionsView(ZubStudioModel& model, const QColor& accent, QWidget* parent = nullptr);

    const ZubActionsPresentation& presentation() const { return m_presentation; }
    const CustomAIActionFormState& form() const { return m_form; }
    // How many rows exist as widgets now.
    qsizetype builtRows() const { return m_rows.size(); }

    // The "Add Custom Action" button's effect.
    void addCustomAction();

private:
    struct RowWidgets {
        QWidget* row = nullptr;
        ZubStudioPlate* iconTile = nullptr;
        QLabel* icon = nullptr;
        QLabel* title = nullptr;
        ZubStudioPlate* badge = nullptr;
        QLabel* badgeText = nullptr;
        QLabel* detail = nullptr;
        ZubStudioButton* up = nullptr;
        ZubStudioButton* down = nullptr;
        ZubStudioButton* remove = nullptr;
        QAbstractButton* toggle = nullptr;
        std::optional<ZubActionsPresentation::Row> shown;
        QUuid id;
        qsizetype index = 0;
    };

    struct RowRange {
        qsizetype first = 0;
        qsizetype count = 0;
        bool operator==(const RowRange& other) const = default;
    };

    QWidget* buildOrderCard();
    QWidget* buildCreatorCard();
    RowWidgets makeRow(const QString& key, const QUuid& id);
    void syncRow(RowWidgets& widgets, const ZubActionsPresentation::Row& row);
    void sync();
    void syncRows();
    void syncCreator();
    void setForm(const CustomAIActionFormState& form);
    // The height every row has, measured once on a row made for the purpose.
    void measureRows();
    // The rows in sight, with rowsAheadPixels to spare on either side.
    RowRange rowsInSight() const;
    void placeRow(const RowWidgets& widgets) const;
    // Tab goes from Reset Defaults through the rows that exist, top to bottom, to the form.
    void chainRows();

    ZubStudioModel& m_model;
    QColor m_accent;
    CustomAIActionFormState m_form;
    ZubActionsPresentation m_presentation;

    QLabel* m_orderTitle = nullptr;
    QLabel* m_orderSubtitle = nullptr;
    QAbstractButton* m_resetButton = nullptr;
    QWidget* m_rowsBox = nullptr;
    QScrollArea* m_scroll = nullptr;
    int m_rowHeight = 0;
    bool m_syncingRows = false;
    // What the list was made from: most changes of the model (a toast, speech) leave it as it
    // was, and making it again means sorting every action.
    std::optional<QList<ZubActionDefinition>> m_madeFromActions;
    std::optional<QuorLanguage> m_madeForLanguage;
    // Keyed by id: the store gives duplicates of a hand-edited file ids of their own.
    QHash<QString, RowWidgets> m_rows;
    QStringList m_rowOrder;

    QLabel* m_creatorTitle = nullptr;
    QLabel* m_creatorSubtitle = nullptr;
    QLineEdit* m_titleEN = nullptr;
    QLineEdit* m_titleTR = nullptr;
    QLabel* m_iconLabel = nullptr;
    QList<ZubStudioButton*> m_symbolButtons;
    QPlainTextEdit* m_prompt = nullptr;
    QLabel* m_promptPlaceholder = nullptr;
    QAbstractButton* m_addButton = nullptr;
};
