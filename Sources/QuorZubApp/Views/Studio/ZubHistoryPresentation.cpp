#include "QuorZubApp/Views/Studio/ZubHistoryPresentation.h"

#include "QuorZubApp/Views/ZubTextPreview.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorGraphemes.h"
#include "QuorPlatform/CaseMapping/QuorLocaleCaseMapper.h"
#include "QuorZubCore/Models/ZubActionKind.h"

#include <QLocale>

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>

namespace {
QString t(const char* en, const char* tr, QuorLanguage language)
{
    return quorText(QString::fromUtf8(en), QString::fromUtf8(tr), {}, language);
}

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}
} // namespace

QString ZubHistoryPresentation::systemLocaleName()
{
    const QString name = QLocale().name();
    // The POSIX locale has no dates of its own worth showing.
    return name == QLatin1String("C") ? QStringLiteral("en_US") : name;
}

bool ZubHistoryPresentation::containsIgnoringCase(const QString& text, const QString& query, const QString& localeName)
{
    // Composed and decomposed accents are the same letter to the reader.
    const QString haystack = text.normalized(QString::NormalizationForm_C);
    const QString needle = query.normalized(QString::NormalizationForm_C);
    if (haystack.contains(needle, Qt::CaseInsensitive)) {
        return true;
    }
    // The locale's own pairs, such as Turkish İ/i and I/ı, which plain case folding keeps apart.
    return quor::platform::LocaleCaseMapper::lowercase(haystack, localeName)
        .contains(quor::platform::LocaleCaseMapper::lowercase(needle, localeName));
}

bool ZubHistoryPresentation::matchesSearch(const ZubHistoryRecord& record, const QString& query,
                                           const QString& localeName)
{
    const QString trimmed = query.trimmed();
    if (trimmed.isEmpty()) {
        return true;
    }
    return containsIgnoringCase(record.inputText, trimmed, localeName) ||
           containsIgnoringCase(record.outputText, trimmed, localeName) ||
           containsIgnoringCase(record.actionTitle, trimmed, localeName);
}

QList<ZubHistoryRecord> ZubHistoryPresentation::filtered(const QList<ZubHistoryRecord>& history,
                                                         const ZubHistoryFilterState& state, const QString& localeName)
{
    QList<ZubHistoryRecord> shown;
    for (const ZubHistoryRecord& record : history) {
        if (ZubHistoryFilters::admits(state.filter, record) && matchesSearch(record, state.searchQuery, localeName)) {
            shown.append(record);
        }
    }
    return shown;
}

ZubHistoryPresentation::PillLook ZubHistoryPresentation::pillLook(bool isSelected, const QColor& accent)
{
    if (isSelected) {
        return {true, QColor(Qt::white), withAlpha(accent, 0.28), withAlpha(accent, 0.65)};
    }
    return {false, QuorGlassTokens::textSecondary(), QuorGlassTokens::surface1(), QuorGlassTokens::borderSubtle()};
}

namespace {
// One formatter for a whole list: building one is far dearer than using it.
class DateFormatter {
public:
    DateFormatter(const QString& localeName, const QByteArray& timeZoneID) : m_localeName(localeName)
    {
        const icu::Locale locale(localeName.toUtf8().constData());
        m_format.reset(icu::DateFormat::createDateTimeInstance(icu::DateFormat::kMedium, icu::DateFormat::kShort, locale));
        if (m_format && !timeZoneID.isEmpty()) {
            m_format->adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(timeZoneID.constData())));
        }
    }

    QString format(const QDateTime& date) const
    {
        if (!date.isValid()) {
            return {};
        }
        if (!m_format) {
            return QLocale(m_localeName).toString(date.toLocalTime(), QLocale::ShortFormat);
        }
        icu::UnicodeString text;
        m_format->format(static_cast<UDate>(date.toMSecsSinceEpoch()), text);
        return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
    }

private:
    QString m_localeName;
    std::unique_ptr<icu::DateFormat> m_format;
};
} // namespace

QString ZubHistoryPresentation::dateText(const QDateTime& date, const QString& localeName, const QByteArray& timeZoneID)
{
    return DateFormatter(localeName, timeZoneID).format(date);
}

ZubHistoryPresentation::Card ZubHistoryPresentation::makeCard(const ZubHistoryRecord& record, QuorLanguage language,
                                                              const QColor& accent, const QString& dateText)
{
    Card card;
    card.record = record;
    card.symbol = ZubActionKinds::defaultSymbolName(record.actionKind);
    card.symbolColor = record.isError ? QuorGlassTokens::warning() : accent;
    card.title = record.actionTitle;
    if (record.detectedLanguageCode && record.targetLanguageCode) {
        card.languageBadge =
            record.detectedLanguageCode->toUpper() + QStringLiteral(" → ") + record.targetLanguageCode->toUpper();
    }
    card.dateText = dateText;
    card.durationText = QString::number(record.durationMs) + QStringLiteral(" ms");
    card.inputText = ZubTextPreview::make(record.inputText, inputLines);
    card.outputText = ZubTextPreview::make(record.outputText, outputLines);
    card.outputColor = record.isError ? QuorGlassTokens::warning() : QuorGlassTokens::textPrimary();
    card.copyTitle = t("Copy Output", "Çıktıyı Kopyala", language);
    card.speakTitle = t("Speak", "Seslendir", language);
    card.speakLanguageCode = record.targetLanguageCode ? record.targetLanguageCode : record.detectedLanguageCode;
    card.openTitle = t("Open in Playground", "Oyun Alanında Aç", language);
    card.pinActive = record.isPinned;
    card.pinSymbol = record.isPinned ? QStringLiteral("pin.fill") : QStringLiteral("pin");
    card.pinColor = record.isPinned ? accent : QuorGlassTokens::textSecondary();
    card.pinTitle = record.isPinned ? t("Unpin", "Sabitlemeyi Kaldır", language) : t("Pin", "Sabitle", language);
    card.deleteTitle = t("Delete", "Sil", language);
    card.recordName = recordName(record.actionTitle, record.inputText);
    const auto named = [&card](const QString& title) {
        return card.recordName.isEmpty() ? title : title + QStringLiteral(": ") + card.recordName;
    };
    card.copyName = named(card.copyTitle);
    card.speakName = named(card.speakTitle);
    card.openName = named(card.openTitle);
    card.pinName = named(card.pinTitle);
    card.deleteName = named(card.deleteTitle);
    return card;
}

