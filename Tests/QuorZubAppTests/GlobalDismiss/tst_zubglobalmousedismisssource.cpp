#include "QuorZubApp/Views/ZubFloatingBarController.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubApp/Views/ZubGlobalMouseDismissSource.h"

#include "Support/QuorTestProcesses.h"
#include "Support/QuorTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QtTest>

namespace {

void xdotool(const QStringList& arguments)
{
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), arguments), 0);
}

void key(const QString& name)
{
    xdotool({QStringLiteral("key"), name});
}

// Another application's window, in a process of its own, that reports the keys it receives.
class KeyWitness : public QObject {
public:
    KeyWitness()
    {
        connect(&m_process, &QProcess::readyReadStandardOutput, this, [this] {
            m_buffer += m_process.readAllStandardOutput();
            qsizetype newline = 0;
            while ((newline = m_buffer.indexOf('\n')) >= 0) {
                const QString line = QString::fromUtf8(m_buffer.left(newline));
                m_buffer.remove(0, newline + 1);
                if (line.startsWith(QStringLiteral("ready "))) {
                    m_window = line.mid(6);
                } else {
                    lines << line;
                }
            }
        });
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        quorEndWithThisProcess(m_process);
        m_process.start(QStringLiteral(QUOR_KEY_WITNESS_PATH), {});
    }
    ~KeyWitness() override
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    // The window's id once it has the keyboard.
    QString window() const { return m_window; }
    qsizetype count(const QString& line) const { return lines.count(line); }

    QStringList lines;

private:
    QProcess m_process;
    QByteArray m_buffer;
    QString m_window;
};

} // namespace

// The floating bar on a real display with the desktop's own dismiss source, while another
// application has the keyboard: the bar overhears its Escape without taking it.
class TestZubGlobalMouseDismissSource : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<KeyWitness> m_witness;
    std::unique_ptr<ZubFloatingBarController> m_bar;
    ZubGlobalMouseDismissSource* m_source = nullptr;
    int m_dismissals = 0;

    bool mapped() const { return m_bar->panel() != nullptr && m_bar->panel()->isVisible(); }

    void showAndWaitMapped()
    {
        m_bar->show(QStringLiteral("The quick brown fox"), QStringLiteral("en"),
                    ZubActionDefinition::defaultActions().mid(0, 4), QuorLanguage::en, ZubTargetLanguage::turkish,
                    QPoint(900, 600), true, 0);
        QUOR_TRY_VERIFY(mapped() && m_bar->state()->isPresented());
    }

    void activateWitness()
    {
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), m_witness->window()});
        QUOR_TRY_VERIFY(QGuiApplication::focusWindow() == nullptr);
    }

