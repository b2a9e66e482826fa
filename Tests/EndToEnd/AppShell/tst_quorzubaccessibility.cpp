#include "QuorAtSpiWalker.h"
#include "QuorZubBarDriver.h"
#include "QuorZubHarness.h"

#include "QuorZubCoreTests/SelectionWatcher/X11TestDriver.h"

#include "Support/QuorTestSupport.h"

#include <QJsonDocument>
#include <QProcess>
#include <QSet>
#include <QtTest>

namespace {
using Node = AtSpiWalker::Node;
const QString kStudioTitle = quorzub_bar::studioTitle;
const QString kBarTitle = quorzub_bar::barTitle;
const QString kTrayTitle = QStringLiteral("QuorZub");

QString describe(const Node& node)
{
    return node.role + QStringLiteral(" '") + node.name + QStringLiteral("' ") + node.ref.path.path();
}
} // namespace

// What a screen reader and a keyboard user meet in the real program: every control of the studio
// (each tab), the tray window and the floating bar has a role and a name, and Tab reaches every
// control of the studio and the tray window.
class TestQuorZubAccessibility : public QObject {
    Q_OBJECT

    X11Windows m_windows;
    X11TestDriver m_input;
    std::unique_ptr<AtSpiWalker> m_atspi;

    void startWithScreenReader(QuorZubInstance& zub, const ZubConfig& config)
    {
        zub.writeConfig(QJsonDocument(config.toJson()).toJson());
        // What a screen reader's presence tells Qt programs.
        zub.setEnvironmentVariable(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        QVERIFY2(zub.start().has_value(), zub.output().constData());
        QVERIFY2(quorzub_bar::waitUntilLaunched(zub, m_windows), "the studio did not come up and take the focus");
        QUOR_TRY_VERIFY(m_atspi->application(zub.pid()).has_value());
    }

    // Role and name of every control under `root`: what tells one page of a window from another.
    QStringList signature(const AtSpiRef& root) const
    {
        QStringList faults;
        QStringList controls;
        for (const Node& node : controlsOf(root, faults)) {
            controls << node.role + u':' + node.name;
        }
        return controls;
    }

    // The visible controls under `root`, and every fault a screen reader would meet there.
    QList<Node> controlsOf(const AtSpiRef& root, QStringList& faults) const
    {
        QList<Node> controls;
        for (const Node& node : m_atspi->walk(root)) {
            if (node.role.isEmpty() || node.role == QStringLiteral("unknown") || node.role == QStringLiteral("invalid")) {
                faults << QStringLiteral("no role: ") + describe(node);
            }
            if (node.isControl()) {
                controls << node;
                if (node.name.trimmed().isEmpty()) {
                    faults << QStringLiteral("no name: ") + describe(node);
                }
            }
        }
        return controls;
    }

    // Presses Tab until every enabled control took the focus once; returns those it never reached.
    QStringList tabWalkMisses(const QList<Node>& controls)
    {
        QList<Node> wanted;
        for (const Node& control : controls) {
            // Menus open with their own keys (F10, Alt).
            if (control.has(AtSpiWalker::enabledState) && control.role != QStringLiteral("menu item")) {
                wanted << control;
            }
        }
        QSet<int> reached;
        qsizetype last = -1;
        for (qsizetype press = 0; press < 2 * wanted.size() + 10 && reached.size() < wanted.size(); ++press) {
            m_input.key("Tab");
            // Until the focus leaves the control that had it; a busy machine may take its time.
            QElapsedTimer settle;
            settle.start();
            int onNothing = 0;
            while (settle.elapsed() < 10000) {
                qsizetype focused = -1;
                for (qsizetype step = 1; step <= wanted.size() && focused < 0; ++step) {
                    const qsizetype index = (last + step) % wanted.size();
                    if ((m_atspi->states(wanted[index].ref) >> AtSpiWalker::focusedState) & 1U) {
                        focused = index;
                    }
                }
                if (focused >= 0 && focused != last) {
                    last = focused;
                    reached.insert(static_cast<int>(focused));
                    break;
                }
                // Twice on no control (a scan may cross the moment the focus moves): on something
                // that is not a control, such as a scroll area.
                if (focused < 0 && last >= 0 && ++onNothing == 2) {
                    break;
                }
                QTest::qWait(focused < 0 ? 100 : 20);
            }
        }
        QStringList misses;
        for (qsizetype i = 0; i < wanted.size(); ++i) {
            if (!reached.contains(static_cast<int>(i))) {
                misses << describe(wanted[i]);
            }
        }
        return misses;
    }

    // The bar, with its pills and then with a result card.
    void checkTheBar(const QuorZubInstance& zub, const AtSpiRef& app)
    {
        TestEditor editor({QStringLiteral("--text"), QStringLiteral("200 + 10%"), QStringLiteral("--at"),
                           QStringLiteral("40,120")});
        QVERIFY(editor.waitUntilReady());
        m_input.drag(editor.boundary(0), editor.boundary(9));
        std::optional<AtSpiRef> bar;
        QUOR_TRY_VERIFY((bar = m_atspi->window(app, kBarTitle)).has_value());
        QStringList faults;
        QList<Node> controls = controlsOf(*bar, faults);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
        const auto pill = std::find_if(controls.begin(), controls.end(),
                                       [](const Node& node) { return node.name == QStringLiteral("Calculate"); });
        QVERIFY(pill != controls.end());
        QVERIFY(m_atspi->doAction(pill->ref));
        QUOR_TRY_VERIFY(zub.history().size() == 1);
        QUOR_TRY_VERIFY(controlsOf(*bar, faults).size() > controls.size());
        faults.clear();
        controlsOf(*bar, faults);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_input.isReady());
        m_atspi = std::make_unique<AtSpiWalker>();
        QVERIFY2(m_atspi->isConnected(), "at-spi2-core is part of the test packages");
    }

