#pragma once

#include "QuorKit/Cloud/QuorAIModelCatalogDocument.h"

#include <QString>

// Adds an OpenAI-compatible provider of our own, "acme" at `baseUrl`, and its model
// "acme/acme-writer", both copied from the catalog's OpenAI entries. They are the document's last
// provider and model afterwards, so a test can adjust them there.
inline void quorAddAcmeCatalogEntries(QuorAIModelCatalogDocument& document, const QString& baseUrl)
{
    QuorAIProviderSpec acme = *document.provider(QStringLiteral("openai"));
    acme.id = QStringLiteral("acme");
    acme.name = QStringLiteral("Acme");
    acme.apiFormat = QStringLiteral("openai-compatible");
    acme.defaultBaseUrl = baseUrl;
    document.providers.append(acme);
    QuorAIModelSpec writer = *document.model(QStringLiteral("openai/gpt-4o-mini"));
    writer.id = QStringLiteral("acme/acme-writer");
    writer.providerId = QStringLiteral("acme");
    writer.apiModelId = QStringLiteral("acme-writer");
    writer.aliases.clear();
    writer.displayName = QStringLiteral("Acme Writer");
    writer.vendor = QStringLiteral("Acme");
    writer.tags = {QStringLiteral("acme")};
    document.models.append(writer);
}
