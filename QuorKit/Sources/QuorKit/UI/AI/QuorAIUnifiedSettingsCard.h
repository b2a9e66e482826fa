#pragma once

#include "QuorKit/Cloud/QuorAIConfig.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/UI/AI/QuorAIModelCatalogPresentation.h"
#include "QuorKit/UI/AI/QuorAIProviderSectionPresentation.h"
#include "QuorKit/UI/AI/QuorAIUnifiedSettingsUIState.h"
#include "QuorKit/UI/AI/QuorAPIKeyOutcome.h"
#include "QuorKit/UI/AI/QuorUnifiedModelRowItem.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <QCoro/QCoroTask>

#include <functional>
#include <optional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QuorAIModelCatalogSection;
class QuorAIModelCatalogStore;
class QuorCreditsAccountPanel;
class QuorCreditsAccountStore;

// An application's AI settings in one card: the shared credits account with the application's
// spending caps, which provider runs the AI actions, the API key of the OpenAI-compatible provider,
// and the model catalog to pick a model from (or an endpoint and model typed by hand). The card changes the configuration only through its binding and never touches
// the keyring: saving and removing a key are the application's operations, which report whether
// the keyring really did it.
//
// The card refreshes the credits account (when stale) and the model catalog each time it comes on
// screen, so its sections show current data.
class QuorAIUnifiedSettingsCard : public QWidget {
    Q_OBJECT
public:
    // Reads and writes the configuration being edited; the card keeps no copy of it.
    struct ConfigBinding {
        std::function<QuorAIConfig()> get;
        std::function<void(const QuorAIConfig&)> set;
    };
    // Stores the trimmed, non-empty key for the OpenAI-compatible provider.
    using SaveAPIKey = std::function<QCoro::Task<QuorAPIKeyOutcome>(QString key)>;
    // Removes the stored key.
    using ClearAPIKey = std::function<QCoro::Task<QuorAPIKeyOutcome>()>;

    // An empty `onClearAPIKey` offers no Clear button, an empty `onConnectTolvane` no Connect
    // button; no `language` follows the interface language. The stores must outlive the card.
    QuorAIUnifiedSettingsCard(ConfigBinding config, bool hasSavedAPIKey, SaveAPIKey onSaveAPIKey,
                              ClearAPIKey onClearAPIKey, std::function<void()> onConnectTolvane,
                              const QColor& accentColor, std::optional<QuorLanguage> language,
                              QuorCreditsAccountStore& creditsStore, QuorAIModelCatalogStore& catalogStore,
                              QWidget* parent = nullptr);

    // The application's word on whether a key is stored; it changes once a save or removal went
    // through (the card never decides this itself).
    void setHasSavedAPIKey(bool hasSavedAPIKey);
    void setLanguageOverride(std::optional<QuorLanguage> language);
    // Reads the binding again (after the configuration changed elsewhere).
    void sync();

    // The override when set, else the interface language now.
    QuorLanguage displayLanguage() const;
    QuorAIUnifiedSettingsUIState* uiState() const { return m_uiState; }
    const QuorAIProviderSectionPresentation& presentation() const { return m_presentation; }
    const QuorAIModelCatalogPresentation& catalogPresentation() const { return m_catalogPresentation; }
    QuorAIModelCatalogSection* catalogSection() const { return m_catalogSection; }
    QuorCreditsAccountPanel* creditsSection() const { return m_creditsSection; }
    // Every model the user can pick, and those passing the chosen chip and the search text.
    QList<QuorUnifiedModelRowItem> rows() const;
    QList<QuorUnifiedModelRowItem> filteredRows() const;
    // Whether the configured model names the row.
    bool isRowSelected(const QuorUnifiedModelRowItem& row) const;

    // What the controls do.
    void selectProvider(QuorAIProvider provider);
    void saveKey();
    void clearKey();
    // Writes the provider, endpoint and model that run `row`; nothing else changes.
    void applyModelSelection(const QuorUnifiedModelRowItem& row);
    // The manual override: each writes its one field as typed.
    void setManualEndpoint(const QString& endpoint);
    void setManualModel(const QString& model);
    // Fetches the published catalog whatever its age, and asks the local servers again.
    void updateCatalog();
    // How many times the card has drawn its state (each pass builds the catalog's rows once).
    quint64 syncCount() const { return m_syncs; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum class KeyOperation { save, clear };

    QWidget* buildProviderSection();
    QWidget* buildModelCatalogSection();
    QuorAIProviderSectionPresentation::Inputs inputs() const;
    QuorAIModelCatalogPresentation::Inputs catalogInputs() const;
    QList<QuorUnifiedModelRowItem> filtered(const QList<QuorUnifiedModelRowItem>& rows) const;
    // Writes through the binding and shows the result once.
    void writeConfig(const QuorAIConfig& config);
    void finishKeyOperation(KeyOperation operation, const QuorAPIKeyOutcome& outcome);
    static QCoro::Task<> runSave(QPointer<QuorAIUnifiedSettingsCard> self, SaveAPIKey save, QString key);
    static QCoro::Task<> runClear(QPointer<QuorAIUnifiedSettingsCard> self, ClearAPIKey clear);
    static QCoro::Task<> refreshOnShowing(QPointer<QuorAIUnifiedSettingsCard> self,
                                          QPointer<QuorCreditsAccountStore> credits,
                                          QPointer<QuorAIModelCatalogStore> catalog, quint64 showing);

    ConfigBinding m_config;
    bool m_hasSavedAPIKey;
    SaveAPIKey m_onSaveAPIKey;
    ClearAPIKey m_onClearAPIKey;
    std::function<void()> m_onConnectTolvane;
    QColor m_accentColor;
    std::optional<QuorLanguage> m_languageOverride;
    QuorCreditsAccountStore& m_creditsStore;
    QuorAIModelCatalogStore& m_catalogStore;
    QuorAIUnifiedSettingsUIState* m_uiState;
    QuorAIProviderSectionPresentation m_presentation;
    QuorAIModelCatalogPresentation m_catalogPresentation;
    // Rises each time the card comes on screen or leaves it; a refresh started for an earlier
    // showing stops before its next step.
    quint64 m_showing = 0;
    quint64 m_syncs = 0;

    QWidget* m_header = nullptr;
    QAbstractButton* m_connectButton = nullptr;
    QList<QAbstractButton*> m_tiles;
    QWidget* m_keyBlock = nullptr;
    QLabel* m_keyHeading = nullptr;
    QWidget* m_savedLabel = nullptr;
    QLineEdit* m_keyField = nullptr;
    QAbstractButton* m_saveButton = nullptr;
    QAbstractButton* m_clearButton = nullptr;
    QLabel* m_httpsNotice = nullptr;
    QLabel* m_feedback = nullptr;
    QWidget* m_creditsNote = nullptr;
    QLabel* m_noteSymbol = nullptr;
    QLabel* m_noteText = nullptr;
    QuorAIModelCatalogSection* m_catalogSection = nullptr;
    QuorCreditsAccountPanel* m_creditsSection = nullptr;
};