private slots:
    void initTestCase()
    {
        m_witness = std::make_unique<KeyWitness>();
        QUOR_TRY_VERIFY(!m_witness->window().isEmpty());
    }

    void init()
    {
        m_bar = std::make_unique<ZubFloatingBarController>();
        m_source = new ZubGlobalMouseDismissSource(m_bar.get());
        m_bar->setDismissEventSource(m_source);
        m_dismissals = 0;
        m_bar->onDismiss = [this] { ++m_dismissals; };
        activateWitness();
    }

    void cleanup()
    {
        m_bar.reset();
        m_witness->lines.clear();
    }

    void cleanupTestCase() { m_witness.reset(); }

    void escapeTypedIntoAnotherApplicationHidesTheBarAndStillReachesIt()
    {
        // Escape with a modifier held is still Escape.
        showAndWaitMapped();
        key(QStringLiteral("shift+Escape"));
        QUOR_TRY_VERIFY(!mapped());
        QCOMPARE(m_dismissals, 1);
        QUOR_TRY_COMPARE(m_witness->count(QStringLiteral("key Esc")), 1);

        // Other keys reach the application and leave the bar up.
        showAndWaitMapped();
        key(QStringLiteral("a"));
        key(QStringLiteral("space"));
        QUOR_TRY_COMPARE(m_witness->count(QStringLiteral("key Space")), 1);
        QCOMPARE(m_witness->count(QStringLiteral("key A")), 1);
        quorSpin(std::chrono::milliseconds(300));
        QVERIFY(mapped());
        QCOMPARE(m_dismissals, 1);

        key(QStringLiteral("Escape"));
        QUOR_TRY_VERIFY(!mapped());
        QCOMPARE(m_dismissals, 2);
        QUOR_TRY_COMPARE(m_witness->count(QStringLiteral("key Esc")), 2);

        // With the bar gone, Escape is the application's alone.
        key(QStringLiteral("Escape"));
        QUOR_TRY_COMPARE(m_witness->count(QStringLiteral("key Esc")), 3);
        quorSpin(std::chrono::milliseconds(300));
        QCOMPARE(m_dismissals, 2);
        QVERIFY(!mapped());
    }

    // Every key and click of the desktop passes through the monitor: it runs only while the bar is up.
    void theGlobalMonitorRunsOnlyWhileTheBarIsUp()
    {
        QVERIFY(!m_source->isMonitoring());
        showAndWaitMapped();
        QVERIFY(m_source->isMonitoring());
        key(QStringLiteral("Escape"));
        QUOR_TRY_VERIFY(!mapped());
        QVERIFY(!m_source->isMonitoring());
        showAndWaitMapped();
        m_bar->hide(false);
        QVERIFY(!m_source->isMonitoring());
    }

    // Escape in an open popup of ours (a combo box's list) closes the popup, not the bar.
    void escapeGoesToAnOpenPopupFirst()
    {
        QComboBox combo;
        combo.addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
        combo.setGeometry(200, 400, 200, 30);
        combo.show();
        combo.activateWindow();
        QUOR_TRY_VERIFY(combo.hasFocus());
        showAndWaitMapped();
        combo.showPopup();
        QUOR_TRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        key(QStringLiteral("Escape"));
        QUOR_TRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        quorSpin(std::chrono::milliseconds(300));
        QVERIFY(mapped());
        QCOMPARE(m_dismissals, 0);

        key(QStringLiteral("Escape"));
        QUOR_TRY_VERIFY(!mapped());
        QCOMPARE(m_dismissals, 1);
    }

    void aClickInAnotherApplicationHidesTheBar()
    {
        showAndWaitMapped();
        xdotool({QStringLiteral("mousemove"), QStringLiteral("300"), QStringLiteral("200"), QStringLiteral("click"),
                 QStringLiteral("1")});
        QUOR_TRY_VERIFY(!mapped());
        QCOMPARE(m_dismissals, 1);
    }

    void aClickInOurOwnWindowLeavesTheBar()
    {
        // The studio, or the save dialog opened from the bar: windows of this application.
        QWidget own;
        own.setGeometry(200, 150, 300, 200);
        own.show();
        QVERIFY(QTest::qWaitForWindowExposed(&own, quorPatienceMs));
        showAndWaitMapped();
        const QPoint inside = own.mapToGlobal(QPoint(150, 100));
        xdotool({QStringLiteral("mousemove"), QString::number(inside.x()), QString::number(inside.y()),
                 QStringLiteral("click"), QStringLiteral("1")});
        quorSpin(std::chrono::milliseconds(500));
        QVERIFY(mapped());
        QCOMPARE(m_dismissals, 0);

        own.hide();
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
        QUOR_TRY_VERIFY(!mapped());
        QCOMPARE(m_dismissals, 1);
    }

    void escapeInOurOwnWindowIsKeptFromItAndHidesOnce()
    {
        QLineEdit field;
        field.setGeometry(200, 400, 300, 40);
        field.show();
        field.activateWindow();
        QUOR_TRY_VERIFY(field.hasFocus());
        int escapesSeen = 0;
        struct Spy : QObject {
            int* seen;
            explicit Spy(int* s) : seen(s) {}
            bool eventFilter(QObject*, QEvent* event) override
            {
                if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                    ++*seen;
                }
                return false;
            }
        } spy(&escapesSeen);
        field.installEventFilter(&spy);

        for (int round = 0; round < 3; ++round) {
            showAndWaitMapped();
            key(QStringLiteral("Escape"));
            QUOR_TRY_VERIFY(!mapped());
        }
        quorSpin(std::chrono::milliseconds(300));
        QCOMPARE(escapesSeen, 0);
        QCOMPARE(m_dismissals, 3);
        QCOMPARE(m_witness->count(QStringLiteral("key Esc")), 0);
        field.removeEventFilter(&spy);
    }
};

QUOR_TEST_MAIN(TestZubGlobalMouseDismissSource)
#include "tst_zubglobalmousedismisssource.moc"
