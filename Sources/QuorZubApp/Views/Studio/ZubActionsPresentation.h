#pragma once

#include "QuorZubApp/ViewModels/ZubStudioModel.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

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

    static ZubActionsPresentation make(const ZubConfig& config, QuorLanguage language,
                                       const CustomAIActionFormState& form, const QColor& accent);
    static ZubActionsPresentation make(const ZubStudioModel& model, const CustomAIActionFormState& form,
                                       const QColor& accent);
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
