#pragma once

#include "QuorZubCore/Models/ZubActionDefinition.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"

#include <QImage>
#include <QList>
#include <QString>

#include <optional>

class ZubFloatingBarState;

// Every text and visibility decision of the floating bar for one state, so the content view only
// wires and paints. Texts are in the state's interface language.
struct ZubFloatingBarPresentation {
    struct Pill {
        ZubActionDefinition action;
        QString title;
        bool isActive = false;
        bool operator==(const Pill& other) const = default;
    };

    struct ResultCard {
        QString headerSymbol;
        bool isError = false;          // header symbol and output in the warning colour
        QString title;
        std::optional<QString> languageCapsule; // "EN → TR"
        QString duration;               // "842 ms"
        // The QR body when an image is at hand, else the text body.
        std::optional<QImage> qrImage;
        // Previews: a long result shows its start (ZubResultTextPreview).
        QString outputText;
        // What a screen reader calls the text body ("Result: Calculate"); it reads the text itself
        // as the value.
        QString outputName;
        QString inputText;
        QString saveTitle;
        QString copyTitle;
        bool showsReplace = false;
        QString replaceTitle;
        bool showsSpeak = false;
        QString speakTitle;
        QString speakSymbol;
        bool speakIsActive = false;
        QString closeTitle;
        bool operator==(const ResultCard& other) const = default;
    };

    enum class Card { none, running, result };

    std::optional<QString> languageBadge; // "EN→TR", only with a detected language
    QString badgeTooltip;
    QString dismissTooltip;
    // The pills of state.actions() from firstPill on: all of them, or the part of a long row that
    // is in sight.
    QList<Pill> pills;
    qsizetype firstPill = 0;
    Card card = Card::none;
    QString runningTitle;
    QString runningPreview; // the first 72 characters of the selection
    std::optional<ResultCard> result;

    // With at most `pillCount` pills from `firstPill` on (every pill by default).
    static ZubFloatingBarPresentation make(const ZubFloatingBarState& state, qsizetype firstPill = 0,
                                           qsizetype pillCount = -1);
    static QList<Pill> makePills(const ZubFloatingBarState& state, qsizetype first, qsizetype count);
    // The pill of state.actions()[index].
    static Pill makePill(const ZubFloatingBarState& state, qsizetype index);
    // The card of a result as the state would show it.
    static ResultCard makeResultCard(const ZubExecutionResult& result, const ZubFloatingBarState& state);
};
