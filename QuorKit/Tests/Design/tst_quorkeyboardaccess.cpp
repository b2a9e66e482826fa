#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "QuorKit/Design/QuorMenuPicker.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "Support/QuorTestSupport.h"

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

    void buttonsAreNamedLikeTheyLook()
    {
        QWidget window;
        auto* titled = new QuorStyledButton(QStringLiteral("Reset Defaults"), QString(), QuorGlassButtonStyle{false}, &window);
        auto* labelled = new LabelButton(QStringLiteral("History (3)"), &window);
        auto* iconOnly = new LabelButton(QString(), &window);
        iconOnly->setToolTip(QStringLiteral("Delete"));
        auto* toggle = new LabelButton(QString(), &window);
        toggle->setCheckable(true);
        toggle->setChecked(true);
        auto* picker = new QuorMenuPicker(&window);
        picker->setItems({{QStringLiteral("German"), false}});
        picker->setCurrentIndex(0);

        QCOMPARE(accessibleText(titled, QAccessible::Name), QStringLiteral("Reset Defaults"));
        QCOMPARE(accessibleText(labelled, QAccessible::Name), QStringLiteral("History (3)"));
        QCOMPARE(accessibleText(iconOnly, QAccessible::Name), QStringLiteral("Delete"));
        QCOMPARE(accessibleText(iconOnly, QAccessible::Description), QString());
        QAccessibleInterface* toggleInterface = QAccessible::queryAccessibleInterface(toggle);
        QCOMPARE(toggleInterface->role(), QAccessible::CheckBox);
        QVERIFY(toggleInterface->state().checked);
        QCOMPARE(QAccessible::queryAccessibleInterface(picker)->role(), QAccessible::ComboBox);
        QCOMPARE(accessibleText(picker, QAccessible::Name), QStringLiteral("German"));

        // A screen reader's press is a click.
        QSignalSpy clicked(labelled, &QAbstractButton::clicked);
        QAccessibleInterface* pressable = QAccessible::queryAccessibleInterface(labelled);
        QVERIFY(pressable->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
        pressable->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicked.count(), 1);
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
        QTRY_COMPARE(clicked.count(), 1);
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
