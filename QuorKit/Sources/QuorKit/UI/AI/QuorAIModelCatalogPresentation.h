#pragma once

#include "QuorKit/Cloud/QuorAIConfig.h"
#include "QuorKit/Cloud/QuorAIModelCatalogDocument.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/UI/AI/QuorAIModelFilterCategory.h"
#include "QuorKit/UI/AI/QuorUnifiedModelRowItem.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>

#include <optional>

// Every text, colour and visibility decision of the AI card's model catalog section for one state:
// the title with its counts and the update button, the search field, the category chips, the model
// rows (or the line saying none match), and the manual endpoint and model fields. Also what picking
// a row writes into the configuration.
struct QuorAIModelCatalogPresentation {
    struct Inputs {
        QuorAIConfig config;
        QString catalogVersion;
        qsizetype allRowCount = 0;     // before the chip and the search narrowed the list
        qsizetype localModelCount = 0; // found on the local servers
        bool isSyncing = false;
        QString searchQuery;
        QuorAIModelFilterCategory selectedCategory = QuorAIModelFilterCategory::all;
        QList<QuorUnifiedModelRowItem> filteredRows;
        QColor accent;
        QuorLanguage language = QuorLanguage::en;
    };

    // A small capsule label: the text in the tint on the tint at low opacity.
    struct Chip {
        QString text;
        QColor tint;
        QColor fill;
        bool operator==(const Chip& other) const = default;
    };

    struct CategoryChip {
        QuorAIModelFilterCategory category = QuorAIModelFilterCategory::all;
        QString title;
        bool isSelected = false;
        QFont::Weight weight = QFont::Medium;
        QColor textColor;
        QColor fill;
        std::optional<QColor> border; // none when selected
        bool operator==(const CategoryChip& other) const = default;
    };

    struct Row {
        QuorUnifiedModelRowItem item; // what picking the row applies
        QString title;
        std::optional<Chip> recommended;
        std::optional<Chip> installed;
        QString vendor;
        bool isSelected = false;
        QColor checkColor;
        QString summary; // empty: no summary line
        QList<Chip> details;
        QColor fill;
        QColor border;
        bool operator==(const Row& other) const = default;
    };

    QString title;
    QString titleSymbol;
    QString countLine;
    QString updateTitle;
    QString updateSymbol;
    bool showsUpdateProgress = false;
    bool updateEnabled = true;

    QString searchSymbol;
    QString searchText;
    QString searchPlaceholder;
    QString clearSearchTitle; // the icon-only button's tooltip and name
    bool showsClearSearch = false;

    QList<CategoryChip> categories;
    QList<Row> rows;
    bool showsEmptyText = false;
    QString emptyText;

    QString overrideHeading;
    QString endpointLabel;
    QString endpointText;
    QString endpointPlaceholder;
    QString modelLabel;
    QString modelText;
    QString modelPlaceholder;

    bool operator==(const QuorAIModelCatalogPresentation& other) const = default;

    static QuorAIModelCatalogPresentation make(const Inputs& inputs);
    static Row row(const QuorUnifiedModelRowItem& item, const QString& configuredModel, const QColor& accent,
                   QuorLanguage language);
    // The context window, the price, the memory need (or the size on disk) and the capabilities.
    static QList<Chip> detailChips(const QuorUnifiedModelRowItem& item, const QColor& accent, QuorLanguage language);
    static Chip chip(const QString& text, const QColor& tint);

    // A row is marked when the configured model, trimmed and in any case, names it by its API id,
    // its id or its Ollama tag. Provider and endpoint are not compared. A blank model marks nothing.
    static bool isRowSelected(const QuorUnifiedModelRowItem& item, const QString& configuredModel);
    // The whole configuration that picking `item` writes: managed models run on the credits gateway,
    // local ones on their local server, cloud models on the gateway when it is in use, else on the
    // catalog provider's OpenAI-compatible endpoint (or the public OpenAI one).
    static QuorAIConfig applyModelSelection(const QuorUnifiedModelRowItem& item, const QuorAIConfig& current,
                                            const QuorAIModelCatalogDocument& document);
    // The model field's hint: the provider's default model, the same in every language.
    static QString defaultModelHint(QuorAIProvider provider);
};
