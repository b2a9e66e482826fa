#pragma once

#include "QuorZubApp/Views/Studio/ZubHistoryFilter.h"
#include "QuorZubApp/ViewModels/ZubStudioModel.h"

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QList>
#include <QString>

#include <limits>
#include <optional>

// Every text, colour and visibility decision of the history tab for one state of the view model
// and of the tab's filter.
struct ZubHistoryPresentation {
    // Lines the card shows of a record's input and of its output.
    static constexpr int inputLines = 2;
    static constexpr int outputLines = 4;
    // Characters of a record's input that its name keeps.
    static constexpr qsizetype nameInputCharacters = 40;

    struct Pill {
        ZubHistoryFilter filter = ZubHistoryFilter::all;
        QString title;
        bool isSelected = false;
        bool operator==(const Pill& other) const = default;
    };

    struct PillLook {
        bool semibold = false;
        QColor text;
        QColor fill;
        QColor border;
        bool operator==(const PillLook& other) const = default;
    };

    struct Card {
        ZubHistoryRecord record;
        QString symbol;
        QColor symbolColor;
        QString title;
        std::optional<QString> languageBadge; // "EN → TR", only with both codes
        QString dateText;
        QString durationText;                 // "842 ms"
        // The starts of the record's texts that the card's few lines can show (ZubTextPreview);
        // the buttons act on the record's whole texts.
        QString inputText;
        QString outputText;
        QColor outputColor;
        QString copyTitle;
        QString speakTitle;
        // The target language, else the detected one.
        std::optional<QString> speakLanguageCode;
        QString openTitle;
        bool pinActive = false;
        QString pinSymbol;
        QColor pinColor;
        // The icon-only buttons' names.
        QString pinTitle;
        QString deleteTitle;
        // What a screen reader calls the card's controls: each names its record ("Copy Output:
        // Calculate, 200 + 10%"), as every card's buttons look alike. The output text is named by
        // the record alone.
        QString recordName;
        QString copyName;
        QString speakName;
        QString openName;
        QString pinName;
        QString deleteName;
        bool operator==(const Card& other) const = default;
    };

    QString searchPlaceholder;
    QList<Pill> pills;
    QString clearTitle;
    bool clearEnabled = false;
    bool showsEmptyState = true;
    QString emptyTitle;
    QString emptyHint;
    QString copiedToast;
    // The records the filter admits and the search finds, in stored order; `cards` holds the first
    // of them, as many as the list has needed so far.
    QList<ZubHistoryRecord> listed;
    QList<Card> cards;

    bool operator==(const ZubHistoryPresentation& other) const = default;

    static constexpr qsizetype allCards = std::numeric_limits<qsizetype>::max();

    // `localeName` gives the case rules of the search and the date format ("tr_TR", "en_US"); an
    // empty `timeZoneID` formats dates in the system's zone. Cards are made for the first
    // `cardLimit` listed records only: dating and cutting thousands of records that may never be
    // scrolled to would hold up the tab.
    static ZubHistoryPresentation make(const QList<ZubHistoryRecord>& history, QuorLanguage language,
                                       const ZubHistoryFilterState& state, const QColor& accent,
                                       const QString& localeName, const QByteArray& timeZoneID = {},
                                       qsizetype cardLimit = allCards);
    // The same, for the records `filtered` lists for `state`, found beforehand.
    static ZubHistoryPresentation make(const QList<ZubHistoryRecord>& history, QList<ZubHistoryRecord> listed,
                                       QuorLanguage language, const ZubHistoryFilterState& state,
                                       const QColor& accent, const QString& localeName,
                                       const QByteArray& timeZoneID = {}, qsizetype cardLimit = allCards);
    // Makes the cards of the listed records up to `count`, the ones made before kept as they are.
    void makeCardsUpTo(qsizetype count, QuorLanguage language, const QColor& accent, const QString& localeName,
                       const QByteArray& timeZoneID = {});

    // The records the filter admits and the search finds, in stored order.
    static QList<ZubHistoryRecord> filtered(const QList<ZubHistoryRecord>& history, const ZubHistoryFilterState& state,
                                            const QString& localeName);
    // An empty (or blank) query finds everything; otherwise the input, the output or the title
    // must contain it, letter case ignored, diacritics not.
    static bool matchesSearch(const ZubHistoryRecord& record, const QString& query, const QString& localeName);
    static bool containsIgnoringCase(const QString& text, const QString& query, const QString& localeName);
    static PillLook pillLook(bool isSelected, const QColor& accent);
    static Card makeCard(const ZubHistoryRecord& record, QuorLanguage language, const QColor& accent,
                         const QString& dateText);
    // A record as a screen reader names it: the action's title, then the start of the input's
    // first line, cut at a word with an ellipsis when more follows ("Calculate, 200 + 10%").
    static QString recordName(const QString& title, const QString& input);
    // The abbreviated date and the short time of `localeName`.
    static QString dateText(const QDateTime& date, const QString& localeName, const QByteArray& timeZoneID = {});
    // The user's locale, as the search and the dates use it.
    static QString systemLocaleName();
};
