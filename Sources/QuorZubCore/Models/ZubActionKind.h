#pragma once

#include <QList>
#include <QString>

#include <optional>

// Everything the floating bar can do with a selected text, in catalogue order.
enum class ZubActionKind {
    translate,
    fixGrammar,
    summarize,
    explain,
    plainCopy,
    cleanURL,
    calculate,
    wordStats,
    qrCode,
    dictionary,
    caseTransform,
    openWebSearch,
    speak,
    customAI
};

namespace ZubActionKinds {

const QList<ZubActionKind>& allCases();
QString rawValue(ZubActionKind kind);
inline QString id(ZubActionKind kind) { return rawValue(kind); }
std::optional<ZubActionKind> fromRawValue(const QString& text);

QString defaultTitleEN(ZubActionKind kind);
QString defaultTitleTR(ZubActionKind kind);
// The symbol name of the bar button (a name of the icon set, mapped to a glyph by the design kit).
QString defaultSymbolName(ZubActionKind kind);

// Runs through an AI provider (or the web translator) rather than offline.
bool isAIPowered(ZubActionKind kind);
// Its output may replace the selection in place.
bool supportsInPlaceReplace(ZubActionKind kind);

// The same two flags by catalogue position, as 14-bit masks; positions outside 0...13 are false.
inline constexpr quint32 aiPoweredMask = 8207;
inline constexpr quint32 inPlaceReplaceMask = 9335;
bool isAIPoweredAt(int position);
bool supportsInPlaceReplaceAt(int position);

} // namespace ZubActionKinds

size_t qHash(ZubActionKind kind, size_t seed = 0) noexcept;
