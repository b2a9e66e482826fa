#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
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
