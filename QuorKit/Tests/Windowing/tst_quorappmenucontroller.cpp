#include "QuorKit/Windowing/QuorAppMenuController.h"

#include "QuorKit/Cloud/QuorBrowserHandOff.h"

#include "Support/QuorTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A focused widget that keeps the letter keys it was given (a chord's modifiers come on their own).
class KeyRecorder : public QWidget {
public:
    KeyRecorder() { setFocusPolicy(Qt::StrongFocus); }
    QList<QKeyCombination> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) {
            keys.append(event->keyCombination());
        }
    }
};

QMenu* menuTitled(QMenuBar* bar, int position)
{
    return bar->actions().at(position)->menu();
}

QAction* itemTitled(QMenu* menu, const QString& title)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == title) {
            return action;
        }
    }
    return nullptr;
}

// Opens and closes the menu as the user would, so it refreshes itself.
void open(QMenu* menu)
{
    menu->popup(QPoint(0, 0));
    menu->hide();
}

QStringList titles(QMenu* menu)
{
    QStringList list;
    for (const QAction* action : menu->actions()) {
        list.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return list;
}

} // namespace

class TestQuorAppMenuController : public QObject {
    Q_OBJECT

private:
    QuorLanguage m_language = QuorLanguage::en;
    int m_copies = 0;
    int m_saves = 0;
    bool m_editing = false;
    bool m_saveAllowed = true;

    std::unique_ptr<QuorAppMenuController> makeController()
    {
        const QList<QuorMenuElement> file{
            QuorMenuElement::item([] { return QStringLiteral("Save"); }, QStringLiteral("s"), Qt::ControlModifier,
                                  [this] { return m_saveAllowed; }, {}, true, [this] { ++m_saves; }),
            QuorMenuElement::divider([] { return true; }),
            QuorMenuElement::item([] { return QStringLiteral("Secret"); }, {}, Qt::NoModifier, {},
                                  [] { return true; }, false, [] {}),
        };
        QuorEditMenuOverrides overrides;
        overrides.copy = [this] { ++m_copies; };
        return std::make_unique<QuorAppMenuController>(
            QStringLiteral("Quor Notes"), [this] { return m_language; }, nullptr, nullptr, file, overrides,
            QList<QuorCustomMenu>{QuorCustomMenu(QStringLiteral("View"), {})}, QStringLiteral("w"),
            Qt::ControlModifier | Qt::ShiftModifier);
    }

private slots:
    void init()
    {
        m_language = QuorLanguage::en;
        m_copies = 0;
        m_saves = 0;
        m_saveAllowed = true;
    }

