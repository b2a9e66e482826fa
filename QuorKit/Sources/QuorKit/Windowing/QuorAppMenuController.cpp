#include "QuorKit/Windowing/QuorAppMenuController.h"

#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Design/QuorUnopenedPageNotice.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorAppVersion.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Windowing/QuorApplicationHiding.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

namespace {

QKeySequence shortcutFor(const QString& key, Qt::KeyboardModifiers modifiers)
{
    if (key.isEmpty()) {
        return {};
    }
    const QKeySequence bare(key.toUpper());
    if (bare.isEmpty()) {
        return {};
    }
    return QKeySequence(QKeyCombination(modifiers, bare[0].key()));
}

// A menu bar lives in one window, but its commands belong to the whole application.
void setShortcut(QAction* item, const QKeySequence& shortcut)
{
    item->setShortcut(shortcut);
    item->setShortcutContext(Qt::ApplicationShortcut);
}

// What a standard command does without an application handler: the focused widget, or the
// nearest of its parents that has the command, performs it.
void sendToFirstResponder(const char* slot)
{
    for (QWidget* widget = QApplication::focusWidget(); widget != nullptr; widget = widget->parentWidget()) {
        const QByteArray signature = QByteArray(slot) + "()";
        if (widget->metaObject()->indexOfMethod(signature.constData()) >= 0) {
            QMetaObject::invokeMethod(widget, slot);
            return;
        }
    }
}

void bringOwnWindowsToFront()
{
    QWidget* active = QApplication::activeWindow();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && QuorApplicationHiding::isDocumentWindow(widget) && widget != active) {
            widget->raise();
        }
    }
    if (active != nullptr) {
        active->raise();
    }
}

void withActiveWindow(const std::function<void(QWidget*)>& perform)
{
    if (QWidget* active = QApplication::activeWindow()) {
        perform(active);
    }
}

} // namespace

QuorAppMenuController::QuorAppMenuController(const QString& appName, std::function<QuorLanguage()> language,
                                             std::function<QString()> settingsTitle,
                                             std::function<void()> onOpenSettings,
                                             const QList<QuorMenuElement>& fileMenuItems,
                                             const std::optional<QuorEditMenuOverrides>& editOverrides,
                                             const QList<QuorCustomMenu>& customMenus,
                                             const QString& closeWindowKeyEquivalent,
                                             Qt::KeyboardModifiers closeWindowModifiers, QObject* parent)
    : QObject(parent), m_language(std::move(language)), m_mainMenu(new QMenuBar),
      m_hiding(new QuorApplicationHiding(this))
{
    // Each chord is checked against its item just before the shortcut would fire.
    qApp->installEventFilter(this);
    // A window that replaces or deletes the bar deletes every menu and item in it: nothing here may
    // point at them afterwards, nor mistake a new item at a recycled address for one of them.
    connect(m_mainMenu, &QObject::destroyed, this, [this] {
        m_itemBindings.clear();
        m_hiddenChecks.clear();
        m_titleUpdaters.clear();
        m_menuTitleUpdaters.clear();
        m_dynamicSubmenuBuilders.clear();
    });
    m_windowsMenu = makeMenu(bilingualTitle(QStringLiteral("Window"), QStringLiteral("Pencere")));

    QMenu* application = makeMenu({});
    application->setTitle(appName);
    populateApplicationMenu(application, appName, settingsTitle, onOpenSettings);
    m_mainMenu->addMenu(application);

    if (!fileMenuItems.isEmpty()) {
        QMenu* file = makeMenu(bilingualTitle(QStringLiteral("File"), QStringLiteral("Dosya")));
        appendElements(fileMenuItems, file);
        m_mainMenu->addMenu(file);
    }

    QMenu* edit = makeMenu(bilingualTitle(QStringLiteral("Edit"), QStringLiteral("Düzen")));
    populateEditMenu(edit, editOverrides);
    m_mainMenu->addMenu(edit);

    for (const QuorCustomMenu& custom : customMenus) {
        QMenu* menu = makeMenu(custom.title);
        appendElements(custom.elements, menu);
        m_mainMenu->addMenu(menu);
    }

    populateWindowMenu(closeWindowKeyEquivalent, closeWindowModifiers);
    m_mainMenu->addMenu(m_windowsMenu);
}

QuorAppMenuController::~QuorAppMenuController()
{
    qApp->removeEventFilter(this);
    if (m_mainMenu && m_mainMenu->parent() == nullptr) {
        delete m_mainMenu;
    }
}

