#include "QuorKit/Windowing/QuorDraggableFloatingPanel.h"
#include "QuorKit/Windowing/QuorFloatingNSPanel.h"
#include "QuorKit/Windowing/QuorFloatingPanelController.h"
#include "QuorKit/Windowing/QuorTearOffDragRegion.h"

#include "OtherClientSupport.h"
#include "Support/QuorPointerWitness.h"
#include "Support/QuorTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QtTest>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xlib.h>

namespace {

// The user time a window announces on mapping (EWMH); 0 asks the window manager not to focus it.
std::optional<qint64> announcedUserTime(unsigned long window)
{
    quor::platform::X11Connection* connection = quor::platform::X11Connection::forCurrentThread();
    const unsigned long holder = connection->windowProperty(window, "_NET_WM_USER_TIME_WINDOW").value_or(window);
    return connection->cardinalProperty(holder, "_NET_WM_USER_TIME");
}

// Who holds the keyboard, as the X server itself says.
unsigned long xInputFocus()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return 0;
    }
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    XCloseDisplay(display);
    return focus;
}

void xdotool(const QStringList& arguments)
{
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), arguments), 0);
    quorSpin(std::chrono::milliseconds(60));
}

void pointerTo(QPoint global)
{
    xdotool({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
}

void button(bool down)
{
    xdotool({down ? QStringLiteral("mousedown") : QStringLiteral("mouseup"), QStringLiteral("1")});
}

// Presses at `from`, moves through `path` and releases at its end, each step once this
// application has received the one before (moves that queue up would be merged).
void drag(QPoint from, const QList<QPoint>& path)
{
    QuorPointerWitness seen;
    pointerTo(from);
    button(true);
    QVERIFY(seen.waitForButton(true));
    for (const QPoint& point : path) {
        pointerTo(point);
        QVERIFY2(seen.waitForEventAt(point), qPrintable(QStringLiteral("no move to %1,%2").arg(point.x()).arg(point.y())));
    }
    button(false);
    QVERIFY(seen.waitForButton(false));
}

} // namespace

class TestQuorFloatingPanels : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> m_sourceApp;
    QLineEdit* m_sourceField = nullptr;

    void waitForSourceFocus()
    {
        m_sourceApp->activateWindow();
        QUOR_TRY_VERIFY(QApplication::activeWindow() == m_sourceApp.get() && m_sourceField->hasFocus());
    }

private slots:
    void initTestCase()
    {
        // The application the user works in: it must keep the keyboard while the panel is up.
        m_sourceApp = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_sourceApp.get());
        m_sourceField = new QLineEdit(QStringLiteral("typing goes here"));
        layout->addWidget(m_sourceField);
        m_sourceApp->setGeometry(40, 40, 360, 90);
        m_sourceApp->show();
        waitForSourceFocus();
    }

    void cleanupTestCase() { m_sourceApp.reset(); }

    void centredPlacement()
    {
        const QRect visible(0, 0, 1200, 800);
        QCOMPARE(QuorFloatingPanelController::centredOrigin(QSize(300, 700), visible), QPoint(450, 10));
        // A tall panel keeps its bottom edge 24 above the frame's, whatever happens to its top.
        QCOMPARE(QuorFloatingPanelController::centredOrigin(QSize(300, 900), visible), QPoint(450, -124));
        QCOMPARE(QuorFloatingPanelController::centredOrigin(QSize(300, 700), visible.translated(100, 50)),
                 QPoint(550, 60));
    }

    void controllerNeverTakesFocusAndDismisses()
    {
        int dismissed = 0;
        QuorFloatingPanelController controller(QSize(320, 160), true, [&dismissed] { ++dismissed; });
        const auto content = [] {
            auto* widget = new QWidget;
            new QLabel(QStringLiteral("Panel"), widget);
            return widget;
        };
        const unsigned long focusBefore = xInputFocus();
        pointerTo(QPoint(600, 400));
        controller.show(true, std::nullopt, content);
        QUOR_TRY_VERIFY(controller.panel()->windowHandle() != nullptr
                                     && controller.panel()->windowHandle()->isExposed());
        const QRect available = QGuiApplication::screenAt(QPoint(600, 400))->availableGeometry();
        QCOMPARE(controller.panel()->pos(), QuorFloatingPanelController::centredOrigin(QSize(320, 160), available));
        QCOMPARE(controller.panel()->size(), QSize(320, 160));
        quorSpin(std::chrono::milliseconds(200));
        QCOMPARE(xInputFocus(), focusBefore);
        QVERIFY(m_sourceField->hasFocus());

        // Escape typed into the application the user works in closes the panel, and only it.
        const QString before = m_sourceField->text();
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QUOR_TRY_VERIFY(!controller.isVisible());
        QCOMPARE(dismissed, 1);
        QCOMPARE(m_sourceField->text(), before);

        // Toggling shows it at the anchor, then hides it; each show builds fresh content.
        controller.toggle(false, QRect(150, 260, 10, 10), content);
        QUOR_TRY_VERIFY(controller.panel()->windowHandle()->isExposed());
        QCOMPARE(controller.panel()->pos(), QPoint(150, 260));
        QUOR_TRY_COMPARE(controller.panel()->findChildren<QLabel*>().size(), 1);
        controller.toggle(false, std::nullopt, content);
        QVERIFY(!controller.isVisible());
        QUOR_TRY_VERIFY(!controller.panel()->windowHandle()->isExposed());
        QCOMPARE(dismissed, 2);

        // A click inside keeps it; a click elsewhere dismisses it.
        controller.show(false, std::nullopt, content);
        QUOR_TRY_VERIFY(controller.panel()->windowHandle()->isExposed());
        pointerTo(controller.panel()->geometry().center());
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
        quorSpin(std::chrono::milliseconds(300));
        QVERIFY(controller.isVisible());
        pointerTo(QPoint(900, 700));
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
        QUOR_TRY_VERIFY(!controller.isVisible());
        QCOMPARE(dismissed, 3);
        waitForSourceFocus();
    }

    // A caller that asks for the keyboard gets it: a field in the panel can be typed into.
    void aControllerAskedForTheKeyboardGetsIt()
    {
        waitForSourceFocus();
        int dismissed = 0;
        QuorFloatingPanelController controller(QSize(300, 120), false, [&dismissed] { ++dismissed; });
        controller.takesKeyboard = true;
        QPointer<QLineEdit> field;
        controller.show(false, QRect(520, 320, 10, 10), [&field] {
            auto* content = new QWidget;
            auto* layout = new QVBoxLayout(content);
            field = new QLineEdit;
            layout->addWidget(field);
            return content;
        });
        QUOR_TRY_VERIFY(controller.panel()->isActiveWindow() && field && field->hasFocus());
        xdotool({QStringLiteral("type"), QStringLiteral("ok")});
        QUOR_TRY_COMPARE(field->text(), QStringLiteral("ok"));
        QVERIFY(m_sourceField->text() != QStringLiteral("ok"));
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QUOR_TRY_VERIFY(!controller.isVisible());
        QCOMPARE(dismissed, 1);
        waitForSourceFocus();
    }

    void escapeIsThePanelsOnlyWhileItIsTheCurrentWindow()
    {
        OtherClient other;
        QVERIFY(other.waitUntilReady());
        waitForSourceFocus();
        int dismissed = 0;
        QuorFloatingPanelController controller(QSize(240, 120), false, [&dismissed] { ++dismissed; });
        controller.show(false, QRect(600, 500, 10, 10), [] { return new QLabel(QStringLiteral("Stays")); });
        QUOR_TRY_VERIFY(controller.panel()->windowHandle()->isExposed());
        QVERIFY(controller.isMonitoring());

        // A popup and a dialog of this application close on their own Escape; the panel stays.
        QMenu menu;
        menu.addAction(QStringLiteral("Item"));
        menu.popup(m_sourceApp->mapToGlobal(QPoint(20, 20)));
        QUOR_TRY_VERIFY(QApplication::activePopupWidget() == &menu);
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QUOR_TRY_VERIFY(!menu.isVisible());
        QDialog dialog(m_sourceApp.get());
        dialog.setGeometry(60, 200, 200, 100);
        dialog.show();
        QUOR_TRY_VERIFY(dialog.isActiveWindow());
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QUOR_TRY_VERIFY(!dialog.isVisible());
        QVERIFY(controller.isVisible());

        // Once the user clicks into another application, a panel asked to stay leaves that
        // application its Escape; a click back into the panel makes it the current window again.
        const QPoint elsewhere(1500, 900);
        pointerTo(elsewhere);
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
        QUOR_TRY_VERIFY(!controller.isKey());
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        quorSpin(std::chrono::milliseconds(300));
        QVERIFY(controller.isVisible());
        pointerTo(controller.panel()->geometry().center());
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
        QUOR_TRY_VERIFY(controller.isKey());
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QUOR_TRY_VERIFY(!controller.isVisible());
        QCOMPARE(dismissed, 1);
        QVERIFY(!controller.isMonitoring());
        waitForSourceFocus();
    }

    void outsideClicksScaleByTheScreenTheyLandOn()
    {
        using Scale = QuorFloatingPanelController::ScreenScale;
        const auto logical = &QuorFloatingPanelController::logicalPosition;
        const QList<Scale> secondScaled{{QRect(0, 0, 1920, 1080), 1.0}, {QRect(1920, 0, 1280, 720), 2.0}};
        QCOMPARE(logical(QPointF(100, 100), secondScaled), QPointF(100, 100));
        QCOMPARE(logical(QPointF(1920 + 1000, 600), secondScaled), QPointF(1920 + 500, 300));
        const QList<Scale> firstScaled{{QRect(0, 0, 960, 540), 2.0}, {QRect(1920, 0, 1920, 1080), 1.0}};
        QCOMPARE(logical(QPointF(1000, 500), firstScaled), QPointF(500, 250));
        QCOMPARE(logical(QPointF(2000, 100), firstScaled), QPointF(2000, 100));
    }

    void draggablePanelTakesTheKeyboardOnlyForItsFields()
    {
        waitForSourceFocus();
        QuorDraggableFloatingPanel panel;
        auto* layout = new QVBoxLayout(&panel);
        auto* field = new QLineEdit;
        layout->addWidget(new QLabel(QStringLiteral("Note")));
        layout->addWidget(field);
        panel.setGeometry(500, 300, 300, 120);
        const unsigned long focusBefore = xInputFocus();
        panel.show();
        QUOR_TRY_VERIFY(panel.windowHandle()->isExposed());
        quorSpin(std::chrono::milliseconds(300));
        QCOMPARE(announcedUserTime(panel.winId()), std::optional<qint64>(0));
        QCOMPARE(xInputFocus(), focusBefore);
        QVERIFY(m_sourceField->hasFocus());

        pointerTo(field->mapToGlobal(field->rect().center()));
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
        QUOR_TRY_VERIFY(panel.isActiveWindow() && field->hasFocus());
        xdotool({QStringLiteral("type"), QStringLiteral("ok")});
        QUOR_TRY_COMPARE(field->text(), QStringLiteral("ok"));
        panel.hide();
        waitForSourceFocus();
    }

    void draggablePanelMovesByItsBackgroundOnly()
    {
        QuorDraggableFloatingPanel panel;
        auto* layout = new QVBoxLayout(&panel);
        layout->setContentsMargins(20, 60, 20, 20);
        auto* field = new QLineEdit(QStringLiteral("select these words"));
        auto* press = new QPushButton(QStringLiteral("Press"));
        layout->addWidget(field);
        layout->addWidget(press);
        int clicks = 0;
        connect(press, &QPushButton::clicked, this, [&clicks] { ++clicks; });
        QList<QRect> began;
        QList<QPoint> ended;
        int moved = 0;
        panel.onDragBegan = [&began](QRect frame) { began.append(frame); };
        panel.onDragMoved = [&moved](QRect) { ++moved; };
        panel.onDragEnded = [&ended](QPoint origin) { ended.append(origin); };
        panel.setGeometry(300, 300, 360, 180);
        panel.show();
        QUOR_TRY_VERIFY(panel.windowHandle()->isExposed());
        quorSpin(std::chrono::milliseconds(200));

        // The background: a jitter below the threshold does nothing, then the panel follows.
        const QPoint start = panel.pos();
        const QPoint grip = panel.mapToGlobal(QPoint(180, 25));
        drag(grip, {grip + QPoint(2, 1), grip + QPoint(40, 20), grip + QPoint(80, 50)});
        QUOR_TRY_COMPARE(panel.pos(), start + QPoint(80, 50));
        QCOMPARE(began.size(), 1);
        QVERIFY(moved >= 2);
        QCOMPARE(ended, QList<QPoint>{panel.pos()});
        QVERIFY(!panel.isDragging());

        // A click with a little jitter stays a click; a press that turns into a drag clicks nothing.
        const QPoint button = press->mapToGlobal(press->rect().center());
        drag(button, {button + QPoint(2, 0)});
        QUOR_TRY_COMPARE(clicks, 1);
        const QPoint beforeDrag = panel.pos();
        drag(button, {button + QPoint(30, 0), button + QPoint(60, 0)});
        QUOR_TRY_COMPARE(panel.pos(), beforeDrag + QPoint(60, 0));
        quorSpin(std::chrono::milliseconds(200));
        QCOMPARE(clicks, 1);

        // A drag across the text field selects text and leaves the panel where it is.
        const QPoint atField = panel.pos();
        const int beganBefore = static_cast<int>(began.size());
        const QPoint textStart = field->mapToGlobal(QPoint(6, field->height() / 2));
        drag(textStart, {textStart + QPoint(40, 0), textStart + QPoint(140, 0)});
        QUOR_TRY_VERIFY(field->hasSelectedText());
        QCOMPARE(panel.pos(), atField);
        QCOMPARE(began.size(), beganBefore);
    }

    void draggablePanelCancelsADragItLoses()
    {
        QuorDraggableFloatingPanel panel;
        int cancelled = 0;
        int escapes = 0;
        panel.onDragCancelled = [&cancelled] { ++cancelled; };
        panel.onEscapePressed = [&escapes] { ++escapes; };
        panel.setGeometry(300, 300, 200, 120);
        panel.show();
        QUOR_TRY_VERIFY(panel.windowHandle()->isExposed());
        const QPoint grip = panel.mapToGlobal(QPoint(100, 60));
        pointerTo(grip);
        button(true);
        pointerTo(grip + QPoint(30, 0));
        QUOR_TRY_VERIFY(panel.isDragging());
        panel.hide();
        QCOMPARE(cancelled, 1);
        button(false);
        QVERIFY(!panel.isDragging());
        // Hiding again while idle reports nothing; Escape alone only reports Escape.
        panel.show();
        panel.hide();
        QCOMPARE(cancelled, 1);
        QTest::keyClick(&panel, Qt::Key_Escape);
        QCOMPARE(escapes, 1);
        QCOMPARE(cancelled, 1);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void tearOffReportsLeavingAndDropping()
    {
        QWidget host;
        host.setGeometry(300, 300, 240, 140);
        QList<bool> states;
        QList<QPoint> drops;
        auto* region = new QuorTearOffDragRegion([&states](bool outside) { states.append(outside); },
                                                 [&drops](QPoint at) { drops.append(at); }, &host);
        region->setGeometry(20, 20, 80, 60);
        host.show();
        QUOR_TRY_VERIFY(host.windowHandle()->isExposed());
        quorSpin(std::chrono::milliseconds(200));
        const QPoint grip = region->mapToGlobal(QPoint(40, 30));
        const QPoint outside = host.frameGeometry().bottomRight() + QPoint(80, 80);

        // Out and back again: no drop.
        drag(grip, {grip + QPoint(20, 0), outside, grip + QPoint(30, 10)});
        QUOR_TRY_COMPARE(states, (QList<bool>{true, false}));
        QVERIFY(drops.isEmpty());

        // Out and dropped there.
        states.clear();
        drag(grip, {grip + QPoint(20, 0), outside});
        QUOR_TRY_COMPARE(drops, QList<QPoint>{outside});
        QCOMPARE(states, (QList<bool>{true, false}));
        QVERIFY(!region->isTracking());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }
};

QUOR_TEST_MAIN(TestQuorFloatingPanels)
#include "tst_quorfloatingpanels.moc"