    void buildsTheMenusAndFollowsTheLanguage()
    {
        auto controller = makeController();
        QMenuBar* bar = controller->mainMenu();
        QCOMPARE(bar->actions().size(), 5);
        QMenu* application = menuTitled(bar, 0);
        QCOMPARE(application->title(), QStringLiteral("Quor Notes"));
        // Without settings the Feedback row comes first, with no separator before it.
        QCOMPARE(titles(application), (QStringList{QStringLiteral("Send Feedback & Ideas…"), QStringLiteral("-"),
                                                   QStringLiteral("Hide Quor Notes"), QStringLiteral("Hide Others"),
                                                   QStringLiteral("Show All"), QStringLiteral("-"),
                                                   QStringLiteral("Quit Quor Notes")}));
        QMenu* edit = menuTitled(bar, 2);
        QCOMPARE(titles(edit), (QStringList{QStringLiteral("Undo"), QStringLiteral("Redo"), QStringLiteral("-"),
                                            QStringLiteral("Cut"), QStringLiteral("Copy"), QStringLiteral("Paste"),
                                            QStringLiteral("Select All")}));
        QCOMPARE(itemTitled(edit, QStringLiteral("Redo"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
        QCOMPARE(menuTitled(bar, 3)->title(), QStringLiteral("View"));
        QCOMPARE(controller->windowsMenu(), menuTitled(bar, 4));
        QCOMPARE(itemTitled(controller->windowsMenu(), QStringLiteral("Close Window"))->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+Shift+W")));

        // Hidden items and dividers stay hidden, and hidden items are disabled.
        QMenu* file = menuTitled(bar, 1);
        open(file);
        QVERIFY(!file->actions().at(1)->isVisible());
        QVERIFY(!controller->validateMenuItem(itemTitled(file, QStringLiteral("Secret"))));

        // A new language shows the next time a menu opens, without rebuilding the bar.
        m_language = QuorLanguage::tr;
        QCOMPARE(edit->title(), QStringLiteral("Edit"));
        open(edit);
        QCOMPARE(edit->title(), QStringLiteral("Düzen"));
        QVERIFY(itemTitled(edit, QStringLiteral("Kopyala")) != nullptr);
        open(application);
        QVERIFY(itemTitled(application, QStringLiteral("Quor Notes Uygulamasından Çık")) != nullptr);
        QVERIFY(itemTitled(application, QStringLiteral("Geri Bildirim & Fikir Gönder…")) != nullptr);
        open(controller->windowsMenu());
        QCOMPARE(controller->windowsMenu()->title(), QStringLiteral("Pencere"));
        QCOMPARE(menuTitled(bar, 3)->title(), QStringLiteral("View"));
    }

    void aReplacedBarLeavesNothingBehind()
    {
        auto controller = makeController();
        QMainWindow window;
        window.setMenuBar(controller->mainMenu());
        window.setMenuBar(new QMenuBar); // deletes the bar the controller built
        QTRY_VERIFY(controller->mainMenu() == nullptr);
        QVERIFY(controller->windowsMenu() == nullptr);
        QCOMPARE(controller->bindingCount(), 0);
    }

    void aReplacedCopyLeavesTextEditingAlone()
    {
        auto controller = makeController();
        QMainWindow window;
        auto* central = new QWidget;
        auto* layout = new QVBoxLayout(central);
        auto* field = new QLineEdit(QStringLiteral("hello world"));
        auto* other = new QPushButton(QStringLiteral("Other"));
        layout->addWidget(field);
        layout->addWidget(other);
        window.setCentralWidget(central);
        window.setMenuBar(controller->mainMenu());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QMenu* edit = menuTitled(controller->mainMenu(), 2);
        QMenu* file = menuTitled(controller->mainMenu(), 1);

        field->setFocus();
        field->selectAll();
        QApplication::clipboard()->clear();
        itemTitled(edit, QStringLiteral("Copy"))->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("hello world"));
        QCOMPARE(m_copies, 0);
        field->clear();
        itemTitled(edit, QStringLiteral("Paste"))->trigger();
        QCOMPARE(field->text(), QStringLiteral("hello world"));

        // The keyboard shortcut reaches the field itself.
        field->setSelection(0, 5);
        QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("hello"));
        QCOMPARE(m_copies, 0);

        // An item that skips while text is edited stays quiet, even by its shortcut.
        file->popup(QPoint(0, 0));
        QVERIFY(!itemTitled(file, QStringLiteral("Save"))->isEnabled());
        file->hide();
        QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_saves, 0);

        // Away from text the application's own handler runs, by item and by shortcut.
        other->setFocus();
        QUOR_TRY_VERIFY(!QuorAppMenuController::isTextInputFocused());
        itemTitled(edit, QStringLiteral("Copy"))->trigger();
        QCOMPARE(m_copies, 1);
        QTest::keyClick(other, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(m_copies, 2);
        QTest::keyClick(other, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_saves, 1);
    }

    // The bar lives in the main window, its commands in every window; an item that may not act
    // leaves its chord to the widget the user types into.
    void shortcutsWorkInEveryWindowAndADisabledItemLetsItsChordThrough()
    {
        auto controller = makeController();
        QMainWindow window;
        window.setCentralWidget(new QWidget);
        window.setMenuBar(controller->mainMenu());
        window.setGeometry(40, 40, 400, 200);
        window.show();
        QWidget other;
        auto* layout = new QVBoxLayout(&other);
        auto* recorder = new KeyRecorder;
        layout->addWidget(recorder);
        other.setGeometry(480, 40, 300, 200);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        recorder->setFocus();

        QTest::keyClick(recorder, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_saves, 1);
        QVERIFY(recorder->keys.isEmpty());

        m_saveAllowed = false;
        QTest::keyClick(recorder, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_saves, 1);
        QCOMPARE(recorder->keys, (QList<QKeyCombination>{QKeyCombination(Qt::ControlModifier, Qt::Key_S)}));

        m_saveAllowed = true;
        QTest::keyClick(recorder, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_saves, 2);
        QCOMPARE(recorder->keys.size(), 1);
    }

    // A feedback form the browser could not open is offered to copy, in the menu's language.
    void aFeedbackFormTheBrowserCouldNotOpenIsOfferedToCopy()
    {
        QStringList handed;
        QuorBrowserHandOff::setDefaultOpener([&handed](const QUrl& url) {
            handed.append(url.toString(QUrl::FullyEncoded));
            return false;
        });
        auto controller = makeController();
        m_language = QuorLanguage::tr;
        QMenu* application = menuTitled(controller->mainMenu(), 0);
        itemTitled(application, QStringLiteral("Send Feedback & Ideas…"))->trigger();
        QuorBrowserHandOff::setDefaultOpener({});
        QWidget* popup = nullptr;
        QUOR_TRY_VERIFY((popup = application->findChild<QWidget*>(QStringLiteral("unopenedPagePopup"))) != nullptr
                        && popup->isVisible());
        QCOMPARE(handed.size(), 1);
        QCOMPARE(popup->findChild<QLabel*>(QStringLiteral("unopenedAddress"))->text(), handed.first());
        QCOMPARE(popup->findChild<QLabel*>(QStringLiteral("unopenedMessage"))->text(),
                 QuorBrowserHandOff::failureMessage(QuorLanguage::tr));
        popup->close();
    }

    void languageSubmenu()
    {
        QuorLanguages::setFollowSystem();
        QList<QuorLanguage> chosen;
        const QList<QuorMenuElement> custom{QuorMenuElement::languageSubmenu(
            [] { return QuorLanguages::current(); }, [&chosen](QuorLanguage language) { chosen.append(language); })};
        QuorAppMenuController controller(QStringLiteral("Quor Notes"), [] { return QuorLanguages::current(); }, nullptr,
                                         nullptr, {}, std::nullopt, {QuorCustomMenu(QStringLiteral("Options"), custom)},
                                         {}, Qt::NoModifier);
        QMenu* options = menuTitled(controller.mainMenu(), 2);
        QMenu* languages = options->actions().at(0)->menu();
        QVERIFY(languages != nullptr);
        const qsizetype bindings = controller.bindingCount();
        open(languages);
        QCOMPARE(controller.bindingCount(), bindings); // rebuilt, not piled up

        // Following the system: only the first row is ticked.
        QStringList rows = titles(languages);
        QCOMPARE(rows.size(), 2 + static_cast<int>(QuorLanguages::sortedCases().size()));
        QVERIFY(rows.first().startsWith(QStringLiteral("\u2713 ")));
        QCOMPARE(rows.filter(QStringLiteral("\u2713 ")).size(), 1);

        itemTitled(languages, QuorLanguages::displayName(QuorLanguage::tr))->trigger();
        QCOMPARE(chosen, QList<QuorLanguage>{QuorLanguage::tr});
        QVERIFY(!QuorLanguages::isFollowingSystem());
        open(languages);
        rows = titles(languages);
        QVERIFY(!rows.first().startsWith(QStringLiteral("\u2713 ")));
        QVERIFY(rows.contains(QStringLiteral("\u2713 ") + QuorLanguages::displayName(QuorLanguage::tr)));
        QCOMPARE(languages->title(), QStringLiteral("Dil"));

        // Back to the system: the choice is stored as "system" and the language it gives is reported.
        languages->actions().at(0)->trigger();
        QVERIFY(QuorLanguages::isFollowingSystem());
        QCOMPARE(chosen.last(), QuorLanguages::systemResolved());
    }
};

QUOR_TEST_MAIN(TestQuorAppMenuController)
#include "tst_quorappmenucontroller.moc"