bool QuorAppMenuController::isTextInputFocused()
{
    const QWidget* focus = QApplication::focusWidget();
    return qobject_cast<const QLineEdit*>(focus) != nullptr || qobject_cast<const QTextEdit*>(focus) != nullptr
           || qobject_cast<const QPlainTextEdit*>(focus) != nullptr;
}

QString QuorAppMenuController::bilingual(const QString& en, const QString& tr) const
{
    return quorText(en, tr, {}, m_language());
}

QuorAppMenuController::TitleFn QuorAppMenuController::bilingualTitle(const QString& en, const QString& tr) const
{
    const QPointer<const QuorAppMenuController> self(this);
    return [self, en, tr] { return self ? self->bilingual(en, tr) : en; };
}

QMenu* QuorAppMenuController::makeMenu(const TitleFn& title)
{
    auto* menu = new QMenu(m_mainMenu);
    if (title) {
        menu->setTitle(title());
        m_menuTitleUpdaters.insert(menu, title);
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { menuNeedsUpdate(menu); });
    connect(menu, &QMenu::aboutToHide, this, [this, menu] { restoreShortcuts(menu); });
    return menu;
}

QAction* QuorAppMenuController::addBoundItem(QMenu* menu, ItemBinding binding, const QString& key,
                                             Qt::KeyboardModifiers modifiers)
{
    QAction* item = menu->addAction(binding.title());
    setShortcut(item, shortcutFor(key, modifiers));
    if (binding.isHidden) {
        item->setVisible(!binding.isHidden());
    }
    connect(item, &QAction::triggered, this, [this, item] { handleMenuAction(item); });
    m_itemBindings.insert(item, std::move(binding));
    return item;
}

QAction* QuorAppMenuController::addSystemItem(QMenu* menu, const TitleFn& title, const QString& key,
                                              Qt::KeyboardModifiers modifiers, const std::function<void()>& perform)
{
    QAction* item = menu->addAction(title());
    setShortcut(item, shortcutFor(key, modifiers));
    connect(item, &QAction::triggered, this, [perform] { perform(); });
    m_titleUpdaters.insert(item, title);
    return item;
}

void QuorAppMenuController::appendElements(const QList<QuorMenuElement>& elements, QMenu* menu)
{
    for (const QuorMenuElement& element : elements) {
        switch (element.kind) {
        case QuorMenuElement::Kind::item:
            addBoundItem(menu,
                         {element.title, element.isEnabled, element.isHidden, element.skipWhenEditingText,
                          element.action},
                         element.keyEquivalent, element.modifiers);
            break;
        case QuorMenuElement::Kind::submenu: {
            QMenu* submenu = makeMenu(element.title);
            m_dynamicSubmenuBuilders.insert(submenu, element.items);
            m_titleUpdaters.insert(submenu->menuAction(), element.title);
            appendElements(element.items ? element.items() : QList<QuorMenuElement>{}, submenu);
            menu->addMenu(submenu);
            break;
        }
        case QuorMenuElement::Kind::divider: {
            QAction* separator = menu->addSeparator();
            if (element.isHidden) {
                separator->setVisible(!element.isHidden());
                m_hiddenChecks.insert(separator, element.isHidden);
            }
            break;
        }
        }
    }
}

