#include "QuorZubApp/Views/Studio/ZubActionsPresentation.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorZubCore/Models/ZubActionKind.h"

#include <QRegularExpression>

#include <algorithm>

namespace {
QString t(const char* en, const char* tr, QuorLanguage language)
{
    return quorText(QString::fromUtf8(en), QString::fromUtf8(tr), {}, language);
}

// Nothing but white space and line breaks, the same test the view model applies.
bool isBlank(const QString& text)
{
    return text.trimmed().isEmpty();
}

QString oneLine(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\\r\\n|[\\n\\r\\x{2028}\\x{2029}\\x{0085}\\v\\f]"));
    return QString(text).replace(breaks, QStringLiteral(" "));
}
} // namespace

const QStringList& ZubActionsPresentation::symbolOptions()
{
    static const QStringList options{
        QStringLiteral("sparkles"),
        QStringLiteral("wand.and.stars"),
        QStringLiteral("bubble.left.and.bubble.right.fill"),
        QStringLiteral("chevron.left.forwardslash.chevron.right"),
        QStringLiteral("envelope.fill"),
        QStringLiteral("list.bullet.rectangle"),
        QStringLiteral("checkmark.seal.fill"),
        QStringLiteral("bolt.fill"),
    };
    return options;
}

QList<ZubActionsPresentation::SymbolOption> ZubActionsPresentation::symbolChoices(const QString& selected)
{
    QList<SymbolOption> choices;
    for (const QString& symbol : symbolOptions()) {
        const bool isSelected = symbol == selected;
        choices.append({symbol, isSelected, isSelected ? QColor(Qt::black) : QuorGlassTokens::textPrimary(),
                        isSelected ? QColor(Qt::white) : QuorGlassTokens::surface2()});
    }
    return choices;
}

CustomAIActionFormState ZubActionsPresentation::formAfterAdd(const CustomAIActionFormState& form)
{
    if (isBlank(form.prompt) || (isBlank(form.titleEN) && isBlank(form.titleTR))) {
        return form;
    }
    CustomAIActionFormState cleared;
    cleared.symbol = form.symbol;
    return cleared;
}

ZubActionsPresentation::Row ZubActionsPresentation::row(const ZubActionDefinition& action, qsizetype index,
                                                        qsizetype total, QuorLanguage language, const QColor& accent)
{
    Row row;
    row.id = action.id;
    row.kind = action.kind;
    row.isEnabled = action.isEnabled;
    row.symbol = action.symbolName;
    row.symbolColor = action.isEnabled ? accent : QuorGlassTokens::textMuted();
    row.title = quorText(action.titleEN, action.titleTR, {}, language);
    row.titleColor = action.isEnabled ? QuorGlassTokens::textPrimary() : QuorGlassTokens::textMuted();
    if (ZubActionKinds::isAIPowered(action.kind)) {
        row.badge = QStringLiteral("AI");
        row.badgeColor = accent;
    } else {
        row.badge = t("Offline", "Çevrimdışı", language);
        row.badgeColor = QuorGlassTokens::success();
    }
    if (action.customPrompt && !action.customPrompt->isEmpty()) {
        row.detail = oneLine(*action.customPrompt);
        row.detailColor = QuorGlassTokens::textSecondary();
    } else {
        row.detail = action.titleEN + QStringLiteral(" / ") + action.titleTR;
        row.detailColor = QuorGlassTokens::textMuted();
    }
    row.canMoveUp = index > 0;
    row.canMoveDown = index < total - 1;
    row.showsDelete = action.kind == ZubActionKind::customAI;
    row.moveUpTitle = t("Move Up: ", "Yukarı Taşı: ", language) + row.title;
    row.moveDownTitle = t("Move Down: ", "Aşağı Taşı: ", language) + row.title;
    row.deleteTitle = t("Delete: ", "Sil: ", language) + row.title;
    row.switchTitle = t("Show in the bar: ", "Çubukta göster: ", language) + row.title;
    return row;
}

