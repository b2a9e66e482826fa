#pragma once

#include "QuorKit/Cloud/QuorAIConfig.h"
#include "QuorKit/Cloud/QuorAIProvider.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/UI/AI/QuorAIModelFilterCategory.h"
#include "QuorKit/UI/AI/QuorAIUnifiedSettingsUIState.h"

#include <QColor>
#include <QList>
#include <QString>

#include <optional>

// Every text, colour and visibility decision of the AI card's provider and API key section for one
// state: the three provider tiles and, under them, what the chosen provider needs (a key entry for
// the OpenAI-compatible provider, a note for the credits gateway, nothing for local Ollama).
struct QuorAIProviderSectionPresentation {
    struct Inputs {
        QuorAIProvider provider = QuorAIProvider::ollamaLocal; // of the configuration in force
        QString endpointURL;                                   // likewise
        bool hasSavedAPIKey = false;
        bool canClearKey = false;  // the application offers key removal
        bool canConnect = false;   // the application offers its connect action
        QString apiKeyInput;
        std::optional<QuorAPIKeyFeedback> feedback;
        bool isWorkingOnKey = false;
        bool isSignedIn = false;   // to the credits account
        QColor accent;
        QuorLanguage language = QuorLanguage::en;
    };

    struct Tile {
        QuorAIProvider provider = QuorAIProvider::ollamaLocal;
        QString title;
        QString subtitle;
        QString symbol;
        bool isSelected = false;
        QColor symbolColor;
        QColor fill;
        QColor border;
        bool operator==(const Tile& other) const = default;
    };

    enum class Block { none, apiKey, creditsNote };

    // What choosing a provider writes: its default endpoint and model, and the chip shown next.
    struct Selection {
        QuorAIConfig config;
        QuorAIModelFilterCategory category = QuorAIModelFilterCategory::all;
        bool operator==(const Selection& other) const = default;
    };

    QString headerTitle;
    bool showsConnectButton = false;
    QString connectTitle;
    QList<Tile> tiles;
    Block block = Block::none;

    QString keyHeading;
    bool showsSavedLabel = false;
    QString savedLabel;
    QString keyPlaceholder;
    QString saveTitle;
    bool saveEnabled = false;
    bool showsClearButton = false;
    QString clearTitle;
    bool clearEnabled = false;
    bool showsFeedback = false;
    QString feedbackText;
    QColor feedbackColor;
    // Plain http to a host beyond this computer and the private network: no key would be sent there.
    bool showsHttpsNotice = false;
    QString httpsNotice;

    QString noteSymbol;
    QColor noteSymbolColor;
    QString noteText;

    bool operator==(const QuorAIProviderSectionPresentation& other) const = default;

    static QuorAIProviderSectionPresentation make(const Inputs& inputs);
    static Selection selection(QuorAIProvider provider, bool hasDiscoveredLocalModels);
    // The key as handed to the application: without surrounding white space and line breaks.
    static QString trimmedKey(const QString& input);
    // The feedback lines of the two key operations, resolved now.
    static QuorAPIKeyFeedback savedFeedback(QuorLanguage language);
    static QuorAPIKeyFeedback removedFeedback(QuorLanguage language);
    // A refusal: the keyring's reason, or a plain statement when it gave none.
    static QuorAPIKeyFeedback saveFailedFeedback(const QString& reason, QuorLanguage language);
    static QuorAPIKeyFeedback removeFailedFeedback(const QString& reason, QuorLanguage language);
};