    void everyStudioTabAndTheBarAreNamedAndReachable()
    {
        const ZubConfig config = quorzub_bar::testConfig({ZubActionKind::calculate, ZubActionKind::plainCopy});
        QuorZubInstance zub;
        startWithScreenReader(zub, config);
        const AtSpiRef app = *m_atspi->application(zub.pid());

        checkTheBar(zub, app);
        if (QTest::currentTestFailed()) {
            return;
        }
        // Fronted again (the editor had the focus), with a record in its history.
        QCOMPARE(zub.startAgain(), 0);
        QUOR_TRY_COMPARE(m_windows.activeWindow(), m_windows.find(zub.pid(), kStudioTitle)->window);

        const QStringList tabs{QStringLiteral("Playground"), QStringLiteral("Actions ("), QStringLiteral("History ("),
                               QStringLiteral("Settings")};
        // Launching shows the first tab.
        QStringList previousPage;
        for (const QString& tab : tabs) {
            std::optional<AtSpiRef> studio;
            QUOR_TRY_VERIFY((studio = m_atspi->window(app, kStudioTitle)).has_value());
            QStringList faults;
            QList<Node> controls = controlsOf(*studio, faults);
            const auto button = std::find_if(controls.begin(), controls.end(), [&tab](const Node& node) {
                return node.role == QStringLiteral("push button") && node.name.startsWith(tab);
            });
            QVERIFY2(button != controls.end(), qPrintable(tab));
            // The button's action clicks it a moment later: the tab's page is up once the controls
            // changed from the last tab's page and stay put.
            QVERIFY(m_atspi->doAction(button->ref));
            const auto shown = quorWaitForSteady<QStringList>([&]() -> std::optional<QStringList> {
                QStringList now = signature(*studio);
                return now == previousPage ? std::nullopt : std::optional<QStringList>(now);
            });
            QVERIFY2(shown, qPrintable(tab + QStringLiteral(": the page did not change")));
            previousPage = *shown;
            faults.clear();
            controls = controlsOf(*studio, faults);
            QVERIFY2(faults.isEmpty(), qPrintable(tab + QStringLiteral(": ") + faults.join(QStringLiteral("; "))));
            QVERIFY(controls.size() > 8);
            const QStringList misses = tabWalkMisses(controls);
            QVERIFY2(misses.isEmpty(), qPrintable(tab + QStringLiteral(": Tab never reached ") + misses.join(QStringLiteral("; "))));
        }
    }

    void theTrayWindowIsNamedAndReachable()
    {
        QProcess tray;
        QVERIFY2(startTrayHost(tray), "trayer is part of the test packages");
        QuorZubInstance zub;
        startWithScreenReader(zub, quorzub_bar::testConfig({ZubActionKind::plainCopy}));
        const AtSpiRef app = *m_atspi->application(zub.pid());
        QUOR_TRY_VERIFY(m_windows.embeddedWindow(zub.pid()).has_value());
        // Clicked again, as a person would, should a busy desktop lose the click.
        QVERIFY(quorRetryUntil([&] { m_input.click(m_windows.embeddedWindow(zub.pid())->center()); },
                               [&] { return m_windows.find(zub.pid(), kTrayTitle).has_value(); }, 3,
                               std::chrono::seconds(10)));
        std::optional<AtSpiRef> window;
        QUOR_TRY_VERIFY((window = m_atspi->window(app, kTrayTitle)).has_value());
        // Past the opening click, it keeps the keyboard.
        QTest::qWait(700);
        QUOR_TRY_COMPARE(m_windows.activeWindow(), m_windows.find(zub.pid(), kTrayTitle)->window);

        QStringList faults;
        const QList<Node> controls = controlsOf(*window, faults);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
        QVERIFY(controls.size() >= 5);
        const QStringList misses = tabWalkMisses(controls);
        QVERIFY2(misses.isEmpty(), qPrintable(QStringLiteral("Tab never reached ") + misses.join(QStringLiteral("; "))));
        tray.terminate();
        tray.waitForFinished(3000);
    }
};

QUOR_TEST_MAIN(TestQuorZubAccessibility)
#include "tst_quorzubaccessibility.moc"
