#pragma once

#include "QuorZubApp/Views/Studio/ZubPlaygroundFigures.h"
#include "QuorZubApp/ViewModels/ZubStudioModel.h"

#include <QImage>
#include <QList>
#include <QString>

#include <limits>
#include <optional>

// Every text and visibility decision of the playground tab for one state of the view model.
struct ZubPlaygroundPresentation {
    // What the result card shows of a long result: its text wraps in a label, laid out whole on
    // every layout pass, so it is kept to what a few screens hold.
    static constexpr qsizetype shownResultCharacters = 4000;

    struct StatusPill {
        QString symbol;
        QString title;
        QString value;
        bool operator==(const StatusPill& other) const = default;
    };

    struct Sample {
        QString title;
        QString text;
        bool operator==(const Sample& other) const = default;
    };

    struct Menu {
        QString label; // the current value's name
        QString symbol;
        QStringList items;
        int currentIndex = 0;
        bool operator==(const Menu& other) const = default;
    };

    struct Tile {
        ZubActionDefinition action;
        QString symbol;
        QString title;
        bool accentSymbol = false; // the AI-powered kinds draw their symbol in the accent colour
        bool operator==(const Tile& other) const = default;
    };

    // The tiles of the first enabled actions in the bar's order, and how many actions are enabled.
    struct TileList {
        QList<Tile> tiles;
        qsizetype total = 0;
        bool operator==(const TileList& other) const = default;
    };

    static constexpr qsizetype allTiles = std::numeric_limits<qsizetype>::max();

    enum class ResultState { hidden, busy, qrResult, textResult };

    struct ResultCard {
        QString headerSymbol;
        bool isError = false;
        QString title;
        std::optional<QString> languageBadge; // "TR → EN"
        QString duration;                     // "842 ms"
        std::optional<QImage> qrImage;        // decoded, for the QR form
        QString outputText;
        QString inputText;
        QString copyTitle;                    // "Copy Result", or "Copy Image" in the QR form
        QString saveTitle;
        bool showsReplace = false;
        QString replaceTitle;
        QString speakTitle;
        QString speakSymbol;
        bool speakIsActive = false;
        bool operator==(const ResultCard& other) const = default;
    };

    QList<StatusPill> statusPills;
    QString previewTitle;
    QString inputTitle;
    QString inputSubtitle;
    std::optional<QString> detectedBadge; // "Detected: TR"
    QString statsText;                     // "12 words · 89 chars"
    QList<Sample> samples;
    Menu targetMenu;
    Menu caseMenu;
    QString pasteTitle;
    QString clearTitle;
    QString gridTitle;
    // The grid's tiles so far: a configuration of thousands of actions shows a screenful at first.
    QList<Tile> tiles;
    qsizetype tileCount = 0; // every enabled action's
    bool tilesEnabled = true;
    ResultState resultState = ResultState::hidden;
    QString busyTitle;
    std::optional<ResultCard> result;

    bool operator==(const ZubPlaygroundPresentation& other) const = default;

    using Figures = ZubPlaygroundFigures::Figures;

    // With the figures of the text measured beforehand; without any, neither badge nor counts.
    static ZubPlaygroundPresentation makeFromFigures(const std::optional<Figures>& figures,
                                                     const std::optional<ZubExecutionResult>& result, bool isBusy,
                                                     bool isSpeaking, const ZubConfig& config, QuorLanguage language);
    // The same with the tiles made beforehand (tilesFor()).
    static ZubPlaygroundPresentation makeFromFigures(const std::optional<Figures>& figures,
                                                     const std::optional<ZubExecutionResult>& result, bool isBusy,
                                                     bool isSpeaking, const ZubConfig& config, QuorLanguage language,
                                                     TileList tiles);
    // The tiles of the first `limit` enabled actions.
    static TileList tilesFor(const ZubConfig& config, QuorLanguage language, qsizetype limit = allTiles);
    // Measures the text first.
    static ZubPlaygroundPresentation make(const QString& text, const std::optional<ZubExecutionResult>& result,
                                          bool isBusy, bool isSpeaking, const ZubConfig& config, QuorLanguage language);
    static ZubPlaygroundPresentation make(const ZubStudioModel& model);
    // The seven sample texts, fixed in every language but for their titles.
    static QList<Sample> sampleTexts(QuorLanguage language);
    // The live figures of the editor's text, exactly as typed.
    static std::optional<QString> detectedBadgeFor(const QString& text, QuorLanguage language);
    static QString statsTextFor(const QString& text, QuorLanguage language);
    static std::optional<QString> detectedBadgeFor(const std::optional<QString>& languageCode, QuorLanguage language);
    static QString statsTextFor(const ZubTextStats& stats, QuorLanguage language);
    static ResultCard makeResultCard(const ZubExecutionResult& result, bool isSpeaking, QuorLanguage language);
};
