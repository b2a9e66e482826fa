#include "QuorKit/Windowing/QuorMenuElement.h"

#include "QuorKit/Localization/QuorLocalization.h"

namespace {
const QString checkMark = QStringLiteral("\u2713 ");

QString systemRowTitle(QuorLanguage current)
{
    const QString prefix = QuorLanguages::isFollowingSystem() ? checkMark : QString();
    return prefix + quorText(QStringLiteral("System Language"), QStringLiteral("Sistem Dili"), {}, current)
           + QStringLiteral(" (") + QuorLanguages::nativeName(QuorLanguages::systemResolved()) + QLatin1Char(')');
}

QString languageRowTitle(QuorLanguage language, QuorLanguage current)
{
    const bool checked = language == current && !QuorLanguages::isFollowingSystem();
    return (checked ? checkMark : QString()) + QuorLanguages::displayName(language);
}
} // namespace

QuorMenuElement QuorMenuElement::item(std::function<QString()> title, const QString& keyEquivalent,
                                      Qt::KeyboardModifiers modifiers, std::function<bool()> isEnabled,
                                      std::function<bool()> isHidden, bool skipWhenEditingText,
                                      std::function<void()> action)
{
    QuorMenuElement element;
    element.kind = Kind::item;
    element.title = std::move(title);
    element.keyEquivalent = keyEquivalent;
    element.modifiers = modifiers;
    element.isEnabled = std::move(isEnabled);
    element.isHidden = std::move(isHidden);
    element.skipWhenEditingText = skipWhenEditingText;
    element.action = std::move(action);
    return element;
}

QuorMenuElement QuorMenuElement::divider(std::function<bool()> isHidden)
{
    QuorMenuElement element;
    element.kind = Kind::divider;
    element.isHidden = std::move(isHidden);
    return element;
}

QuorMenuElement QuorMenuElement::submenu(std::function<QString()> title,
                                         std::function<QList<QuorMenuElement>()> items)
{
    QuorMenuElement element;
    element.kind = Kind::submenu;
    element.title = std::move(title);
    element.items = std::move(items);
    return element;
}

QStringList QuorMenuElement::languageRowTitles(QuorLanguage current)
{
    QStringList titles{systemRowTitle(current)};
    for (const QuorLanguage language : QuorLanguages::sortedCases()) {
        titles.append(languageRowTitle(language, current));
    }
    return titles;
}

QuorMenuElement QuorMenuElement::languageSubmenu(std::function<QuorLanguage()> current,
                                                 std::function<void(QuorLanguage)> onSelect)
{
    auto title = [current] {
        return quorText(QStringLiteral("Language"), QStringLiteral("Dil"), {}, current());
    };
    auto items = [current, onSelect] {
        const QuorLanguage now = current();
        QList<QuorMenuElement> rows;
        rows.append(item([now] { return systemRowTitle(now); }, {}, Qt::NoModifier, {}, {}, false, [onSelect] {
            // Reporting the language must not store it over the "system" choice just made.
            QuorLanguages::applyFollowSystem([&onSelect] {
                if (onSelect) {
                    onSelect(QuorLanguages::systemResolved());
                }
            });
        }));
        rows.append(divider());
        for (const QuorLanguage language : QuorLanguages::sortedCases()) {
            rows.append(item([language, now] { return languageRowTitle(language, now); }, {}, Qt::NoModifier, {}, {},
                             false, [language, onSelect] {
                                 QuorLanguages::setCurrent(language);
                                 if (onSelect) {
                                     onSelect(language);
                                 }
                             }));
        }
        return rows;
    };
    return submenu(std::move(title), std::move(items));
}