void QuorAppMenuController::populateApplicationMenu(QMenu* menu, const QString& appName, const TitleFn& settingsTitle,
                                                    const std::function<void()>& onOpenSettings)
{
    if (onOpenSettings) {
        TitleFn title = settingsTitle ? settingsTitle
                                      : bilingualTitle(QStringLiteral("Settings…"), QStringLiteral("Ayarlar…"));
        addBoundItem(menu, {title, {}, {}, false, onOpenSettings}, QStringLiteral(","), Qt::ControlModifier);
        menu->addSeparator();
    }
    const std::function<QuorLanguage()> language = m_language;
    addBoundItem(menu,
                 {bilingualTitle(QStringLiteral("Send Feedback & Ideas…"), QStringLiteral("Geri Bildirim & Fikir Gönder…")),
                  {},
                  {},
                  false,
                  [appName, language, menu = QPointer<QMenu>(menu)] {
                      const QuorAppVersion version =
                          QuorAppVersion::current(QuorBundle::main(), QStringLiteral("1.0.0"), QStringLiteral("100"));
                      const QuorLanguage chosen = language();
                      const std::optional<QUrl> form =
                          QuorFeedbackService::webFeedbackURL(appName, version, QuorFeedbackKind::feature, chosen);
                      // The menu has closed by the time the browser answers: the notice comes under the pointer.
                      QuorFeedbackService::openInBrowser(appName, version, QuorFeedbackKind::feature, chosen,
                                                         std::nullopt, menu, [menu, chosen, form](bool opened) {
                                                             if (!opened && form && menu) {
                                                                 QuorUnopenedPageNotice::popUp(*form, chosen, menu);
                                                             }
                                                         });
                  }},
                 {}, Qt::NoModifier);
    menu->addSeparator();
    addSystemItem(menu, bilingualTitle(QStringLiteral("Hide ") + appName, appName + QStringLiteral(" Uygulamasını Gizle")),
                  QStringLiteral("h"), Qt::ControlModifier, [hiding = m_hiding] { hiding->hide(); });
    addSystemItem(menu, bilingualTitle(QStringLiteral("Hide Others"), QStringLiteral("Diğerlerini Gizle")),
                  QStringLiteral("h"), Qt::ControlModifier | Qt::AltModifier,
                  [hiding = m_hiding] { hiding->hideOthers(); });
    addSystemItem(menu, bilingualTitle(QStringLiteral("Show All"), QStringLiteral("Tümünü Göster")), {}, Qt::NoModifier,
                  [hiding = m_hiding] { hiding->showAll(); });
    menu->addSeparator();
    addSystemItem(menu, bilingualTitle(QStringLiteral("Quit ") + appName, appName + QStringLiteral(" Uygulamasından Çık")),
                  QStringLiteral("q"), Qt::ControlModifier, [] { QCoreApplication::quit(); });
}

void QuorAppMenuController::populateEditMenu(QMenu* menu, const std::optional<QuorEditMenuOverrides>& overrides)
{
    struct Row {
        const char* en;
        const char* tr;
        const char* key;
        Qt::KeyboardModifiers modifiers;
        const char* slot; // the standard command; none for Duplicate
        std::function<void()> handler;
        std::function<bool()> can;
        bool separatorAfter = false;
    };
    const QuorEditMenuOverrides handlers = overrides.value_or(QuorEditMenuOverrides{});
    const Qt::KeyboardModifiers command = Qt::ControlModifier;
    const QList<Row> rows{
        {"Undo", "Geri Al", "z", command, "undo", handlers.undo, handlers.canUndo},
        {"Redo", "Yinele", "z", command | Qt::ShiftModifier, "redo", handlers.redo, handlers.canRedo, true},
        {"Cut", "Kes", "x", command, "cut", handlers.cut, {}},
        {"Copy", "Kopyala", "c", command, "copy", handlers.copy, {}},
        {"Paste", "Yapıştır", "v", command, "paste", handlers.paste, {}},
        {"Duplicate", "Çoğalt", "d", command, nullptr, handlers.duplicate, {}},
        {"Select All", "Tümünü Seç", "a", command, "selectAll", handlers.selectAll, {}},
    };
    for (const Row& row : rows) {
        const TitleFn title = bilingualTitle(QString::fromUtf8(row.en), QString::fromUtf8(row.tr));
        const QString key = QString::fromLatin1(row.key);
        const char* slot = row.slot;
        if (row.handler && slot == nullptr) {
            addBoundItem(menu, {title, {}, {}, false, row.handler}, key, row.modifiers);
        } else if (row.handler) {
            // Text editing keeps the standard command whatever the application replaces.
            const std::function<void()> handler = row.handler;
            std::function<bool()> isEnabled;
            if (qstrcmp(slot, "undo") == 0 || qstrcmp(slot, "redo") == 0) {
                const std::function<bool()> can = row.can;
                isEnabled = [can] { return isTextInputFocused() || !can || can(); };
            }
            addBoundItem(menu,
                         {title, isEnabled, {}, false,
                          [slot, handler] {
                              if (isTextInputFocused()) {
                                  sendToFirstResponder(slot);
                              } else {
                                  handler();
                              }
                          }},
                         key, row.modifiers);
        } else if (slot != nullptr) {
            addSystemItem(menu, title, key, row.modifiers, [slot] { sendToFirstResponder(slot); });
        }
        if (row.separatorAfter) {
            menu->addSeparator();
        }
    }
}

