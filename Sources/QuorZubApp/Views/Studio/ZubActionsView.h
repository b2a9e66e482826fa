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
class QVBoxLayout;
class ZubStudioButton;
class ZubStudioPlate;

// The actions tab: switches, reorders and deletes the floating bar's actions, puts back the
// defaults, and creates custom AI prompt actions. The list is the model's; the only state of its
// own is the unsaved custom-action form, dropped with the tab.
class ZubActionsView : public QWidget {
    Q_OBJECT
public:
    ZubActionsView(ZubStudioModel& model, const QColor& accent, QWidget* parent = nullptr);

    const ZubActionsPresentation& presentation() const { return m_presentation; }
    const CustomAIActionFormState& form() const { return m_form; }

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
    };

    QWidget* buildOrderCard();
    QWidget* buildCreatorCard();
    RowWidgets makeRow(const QString& key, const QUuid& id);
    void syncRow(RowWidgets& widgets, const ZubActionsPresentation::Row& row);
    void sync();
    void syncRows();
    void syncCreator();
    void setForm(const CustomAIActionFormState& form);

    ZubStudioModel& m_model;
    QColor m_accent;
    CustomAIActionFormState m_form;
    ZubActionsPresentation m_presentation;

    QLabel* m_orderTitle = nullptr;
    QLabel* m_orderSubtitle = nullptr;
    QAbstractButton* m_resetButton = nullptr;
    QWidget* m_rowsBox = nullptr;
    QVBoxLayout* m_rowsLayout = nullptr;
    // Keyed by id and, for a hand-edited list that repeats an id, by its occurrence.
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
