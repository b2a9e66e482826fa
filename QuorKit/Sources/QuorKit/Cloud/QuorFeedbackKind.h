#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QList>
#include <QString>

#include <optional>

// What a piece of feedback is about; the web form preselects it.
enum class QuorFeedbackKind { bug, feature, newApp, general };

namespace QuorFeedbackKinds {

// In declaration order: bug, feature, newApp, general.
const QList<QuorFeedbackKind>& allCases();
// The wire value: "bug", "feature", "new_app", "general".
QString rawValue(QuorFeedbackKind kind);
inline QString id(QuorFeedbackKind kind) { return rawValue(kind); }
// Exactly the four wire values, case-sensitive.
std::optional<QuorFeedbackKind> fromRawValue(const QString& raw);
QString symbolName(QuorFeedbackKind kind);
QString title(QuorFeedbackKind kind, QuorLanguage language);

} // namespace QuorFeedbackKinds

size_t qHash(QuorFeedbackKind kind, size_t seed = 0) noexcept;
