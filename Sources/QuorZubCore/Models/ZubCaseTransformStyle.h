#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QList>
#include <QString>

#include <optional>

// What the case action does to a text; the transforms themselves are the offline engine's.
enum class ZubCaseTransformStyle { titleCase, uppercase, lowercase, trimAndCollapseWhitespace, stripMarkdown };

namespace ZubCaseTransformStyles {

const QList<ZubCaseTransformStyle>& allCases();
QString rawValue(ZubCaseTransformStyle style);
inline QString id(ZubCaseTransformStyle style) { return rawValue(style); }
std::optional<ZubCaseTransformStyle> fromRawValue(const QString& text);

QString displayName(ZubCaseTransformStyle style, std::optional<QuorLanguage> language = std::nullopt);

} // namespace ZubCaseTransformStyles

size_t qHash(ZubCaseTransformStyle style, size_t seed = 0) noexcept;