QString ZubActionsPresentation::symbolTitle(const QString& symbol, QuorLanguage language)
{
    // What each icon shows, in words a listener knows, rather than the symbol's internal name.
    struct Name {
        const char* symbol;
        const char* en;
        const char* tr;
    };
    static const Name names[] = {
        {"sparkles", "Sparkles", "Parıltı"},
        {"wand.and.stars", "Magic Wand", "Sihirli Değnek"},
        {"bubble.left.and.bubble.right.fill", "Speech Bubbles", "Konuşma Balonları"},
        {"chevron.left.forwardslash.chevron.right", "Code", "Kod"},
        {"envelope.fill", "Envelope", "Zarf"},
        {"list.bullet.rectangle", "List", "Liste"},
        {"checkmark.seal.fill", "Seal of Approval", "Onay Mührü"},
        {"bolt.fill", "Lightning Bolt", "Şimşek"},
    };
    for (const Name& name : names) {
        if (symbol == QLatin1String(name.symbol)) {
            return t("Icon: ", "Simge: ", language) + t(name.en, name.tr, language);
        }
    }
    return t("Icon: ", "Simge: ", language) + QString(symbol).replace(QLatin1Char('.'), QLatin1Char(' '));
}

void ZubActionsPresentation::makeRows(qsizetype first, qsizetype count, QuorLanguage language, const QColor& accent)
{
    const qsizetype total = sortedActions.size();
    first = std::clamp<qsizetype>(first, 0, total);
    const qsizetype end = count >= total - first ? total : first + count;
    QList<Row> made;
    made.reserve(end - first);
    for (qsizetype i = first; i < end; ++i) {
        const qsizetype before = i - firstRow;
        made.append(before >= 0 && before < rows.size() ? rows[before] : row(sortedActions[i], i, total, language, accent));
    }
    rows = std::move(made);
    firstRow = first;
}

ZubActionsPresentation ZubActionsPresentation::make(const ZubConfig& config, QuorLanguage language,
                                                    const CustomAIActionFormState& form, const QColor& accent,
                                                    qsizetype firstRow, qsizetype rowCount)
{
    ZubActionsPresentation p;
    p.orderTitle = t("Floating Bar Actions", "Yüzen Çubuk Aksiyonları", language);
    p.orderSubtitle = t("Toggle actions on/off and adjust their left-to-right order in the floating pill bar.",
                        "Aksiyonları açıp kapatın ve yüzen çubuktaki soldan sağa sırasını ayarlayın.", language);
    p.resetTitle = t("Reset Defaults", "Varsayılana Dön", language);
    p.sortedActions = config.sortedActions();
    p.makeRows(firstRow, rowCount, language, accent);

    p.creatorTitle = t("Create Custom AI Prompt Action", "Özel AI Prompt Aksiyonu Oluştur", language);
    p.creatorSubtitle = t("Add your own reusable one-click prompt button (e.g. 'Polite Slack Reply', 'Explain Regex', "
                          "'Extract Action Items').",
                          "Tek tıkla çalışan özel prompt butonları ekleyin (örn. 'Nazik E-posta', 'Regex Açıkla', "
                          "'Aksiyon Maddesi Çıkar').",
                          language);
    p.titleENPlaceholder = t("English Title (e.g. Slack Reply)", "İngilizce Başlık", language);
    p.titleTRPlaceholder = t("Turkish Title (e.g. Slack Yanıtı)", "Türkçe Başlık", language);
    p.iconLabel = t("Icon:", "İkon:", language);
    p.symbols = symbolChoices(form.symbol);
    p.promptPlaceholder = t("System prompt instruction (e.g. Rewrite as a concise, friendly Slack reply keeping key "
                            "dates.)",
                            "Sistem prompt talimatı (örn. Metni kısa, nazik ve profesyonel bir e-posta yanıtına "
                            "dönüştür.)",
                            language);
    p.showsPromptPlaceholder = showsPlaceholder(form);
    p.addTitle = t("Add Custom Action", "Özel Aksiyon Ekle", language);
    return p;
}

ZubActionsPresentation ZubActionsPresentation::make(const ZubStudioModel& model, const CustomAIActionFormState& form,
                                                    const QColor& accent)
{
    return make(model.config(), model.language(), form, accent);
}