void QuorAppMenuController::populateWindowMenu(const QString& closeKey, Qt::KeyboardModifiers closeModifiers)
{
    addSystemItem(m_windowsMenu, bilingualTitle(QStringLiteral("Minimize"), QStringLiteral("Küçült")),
                  QStringLiteral("m"), Qt::ControlModifier,
                  [] { withActiveWindow([](QWidget* window) { window->showMinimized(); }); });
    addSystemItem(m_windowsMenu, bilingualTitle(QStringLiteral("Close Window"), QStringLiteral("Pencereyi Kapat")),
                  closeKey, closeModifiers, [] { withActiveWindow([](QWidget* window) { window->close(); }); });
    m_windowsMenu->addSeparator();
    addSystemItem(m_windowsMenu, bilingualTitle(QStringLiteral("Bring All to Front"), QStringLiteral("Tümünü Öne Getir")),
                  {}, Qt::NoModifier, bringOwnWindowsToFront);
}

bool QuorAppMenuController::validateMenuItem(QAction* item)
{
    const auto found = m_itemBindings.constFind(item);
    if (found == m_itemBindings.constEnd()) {
        return true;
    }
    const ItemBinding& binding = *found;
    item->setText(binding.title());
    item->setVisible(!(binding.isHidden && binding.isHidden()));
    return isAllowed(binding);
}

bool QuorAppMenuController::isAllowed(const ItemBinding& binding)
{
    if ((binding.isHidden && binding.isHidden()) || (binding.skipWhenEditingText && isTextInputFocused())) {
        return false;
    }
    return !binding.isEnabled || binding.isEnabled();
}

void QuorAppMenuController::menuNeedsUpdate(QMenu* menu)
{
    if (const auto title = m_menuTitleUpdaters.constFind(menu); title != m_menuTitleUpdaters.constEnd()) {
        menu->setTitle((*title)());
    }
    if (const auto builder = m_dynamicSubmenuBuilders.constFind(menu); builder != m_dynamicSubmenuBuilders.constEnd()) {
        const auto build = *builder;
        unregisterBindings(menu);
        menu->clear();
        appendElements(build ? build() : QList<QuorMenuElement>{}, menu);
        return;
    }
    for (QAction* item : menu->actions()) {
        if (m_itemBindings.contains(item)) {
            item->setEnabled(validateMenuItem(item));
            continue;
        }
        if (const auto title = m_titleUpdaters.constFind(item); title != m_titleUpdaters.constEnd()) {
            item->setText((*title)());
        }
        if (const auto hidden = m_hiddenChecks.constFind(item); hidden != m_hiddenChecks.constEnd()) {
            item->setVisible(!(*hidden)());
        }
    }
}

bool QuorAppMenuController::eventFilter(QObject* watched, QEvent* event)
{
    // A shortcut override comes before the shortcut itself: an item that may not act now is
    // disabled in time for its chord to reach the focused widget as an ordinary key press.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const QKeySequence pressed(QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
        for (auto binding = m_itemBindings.constBegin(); binding != m_itemBindings.constEnd(); ++binding) {
            if (binding.key()->shortcut() == pressed) {
                binding.key()->setEnabled(isAllowed(binding.value()));
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void QuorAppMenuController::restoreShortcuts(QMenu* menu)
{
    // Closed menus keep every bound shortcut live: the chord's own check (eventFilter()) disables an
    // item that may not act, and handleMenuAction() checks it again when it fires.
    for (QAction* item : menu->actions()) {
        if (m_itemBindings.contains(item)) {
            item->setVisible(true);
            item->setEnabled(true);
        }
    }
}

void QuorAppMenuController::unregisterBindings(QMenu* menu)
{
    for (QAction* item : menu->actions()) {
        m_itemBindings.remove(item);
        m_hiddenChecks.remove(item);
        m_titleUpdaters.remove(item);
        if (QMenu* submenu = item->menu()) {
            unregisterBindings(submenu);
            m_menuTitleUpdaters.remove(submenu);
            m_dynamicSubmenuBuilders.remove(submenu);
            submenu->deleteLater();
        }
    }
}

void QuorAppMenuController::handleMenuAction(QAction* item)
{
    const auto found = m_itemBindings.constFind(item);
    if (found == m_itemBindings.constEnd()) {
        return;
    }
    // A shortcut fires while its menu is closed: the item is checked now, as when the menu opens.
    const ItemBinding binding = *found;
    if (isAllowed(binding) && binding.action) {
        binding.action();
    }
}
