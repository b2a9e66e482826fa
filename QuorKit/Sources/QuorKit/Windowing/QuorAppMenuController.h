#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Windowing/QuorCustomMenu.h"
#include "QuorKit/Windowing/QuorEditMenuOverrides.h"
#include "QuorKit/Windowing/QuorMenuElement.h"

#include <QHash>
#include <QList>
#include <QMenuBar>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QuorApplicationHiding;

// Builds an application's whole menu bar (application, File, Edit, custom and Window menus) in the
// interface language and keeps every title in the language in force each time a menu opens,
// without rebuilding the bar. Shortcuts work in every window of the application while the menus
// are closed; an item that may not act when its chord is pressed (disabled, hidden, or skipping
// while text is edited) lets the chord through to the focused widget. Place mainMenu() in the
// main window. GUI thread only.
class QuorAppMenuController : public QObject {
    Q_OBJECT
public:
    struct ItemBinding {
        std::function<QString()> title;
        std::function<bool()> isEnabled;
        std::function<bool()> isHidden;
        bool skipWhenEditingText = false;
        std::function<void()> action;
    };

    QuorAppMenuController(const QString& appName, std::function<QuorLanguage()> language,
                          std::function<QString()> settingsTitle, std::function<void()> onOpenSettings,
                          const QList<QuorMenuElement>& fileMenuItems,
                          const std::optional<QuorEditMenuOverrides>& editOverrides,
                          const QList<QuorCustomMenu>& customMenus, const QString& closeWindowKeyEquivalent,
                          Qt::KeyboardModifiers closeWindowModifiers, QObject* parent = nullptr);
    ~QuorAppMenuController() override;

    // Owned by this controller until a window takes it (QMainWindow::setMenuBar); nullptr once that
    // window has deleted it.
    QMenuBar* mainMenu() const { return m_mainMenu; }
    QMenu* windowsMenu() const { return m_windowsMenu; }

    // Whether the focused widget is a text field or text editor.
    static bool isTextInputFocused();

    // Refreshes one item's title and hidden state; false when it must not act now.
    bool validateMenuItem(QAction* item);
    // Refreshes a menu about to open: its title, its items, or the whole of a dynamic submenu.
    void menuNeedsUpdate(QMenu* menu);

    // How many items carry a binding (they come and go with dynamic submenus).
    qsizetype bindingCount() const { return m_itemBindings.size(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using TitleFn = std::function<QString()>;

    QString bilingual(const QString& en, const QString& tr) const;
    TitleFn bilingualTitle(const QString& en, const QString& tr) const;
    QMenu* makeMenu(const TitleFn& title);
    QAction* addBoundItem(QMenu* menu, ItemBinding binding, const QString& key, Qt::KeyboardModifiers modifiers);
    QAction* addSystemItem(QMenu* menu, const TitleFn& title, const QString& key, Qt::KeyboardModifiers modifiers,
                           const std::function<void()>& perform);
    void appendElements(const QList<QuorMenuElement>& elements, QMenu* menu);
    void populateApplicationMenu(QMenu* menu, const QString& appName, const TitleFn& settingsTitle,
                                 const std::function<void()>& onOpenSettings);
    void populateEditMenu(QMenu* menu, const std::optional<QuorEditMenuOverrides>& overrides);
    void populateWindowMenu(const QString& closeKey, Qt::KeyboardModifiers closeModifiers);
    void unregisterBindings(QMenu* menu);
    void handleMenuAction(QAction* item);
    // Hidden items, and skipping items while text is edited, are disabled; else isEnabled().
    static bool isAllowed(const ItemBinding& binding);
    void restoreShortcuts(QMenu* menu);

    std::function<QuorLanguage()> m_language;
    QPointer<QMenuBar> m_mainMenu;
    QPointer<QMenu> m_windowsMenu;
    QuorApplicationHiding* m_hiding;
    QHash<QAction*, ItemBinding> m_itemBindings;
    QHash<QAction*, std::function<bool()>> m_hiddenChecks;
    QHash<QAction*, TitleFn> m_titleUpdaters;
    QHash<QMenu*, TitleFn> m_menuTitleUpdaters;
    QHash<QMenu*, std::function<QList<QuorMenuElement>()>> m_dynamicSubmenuBuilders;
};