QString ZubHistoryPresentation::recordName(const QString& title, const QString& input)
{
    // Enough of the input for the characters kept and the one after them, whatever its size; a
    // character the slice may have cut goes.
    const QStringView text = QStringView(input).trimmed();
    QString head = text.left(nameInputCharacters * 8).toString();
    if (head.size() < text.size()) {
        head = QuorGraphemes::dropLast(head, 1);
    }
    qsizetype lineEnd = head.indexOf(QLatin1Char('\n'));
    const qsizetype carriage = head.indexOf(QLatin1Char('\r'));
    if (carriage >= 0 && (lineEnd < 0 || carriage < lineEnd)) {
        lineEnd = carriage;
    }
    bool more = lineEnd >= 0 || head.size() < text.size();
    QString line = head.left(lineEnd >= 0 ? lineEnd : head.size()).simplified();
    if (QuorGraphemes::count(line) > nameInputCharacters) {
        const QString kept = QuorGraphemes::prefix(line, nameInputCharacters);
        // At a word's end, unless that loses most of what is kept.
        const qsizetype space = kept.lastIndexOf(QLatin1Char(' '));
        const bool midWord = line.at(kept.size()) != QLatin1Char(' ');
        line = midWord && space > nameInputCharacters / 2 ? kept.left(space) : kept.trimmed();
        more = true;
    }
    if (more) {
        line += QChar(0x2026);
    }
    const QString shownTitle = title.simplified();
    if (line.isEmpty() || shownTitle.isEmpty()) {
        return shownTitle + line;
    }
    return shownTitle + QStringLiteral(", ") + line;
}

ZubHistoryPresentation ZubHistoryPresentation::make(const QList<ZubHistoryRecord>& history, QuorLanguage language,
                                                    const ZubHistoryFilterState& state, const QColor& accent,
                                                    const QString& localeName, const QByteArray& timeZoneID,
                                                    qsizetype cardLimit)
{
    return make(history, filtered(history, state, localeName), language, state, accent, localeName, timeZoneID,
                cardLimit);
}

ZubHistoryPresentation ZubHistoryPresentation::make(const QList<ZubHistoryRecord>& history,
                                                    QList<ZubHistoryRecord> listed, QuorLanguage language,
                                                    const ZubHistoryFilterState& state, const QColor& accent,
                                                    const QString& localeName, const QByteArray& timeZoneID,
                                                    qsizetype cardLimit)
{
    ZubHistoryPresentation p;
    p.searchPlaceholder = t("Search history...", "Geçmişte ara...", language);
    for (const ZubHistoryFilter filter : ZubHistoryFilters::allCases()) {
        p.pills.append({filter, ZubHistoryFilters::pillTitle(filter, language), filter == state.filter});
    }
    p.clearTitle = t("Clear Unpinned", "Sabitsizleri Temizle", language);
    // Judged on the whole history: a record hidden by the filter is still cleared.
    p.clearEnabled = std::any_of(history.cbegin(), history.cend(),
                                 [](const ZubHistoryRecord& record) { return !record.isPinned; });
    p.emptyTitle = t("No history items yet", "Henüz geçmiş kaydı yok", language);
    p.emptyHint = t("Run actions in the Playground or via the floating selection bar to build your searchable log.",
                    "Aranabilir günlüğünüzü oluşturmak için Oyun Alanı'nda veya yüzen çubukta aksiyon çalıştırın.",
                    language);
    p.copiedToast = t("Copied output.", "Çıktı kopyalandı.", language);
    p.listed = std::move(listed);
    p.showsEmptyState = p.listed.isEmpty();
    p.makeCardsUpTo(cardLimit, language, accent, localeName, timeZoneID);
    return p;
}

void ZubHistoryPresentation::makeCardsUpTo(qsizetype count, QuorLanguage language, const QColor& accent,
                                           const QString& localeName, const QByteArray& timeZoneID)
{
    const qsizetype end = std::min(count, listed.size());
    if (cards.size() >= end) {
        return;
    }
    const DateFormatter dates(localeName, timeZoneID);
    cards.reserve(end);
    for (qsizetype i = cards.size(); i < end; ++i) {
        cards.append(makeCard(listed[i], language, accent, dates.format(listed[i].createdAt)));
    }
}
