#pragma once

#include "QuorKit/Cloud/QuorAppBudgetStatus.h"
#include "QuorKit/Localization/QuorLanguage.h"

#include <QColor>
#include <QString>

#include <optional>

class QuorBudgetEditorUIState;

// Every text, colour and visibility decision of the application's cap editor: the disclosure row,
// and when open the two cap fields, the message line and the Save and Clear buttons.
struct QuorBudgetEditorPresentation {
    struct Message {
        QString text;
        QColor color;
        bool operator==(const Message& other) const = default;
    };

    // What Save sends, or why it sends nothing.
    struct Caps {
        std::optional<QString> validationError;
        std::optional<double> daily;   // none: no cap
        std::optional<double> monthly;
        bool operator==(const Caps& other) const = default;
    };

    QString title;
    QString disclosureSymbol;
    QString toggleText; // "Hide" when open, "Edit" when closed
    bool showsPanel = false;
    QString dailyCaption;
    QString monthlyCaption;
    QString placeholder;
    std::optional<Message> message;
    QString saveTitle;
    bool saveBusy = false;
    bool saveEnabled = true;
    bool showsClear = false;
    QString clearTitle;
    bool clearEnabled = true;

    bool operator==(const QuorBudgetEditorPresentation& other) const = default;

    static QuorBudgetEditorPresentation make(const QuorBudgetEditorUIState& state,
                                             const std::optional<QuorAppBudgetStatus>& budget, bool isSavingBudget,
                                             QuorLanguage language);
    // The two fields read as caps; blank or 0 is no cap. Anything that is not a non-negative
    // number sends nothing.
    static Caps caps(const QString& dailyText, const QString& monthlyText, QuorLanguage language);
    static QString savedNotice(QuorLanguage language);
    static QString removedNotice(QuorLanguage language);
};
