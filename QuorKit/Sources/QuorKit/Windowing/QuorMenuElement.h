#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QList>
#include <QString>

#include <functional>

// One entry of a menu built by QuorAppMenuController. Titles are closures, read again each time
// the menu opens, so they follow the interface language. All closures run on the GUI thread.
struct QuorMenuElement {
    enum class Kind { item, divider, submenu };

    Kind kind = Kind::divider;
    std::function<QString()> title;
    // A key such as "n" or ","; empty for none. The modifiers count only with a key.
    QString keyEquivalent;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    // Empty closures: always enabled, never hidden. For a divider, isHidden hides the separator.
    std::function<bool()> isEnabled;
    std::function<bool()> isHidden;
    // Disabled while a text field has the keyboard, so typing owns the item's key.
    bool skipWhenEditingText = false;
    std::function<void()> action;
    // A submenu's entries, built afresh each time it opens.
    std::function<QList<QuorMenuElement>()> items;

    static QuorMenuElement item(std::function<QString()> title, const QString& keyEquivalent,
                                Qt::KeyboardModifiers modifiers, std::function<bool()> isEnabled,
                                std::function<bool()> isHidden, bool skipWhenEditingText, std::function<void()> action);
    static QuorMenuElement divider(std::function<bool()> isHidden = {});
    static QuorMenuElement submenu(std::function<QString()> title, std::function<QList<QuorMenuElement>()> items);

    // "Language" / "Dil": following the system first (with the language it resolves to), then every
    // interface language by English name; "✓ " marks the choice in force. Choosing a row stores it
    // and reports the language now in force to `onSelect`.
    static QuorMenuElement languageSubmenu(std::function<QuorLanguage()> current,
                                           std::function<void(QuorLanguage)> onSelect);
    // The row titles languageSubmenu() shows for the current settings, in order (divider left out).
    static QStringList languageRowTitles(QuorLanguage current);
};
