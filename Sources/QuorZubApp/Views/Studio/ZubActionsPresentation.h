#pragma once

#include "QuorZubApp/ViewModels/ZubStudioModel.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <limits>

// What the custom-action form holds while the actions tab is shown; it is dropped with the tab.
struct CustomAIActionFormState {
    QString titleEN;
    QString titleTR;
    QString symbol = QStringLiteral("sparkles");
    QString prompt;

    bool operator==(const CustomAIActionFormState& other) const = default;
};

// Every text, colour and enabled-state decision of the actions tab for one state of the view model
// and of the form.
struct ZubActionsPresentation {
    struct Row {
        QUuid id;
        ZubActionKind kind = ZubActionKind::translate;
        QString symbol;
        QColor symbolColor;
        QString title;
        QColor titleColor;
        QString badge;
        QColor badgeColor;
        QString detail; // the prompt on one line, or "English / Turkish"
        QColor detailColor;
        bool canMoveUp = false;
        bool canMoveDown = false;
        bool showsDelete = false;
        bool isEnabled = false;
        // Names of the row's icon-only controls (tooltips and what screen readers say).
        QString moveUpTitle;
        QString moveDownTitle;
        QString deleteTitle;
        QString switchTitle;
        bool operator==(const Row& other) const = default;
    };

    struct SymbolOption {
        QString symbol;
        bool isSelected = false;
        QColor foreground;
        QColor background;
        bool operator==(const SymbolOption& other) const = default;
    };

    QString orderTitle;
    QString orderSubtitle;
    QString resetTitle;
    // Every action, in the bar's order; `rows` holds the rows of a run of them (all, unless asked
    // otherwise), the first of them for the action at `firstRow`.
    QList<ZubActionDefinition> sortedActions;
    qsizetype firstRow = 0;
    QList<Row> rows;

    QString creatorTitle;
    QString creatorSubtitle;
    QString titleENPlaceholder;
    QString titleTRPlaceholder;
    QString iconLabel;
    QList<SymbolOption> symbols;
    QString promptPlaceholder;
    bool showsPromptPlaceholder = true;
    QString addTitle;

    bool operator==(const ZubActionsPresentation& other) const = default;

    static constexpr qsizetype allRows = std::numeric_limits<qsizetype>::max();

    // Rows are made for the `rowCount` sorted actions from `firstRow` on: a list of thousands of
    // actions is shown a screenful at a time.
    static ZubActionsPresentation make(const ZubConfig& config, QuorLanguage language,
                                       const CustomAIActionFormState& form, const QColor& accent,
                                       qsizetype firstRow = 0, qsizetype rowCount = allRows);
    static ZubActionsPresentation make(const ZubStudioModel& model, const CustomAIActionFormState& form,
                                       const QColor& accent);
    // Makes the rows of the `count` sorted actions from `first` on, keeping those made before.
    void makeRows(qsizetype first, qsizetype count, QuorLanguage language, const QColor& accent);
    // One row of the order list: `index` is the action's place among `total` sorted actions.
    static Row row(const ZubActionDefinition& action, qsizetype index, qsizetype total, QuorLanguage language,
                   const QColor& accent);
    // The symbols offered for a custom action, in order.
    static const QStringList& symbolOptions();
    // An icon tile's name: "Icon: Magic Wand".
    static QString symbolTitle(const QString& symbol, QuorLanguage language);
    // The icon picker's tiles with `selected` marked.
    static QList<SymbolOption> symbolChoices(const QString& selected);
    // Only an exactly empty prompt shows the placeholder: a single space already counts as typed.
    static bool showsPlaceholder(const CustomAIActionFormState& form) { return form.prompt.isEmpty(); }
    // The form once its contents were handed to the view model: emptied (the icon kept) when they
    // make a valid action, as typed otherwise.
    static CustomAIActionFormState formAfterAdd(const CustomAIActionFormState& form);
};
