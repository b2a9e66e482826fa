#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorGlassScrollArea.h"
#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {
// A button that shows its title in a label, as many of the studio's do.
class LabelButton : public QAbstractButton {
public:
    explicit LabelButton(const QString& title, QWidget* parent) : QAbstractButton(parent)
    {
        setFocusPolicy(Qt::NoFocus);
        (new QHBoxLayout(this))->addWidget(new QLabel(title, this));
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {}
};

QString accessibleText(QWidget* widget, QAccessible::Text text)
{
    return QAccessible::queryAccessibleInterface(widget)->text(text);
}

QuorStyledButton* styled(const QString& title, QWidget* parent)
{
    auto* button = new QuorStyledButton(title, QString(), QuorGlassButtonStyle{false}, parent);
    button->setObjectName(title);
    return button;
}

void showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// A key as the keyboard sends it: to whatever has the focus.
void press(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}
} // namespace

class TestQuorKeyboardAccess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QuorKeyboardAccess::install(); }

    // Names come from what a button shows: its title, the labels it holds, else its tooltip.
    void buttonsAreNamedLikeTheyLook()
    {
        QWidget window;
        auto* labelled = new LabelButton(QStringLiteral("History (3)"), &window);
        auto* iconOnly = new LabelButton(QString(), &window);
        iconOnly->setToolTip(QStringLiteral("Delete"));
        QCOMPARE(accessibleText(labelled, QAccessible::Name), QStringLiteral("History (3)"));
        QCOMPARE(accessibleText(iconOnly, QAccessible::Name), QStringLiteral("Delete"));
        QCOMPARE(accessibleText(iconOnly, QAccessible::Description), QString());
    }

    void tabReachesButtonsAndEnterPressesThem()
    {
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* field = new QLineEdit(&window);
        auto* first = new LabelButton(QStringLiteral("First"), &window);
        auto* second = new LabelButton(QStringLiteral("Second"), &window);
        layout->addWidget(field);
        layout->addWidget(first);
        layout->addWidget(second);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(first->focusPolicy(), Qt::TabFocus);

        field->setFocus();
        QVERIFY(QuorKeyboardAccess::instance()->ringTarget() == nullptr);
        QTest::keyClick(field, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), first);
        QCOMPARE(QuorKeyboardAccess::instance()->ringTarget(), first);

        QSignalSpy clicked(first, &QAbstractButton::clicked);
        QTest::keyClick(first, Qt::Key_Return);
        QUOR_TRY_COMPARE(clicked.count(), 1);
        QTest::keyClick(first, Qt::Key_Space);
        QCOMPARE(clicked.count(), 2);

        // A click leaves the focus where it was and puts the ring away.
        QTest::mouseClick(second, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), first);
        QVERIFY(QuorKeyboardAccess::instance()->ringTarget() == nullptr);
    }

    // Names read as they show; a choice among others says which it is and whether it is the chosen one.
    void namesAndChoices()
    {
        QCOMPARE(QuorAccessibleButton::withoutMnemonic(QStringLiteral("Feature & Improvement")),
                 QStringLiteral("Feature & Improvement"));
        QCOMPARE(QuorAccessibleButton::withoutMnemonic(QStringLiteral("&Open && Save")), QStringLiteral("Open & Save"));

        QWidget window;
        auto* tab = new LabelButton(QStringLiteral("History (3)"), &window);
        auto* segment = new LabelButton(QStringLiteral("WARN+"), &window);
        QuorAccessibleButton::setChoice(tab, QAccessible::PageTab, true);
        QuorAccessibleButton::setChoice(segment, QAccessible::RadioButton, false);
        QAccessibleInterface* tabAccess = QAccessible::queryAccessibleInterface(tab);
        QAccessibleInterface* segmentAccess = QAccessible::queryAccessibleInterface(segment);
        QCOMPARE(tabAccess->role(), QAccessible::PageTab);
        QVERIFY(tabAccess->state().selectable && tabAccess->state().selected);
        QCOMPARE(segmentAccess->role(), QAccessible::RadioButton);
        QVERIFY(segmentAccess->state().checkable && !segmentAccess->state().checked);
        QuorAccessibleButton::setChoice(segment, QAccessible::RadioButton, true);
        QVERIFY(segmentAccess->state().checked);
    }

    // A control that turns busy while it has the focus keeps it: a second Space presses nothing
    // else, and Tab goes on from it. One that goes away hands the focus to the control that opened it.
    void busyControlsKeepTheFocus()
    {
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* opener = styled(QStringLiteral("Open"), &window);
        auto* busy = styled(QStringLiteral("Refresh"), &window);
        auto* neighbour = styled(QStringLiteral("Sign Out"), &window);
        for (QuorStyledButton* button : {opener, busy, neighbour}) {
            QuorKeyboardReach::enable(button, Qt::TabFocus);
            layout->addWidget(button);
        }
        connect(busy, &QAbstractButton::clicked, busy, [busy] { busy->setEnabled(false); });
        QSignalSpy neighbourPressed(neighbour, &QAbstractButton::clicked);
        showActive(window);
        busy->setFocus(Qt::TabFocusReason);

        press(Qt::Key_Space);
        QVERIFY(!busy->isEnabled());
        QCOMPARE(QApplication::focusWidget(), busy);
        press(Qt::Key_Space);
        QCOMPARE(neighbourPressed.count(), 0);
        busy->setEnabled(true);
        QCOMPARE(QApplication::focusWidget(), busy);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), neighbour);

        QuorKeyboardReach::handFocus(neighbour, opener);
        neighbour->hide();
        QCOMPARE(QApplication::focusWidget(), opener);
    }

    // Tab meets controls where the layouts put them, also those built after the window, and
    // scrolls each into view; Return in a field presses its one button.
    void tabFollowsTheLayoutAndScrolls()
    {
        QWidget window;
        auto* outer = new QVBoxLayout(&window);
        auto* field = new QLineEdit(&window);
        outer->addWidget(field);
        auto* content = new QWidget;
        auto* column = new QVBoxLayout(content);
        for (int i = 0; i < 30; ++i) {
            column->addWidget(styled(QStringLiteral("row %1").arg(i), content));
        }
        QScrollArea* area = quorGlassScrollArea(content, Qt::Vertical, true, &window);
        area->setFixedHeight(120);
        outer->addWidget(area);
        auto* submit = styled(QStringLiteral("Save"), &window);
        outer->addWidget(submit);
        // Built last, placed first in the list.
        auto* late = styled(QStringLiteral("late"), content);
        column->insertWidget(0, late);
        window.resize(300, 240);
        showActive(window);
        QCOMPARE(area->focusPolicy(), Qt::NoFocus);

        field->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), late);
        for (int i = 0; i < 30; ++i) {
            press(Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("row 29"));
        QVERIFY(area->verticalScrollBar()->value() > 0);
        const QWidget* last = QApplication::focusWidget();
        QVERIFY(area->viewport()->rect().contains(QRect(last->mapTo(area->viewport(), QPoint(0, 0)), last->size())));
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), submit);

        QSignalSpy saved(submit, &QAbstractButton::clicked);
        QuorKeyboardReach::submitsOnReturn(field, submit);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(saved.count(), 1);
        submit->setEnabled(false);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(saved.count(), 1);
    }

    // Windows that never take the focus keep their buttons out of any Tab chain.
    void panelsThatNeverTakeFocusAreLeftAlone()
    {
        QWidget panel(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
        panel.setAttribute(Qt::WA_ShowWithoutActivating);
        auto* button = new LabelButton(QStringLiteral("Copy"), &panel);
        panel.show();
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    }
};

QUOR_TEST_MAIN(TestQuorKeyboardAccess)
#include "tst_quorkeyboardaccess.moc"
