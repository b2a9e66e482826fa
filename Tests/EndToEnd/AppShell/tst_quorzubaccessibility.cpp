#include "QuorAtSpiWalker.h"
#include "QuorZubBarDriver.h"
#include "QuorZubHarness.h"

#include "QuorZubAppTests/Studio/StudioFixtures.h"
#include "QuorZubCoreTests/SelectionWatcher/X11TestDriver.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorZubCore/Services/ZubConfigStore.h"
#include "Support/QuorFakeLauncher.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QtTest>

namespace {
using Node = AtSpiWalker::Node;
const QString kStudioTitle = quorzub_bar::studioTitle;
const QString kBarTitle = quorzub_bar::barTitle;
const QString kTrayTitle = QStringLiteral("QuorZub");
const QString kWalletTitle = QStringLiteral("Tallowmer Credits");
const QString kLogsTitle = QStringLiteral("QuorZub · Version & Logs");
const QString kNoticeTitle = QStringLiteral("Browser Not Opened");

// JSON texts in raw string literals write "//" as "\/\/": moc's scanner takes a "//" inside a raw
// string for a comment and then misses the test class.
const QByteArray kProfile = R"({"email":"ada@example.com","available_micros":12340000,"held_micros":5000,)"
                            R"("credit_unit_micros":10000,"current_app_budget":{"app":"QuorZub","daily_limit_credits":100}})";

QString describe(const Node& node)
{
    return node.role + QStringLiteral(" '") + node.name + QStringLiteral("' ") + node.ref.path.path();
}

const Node* named(const QList<Node>& nodes, const QString& role, const QString& name)
{
    const auto found = std::find_if(nodes.begin(), nodes.end(), [&](const Node& node) {
        return node.role == role && node.name.startsWith(name);
    });
    return found != nodes.end() ? &*found : nullptr;
}

// What a Tab walk met: the controls in the order it reached them, and what went wrong on the way.
struct TabWalk {
    QStringList reached;
    QStringList misses;
    QStringList faults;
    qsizetype indexOf(const QString& name) const
    {
        const auto found = std::find_if(reached.begin(), reached.end(), [&name](const QString& n) { return n.startsWith(name); });
        return found != reached.end() ? found - reached.begin() : -1;
    }
};
} // namespace

// What a screen reader and a keyboard user meet in the real program: every control of every window
// (the studio's four tabs, the credits wallet signed in and out, the tray window, the bar, the
// version and logs sheet, the kit's feedback sheet) has a role and a name, every chosen option is
// announced as chosen, no invisible object takes a Tab stop, and Tab reaches every control in the
// order the window shows them, each one scrolled into view; the toasts and notices the program puts
// up are heard with their text, and a result, in the bar or among the tray window's recent ones,
// with the action it came from, in the interface language.
class TestQuorZubAccessibility : public QObject {
    Q_OBJECT

    X11Windows m_windows;
    X11TestDriver m_input;
    std::unique_ptr<AtSpiWalker> m_atspi;

    // Starts the program as a screen reader finds it, with its studio window in front.
    bool startWithScreenReader(QuorZubInstance& zub, const ZubConfig& config,
                               const QString& gateway = QStringLiteral("http://127.0.0.1:9"))
    {
        zub.writeConfig(QJsonDocument(config.toJson()).toJson());
        // What a screen reader's presence tells Qt programs.
        zub.setEnvironmentVariable(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        // Nothing leaves this computer: the gateway and the catalog are local (or nowhere).
        zub.setEnvironmentVariable(QStringLiteral("TALLOWMER_API_URL"), gateway);
        zub.setEnvironmentVariable(QStringLiteral("TALLOWMER_AI_MODELS_URL"), gateway + QStringLiteral("/models.json"));
        if (!zub.start()) {
            qWarning("the program did not start: %s", zub.output().constData());
            return false;
        }
        return QTest::qWaitFor([&] { return m_windows.find(zub.pid(), kStudioTitle).has_value(); }, 10000)
            && QTest::qWaitFor([&] { return m_windows.activeWindow() == m_windows.find(zub.pid(), kStudioTitle)->window; }, 10000)
            && QTest::qWaitFor([&] { return m_atspi->application(zub.pid()).has_value(); }, 15000);
    }

    // The visible controls under `root`, and every fault a screen reader would meet there: a node
    // without a role, a control or a Tab stop without a name, a Tab stop on something that is not
    // a control, a group of radio buttons without a checked one.
    QList<Node> controlsOf(const AtSpiRef& root, QStringList& faults) const
    {
        static const QSet<QString> fillers{QStringLiteral("filler"), QStringLiteral("panel"), QStringLiteral("scroll pane"),
                                           QStringLiteral("viewport"), QStringLiteral("unknown")};
        QList<Node> controls;
        QHash<QString, QList<Node>> radioGroups;
        for (const Node& node : m_atspi->walk(root)) {
            if (node.role.isEmpty() || node.role == QStringLiteral("unknown") || node.role == QStringLiteral("invalid")) {
                faults << QStringLiteral("no role: ") + describe(node);
            }
            const bool stop = node.has(AtSpiWalker::focusableState) && node.has(AtSpiWalker::showingState);
            if (stop && fillers.contains(node.role)) {
                faults << QStringLiteral("invisible Tab stop: ") + describe(node);
            }
            if ((node.isControl() || stop) && node.name.trimmed().isEmpty()) {
                faults << QStringLiteral("no name: ") + describe(node);
            }
            if (node.isControl()) {
                controls << node;
            }
            if (node.role == QStringLiteral("radio button")) {
                radioGroups[node.parent.path.path()] << node;
            }
        }
        for (const QList<Node>& group : std::as_const(radioGroups)) {
            if (std::count_if(group.begin(), group.end(), [](const Node& node) { return node.has(AtSpiWalker::checkedState); }) != 1) {
                faults << QStringLiteral("no single chosen radio button among ") + describe(group.first()) + QStringLiteral(" and its ")
                              + QString::number(group.size() - 1) + QStringLiteral(" siblings");
            }
        }
        return controls;
    }

    // Everything a screen reader lists under `root`, for a failure's message.
    QString dump(const AtSpiRef& root) const
    {
        QStringList lines;
        for (const Node& node : m_atspi->walk(root)) {
            lines << describe(node) + QStringLiteral(" states ") + QString::number(node.states, 16);
        }
        return lines.join(QLatin1Char('\n'));
    }

    void expectNoFaults(const AtSpiRef& root, const QString& where, QList<Node>* controls = nullptr)
    {
        QStringList faults;
        const QList<Node> found = controlsOf(root, faults);
        QVERIFY2(faults.isEmpty(), qPrintable(where + QStringLiteral(": ") + faults.join(QStringLiteral("; "))));
        if (controls != nullptr) {
            *controls = found;
        }
    }

    // The control that has the keyboard focus, among `controls`.
    std::optional<Node> focusedAmong(const QList<Node>& controls) const
    {
        for (const Node& control : controls) {
            if ((m_atspi->states(control.ref) >> AtSpiWalker::focusedState) & 1U) {
                return control;
            }
        }
        return std::nullopt;
    }

    // Presses Tab until every enabled control of `window` took the focus once, noting the order
    // and every control the focus showed outside the window (not scrolled into view).
    TabWalk tabWalk(const AtSpiRef& window, const QList<Node>& controls)
    {
        TabWalk walk;
        QList<Node> wanted;
        for (const Node& control : controls) {
            // Menus open with their own keys (F10, Alt).
            if (control.has(AtSpiWalker::enabledState) && control.role != QStringLiteral("menu item")) {
                wanted << control;
            }
        }
        const QRect shown = m_atspi->extents(window);
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
                    if (!reached.contains(static_cast<int>(focused))) {
                        reached.insert(static_cast<int>(focused));
                        walk.reached << wanted[focused].name;
                        const QRect at = m_atspi->extents(wanted[focused].ref);
                        if (shown.isValid() && at.isValid() && !shown.intersects(at)) {
                            walk.faults << QStringLiteral("focused out of view: ") + describe(wanted[focused]);
                        }
                    }
                    break;
                }
                // Twice on no control (a scan may cross the moment the focus moves): on something
                // that is not a control.
                if (focused < 0 && last >= 0 && ++onNothing == 2) {
                    break;
                }
                QTest::qWait(focused < 0 ? 100 : 20);
            }
        }
        for (qsizetype i = 0; i < wanted.size(); ++i) {
            if (!reached.contains(static_cast<int>(i))) {
                walk.misses << describe(wanted[i]);
            }
        }
        return walk;
    }

    void expectReachable(const AtSpiRef& window, const QList<Node>& controls, const QString& where, TabWalk* result = nullptr)
    {
        const TabWalk walk = tabWalk(window, controls);
        QVERIFY2(walk.misses.isEmpty(), qPrintable(where + QStringLiteral(": Tab never reached ") + walk.misses.join(QStringLiteral("; "))));
        QVERIFY2(walk.faults.isEmpty(), qPrintable(where + QStringLiteral(": ") + walk.faults.join(QStringLiteral("; "))));
        if (result != nullptr) {
            *result = walk;
        }
    }

    // The bar, with its pills and then with a result card, whose text is heard as the result of the
    // pill's action (`resultName`) with the output as its text.
    void checkTheBar(const QuorZubInstance& zub, const AtSpiRef& app, const QString& pillTitle, const QString& resultName)
    {
        TestEditor editor({QStringLiteral("--text"), QStringLiteral("200 + 10%"), QStringLiteral("--at"),
                           QStringLiteral("40,120")});
        QVERIFY(editor.waitUntilReady());
        m_input.drag(editor.boundary(0), editor.boundary(9));
        std::optional<AtSpiRef> bar;
        QUOR_TRY_VERIFY((bar = m_atspi->window(app, kBarTitle)).has_value());
        QList<Node> controls;
        expectNoFaults(*bar, QStringLiteral("bar"), &controls);
        const Node* pill = named(controls, QStringLiteral("push button"), pillTitle);
        QVERIFY(pill != nullptr);
        QVERIFY(m_atspi->doAction(pill->ref));
        QUOR_TRY_VERIFY(zub.history().size() == 1);
        QStringList faults;
        QUOR_TRY_VERIFY(controlsOf(*bar, faults).size() > controls.size());
        expectNoFaults(*bar, QStringLiteral("bar with a result"));
        const QString output = quorzub_bar::resultOf(zub.history().first().toObject()).outputText;
        QVERIFY(!output.isEmpty());
        const QList<Node> shown = m_atspi->walk(*bar);
        const auto result = std::find_if(shown.begin(), shown.end(), [&](const Node& node) {
            return node.role == QStringLiteral("text") && node.name == resultName;
        });
        QVERIFY2(result != shown.end(), qPrintable(dump(*bar)));
        QCOMPARE(m_atspi->text(result->ref), output);
    }

    // Opens the tray window from the tray icon; it keeps the keyboard past the opening click.
    std::optional<AtSpiRef> openTrayWindow(const QuorZubInstance& zub, const AtSpiRef& app)
    {
        // A click on the icon right after the window closed is taken for the click that closed it.
        QTest::qWait(300);
        // Clicked again, as a person would, should a busy desktop lose the click.
        if (!quorRetryUntil([&] { m_input.click(m_windows.embeddedWindow(zub.pid())->center()); },
                            [&] { return m_windows.find(zub.pid(), kTrayTitle).has_value(); }, 3,
                            std::chrono::seconds(10))) {
            return std::nullopt;
        }
        std::optional<AtSpiRef> window;
        quorWaitFor([&] { return (window = m_atspi->window(app, kTrayTitle)).has_value(); });
        QTest::qWait(700);
        quorWaitFor([&] { return isActive(zub, kTrayTitle); });
        return window;
    }

    // Whether the tray window lists a recent result, which a press copies, named `name`.
    bool listsRecentResult(const AtSpiRef& window, const QString& name) const
    {
        QStringList faults;
        const QList<Node> controls = controlsOf(window, faults);
        const bool listed = std::any_of(controls.begin(), controls.end(), [&name](const Node& node) {
            return node.role == QStringLiteral("push button") && node.name == name;
        });
        if (!listed) {
            qWarning("%s", qPrintable(dump(window)));
        }
        return listed;
    }

    // The wallet opened from the studio's credits pill: a window of its own, with the focus in it.
    std::optional<AtSpiRef> openWallet(const AtSpiRef& app)
    {
        std::optional<AtSpiRef> studio = m_atspi->window(app, kStudioTitle);
        QStringList faults;
        const QList<Node> header = studio ? controlsOf(*studio, faults) : QList<Node>();
        const auto pill = std::find_if(header.begin(), header.end(), [](const Node& node) {
            return node.name == QStringLiteral("Credits") || node.name.endsWith(QStringLiteral(" cr"));
        });
        if (pill == header.end() || !m_atspi->doAction(pill->ref)) {
            qWarning("no credits pill");
            return std::nullopt;
        }
        std::optional<AtSpiRef> wallet;
        if (!QTest::qWaitFor([&] { return (wallet = m_atspi->window(app, kWalletTitle)).has_value(); }, 10000)) {
            qWarning("the wallet is not among the program's windows");
        }
        return wallet;
    }

    // A message under `root`, at most `depth` levels down, as a screen reader is told of it: its
    // role and its text. Only near the top, so a short-lived toast is found while it shows.
    std::optional<Node> message(const AtSpiRef& root, const QString& role, const QString& text, int depth) const
    {
        QList<AtSpiRef> level{root};
        for (int down = 0; down <= depth && !level.isEmpty(); ++down) {
            QList<AtSpiRef> below;
            for (const AtSpiRef& ref : std::as_const(level)) {
                const Node found = m_atspi->node(ref);
                if (found.role == role && found.name == text && found.has(AtSpiWalker::showingState)) {
                    return found;
                }
                below += m_atspi->children(ref);
            }
            level = below;
        }
        return std::nullopt;
    }

    // Opens Version & Logs from the studio's header badge, as a screen reader user does; nothing
    // when the badge or the sheet cannot be found.
    std::optional<AtSpiRef> openVersionAndLogs(const AtSpiRef& app, const AtSpiRef& studio) const
    {
        QStringList faults;
        const QList<Node> header = controlsOf(studio, faults);
        const Node* badge = named(header, QStringLiteral("push button"), QStringLiteral("Version & Runtime Logs"));
        if (badge == nullptr || !m_atspi->doAction(badge->ref)) {
            return std::nullopt;
        }
        std::optional<AtSpiRef> sheet;
        quorWaitFor([&] { return (sheet = m_atspi->window(app, kLogsTitle)).has_value(); });
        return sheet;
    }

    // Whether the program's window `title` has the keyboard.
    bool isActive(const QuorZubInstance& zub, const QString& title) const
    {
        const std::optional<X11Windows::Client> window = m_windows.find(zub.pid(), title);
        return window && m_windows.activeWindow() == window->window;
    }

    void expectFocusInside(const AtSpiRef& window, const QString& where)
    {
        QStringList faults;
        const QList<Node> controls = controlsOf(window, faults);
        std::optional<Node> focused;
        QVERIFY2(QTest::qWaitFor([&] { return (focused = focusedAmong(controls)).has_value(); }, 10000),
                 qPrintable(where + QStringLiteral(": no control has the focus")));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_input.isReady());
        m_atspi = std::make_unique<AtSpiWalker>();
        QVERIFY2(m_atspi->isConnected(), "at-spi2-core is part of the test packages");
    }

    void everyStudioTabAndTheBar()
    {
        const ZubConfig config = quorzub_bar::testConfig({ZubActionKind::calculate, ZubActionKind::plainCopy});
        QuorZubInstance zub;
        QVERIFY(startWithScreenReader(zub, config));
        const AtSpiRef app = *m_atspi->application(zub.pid());

        checkTheBar(zub, app, QStringLiteral("Calculate"), QStringLiteral("Result: Calculate"));
        if (QTest::currentTestFailed()) {
            return;
        }
        // Fronted again (the editor had the focus), with a record in its history.
        QCOMPARE(zub.startAgain(), 0);
        QUOR_TRY_COMPARE(m_windows.activeWindow(), m_windows.find(zub.pid(), kStudioTitle)->window);

        const QStringList tabs{QStringLiteral("Playground"), QStringLiteral("Actions ("), QStringLiteral("History ("),
                               QStringLiteral("Settings")};
        for (const QString& tab : tabs) {
            std::optional<AtSpiRef> studio;
            QUOR_TRY_VERIFY((studio = m_atspi->window(app, kStudioTitle)).has_value());
            QStringList faults;
            QList<Node> controls = controlsOf(*studio, faults);
            const Node* button = named(controls, QStringLiteral("page tab"), tab);
            QVERIFY2(button != nullptr, qPrintable(tab));
            QVERIFY(m_atspi->doAction(button->ref));
            // The tab now shown is announced as the selected one, and only it.
            const auto shownTabChosen = [&] {
                controls = controlsOf(*studio, faults);
                const Node* shown = named(controls, QStringLiteral("page tab"), tab);
                return shown != nullptr && shown->isChosen();
            };
            QUOR_TRY_VERIFY(shownTabChosen());
            QCOMPARE(std::count_if(controls.begin(), controls.end(),
                                   [](const Node& node) { return node.role == QStringLiteral("page tab") && node.isChosen(); }),
                     1);
            const Node* autoShow = named(controls, QStringLiteral("check box"), QStringLiteral("Auto-Zub"));
            QVERIFY(autoShow != nullptr && autoShow->isChosen());
            expectNoFaults(*studio, tab, &controls);
            QVERIFY(controls.size() > 8);
            TabWalk walk;
            expectReachable(*studio, controls, tab, &walk);
            if (tab == QStringLiteral("Settings")) {
                // The credits block is the second card: Tab meets it before the excluded applications.
                QVERIFY2(walk.indexOf(QStringLiteral("Manual Token")) >= 0
                             && walk.indexOf(QStringLiteral("Manual Token")) < walk.indexOf(QStringLiteral("Refresh running apps")),
                         qPrintable(walk.reached.join(QStringLiteral(" | "))));
            }
        }
    }

    void theTrayWindow()
    {
        const QuorFakeLauncher launcher(3);
        QVERIFY(launcher.isReady());
        QProcess tray;
        QVERIFY2(startTrayHost(tray), "trayer is part of the test packages");
        QuorZubInstance zub;
        // One result in the history, listed under the recent results.
        QVERIFY(QDir().mkpath(zub.dataFolder()));
        ZubConfigStore(zub.dataFolder())
            .saveHistory({studio_fixtures::historyRecord(ZubActionKind::calculate, QStringLiteral("Calculate"),
                                                         QStringLiteral("5000 + 2%"), QStringLiteral("5100"))});
        QVERIFY(startWithScreenReader(zub, quorzub_bar::testConfig({ZubActionKind::plainCopy})));
        const AtSpiRef app = *m_atspi->application(zub.pid());
        QUOR_TRY_VERIFY(m_windows.embeddedWindow(zub.pid()).has_value());
        std::optional<AtSpiRef> window = openTrayWindow(zub, app);
        QVERIFY(window.has_value());
        QVERIFY(isActive(zub, kTrayTitle));

        QList<Node> controls;
        expectNoFaults(*window, QStringLiteral("tray window"), &controls);
        QVERIFY(controls.size() >= 5);
        QVERIFY(listsRecentResult(*window, QStringLiteral("Calculate: 5100. Copies to the clipboard.")));
        // The keyboard starts at the window's first control, the switch, not at the feedback icon.
        std::optional<Node> first;
        QUOR_TRY_VERIFY((first = focusedAmong(controls)).has_value());
        QCOMPARE(first->role, QStringLiteral("check box"));
        QCOMPARE(first->name, QStringLiteral("Auto-Zub on Selection"));
        expectReachable(*window, controls, QStringLiteral("tray window"));

        // The notice that the browser could not be opened takes the keyboard without closing the
        // window it came from, and Escape hands the keyboard back to it, on the feedback button,
        // for good: the window manager's own pick as the notice goes does not close the window.
        const auto openNotice = [&] {
            QStringList faults;
            const QList<Node> shown = controlsOf(*window, faults);
            const Node* feedback = named(shown, QStringLiteral("push button"), QStringLiteral("Listening to you"));
            const bool opened = feedback != nullptr && m_atspi->doAction(feedback->ref)
                             && quorWaitFor([&] { return isActive(zub, kNoticeTitle); });
            // A person reads the notice before doing anything about it.
            QTest::qWait(700);
            return opened;
        };
        QVERIFY(openNotice());
        QVERIFY(m_windows.find(zub.pid(), kTrayTitle).has_value());
        m_input.key("Escape");
        QUOR_TRY_VERIFY(isActive(zub, kTrayTitle));
        QVERIFY(!m_windows.find(zub.pid(), kNoticeTitle).has_value());
        QVERIFY2(!quorWaitFor([&] { return !isActive(zub, kTrayTitle); }, std::chrono::milliseconds(1500)),
                 qPrintable(m_windows.describeActiveWindow()));
        QStringList faults;
        std::optional<Node> back;
        QUOR_TRY_VERIFY((back = focusedAmong(controlsOf(*window, faults))).has_value());
        QVERIFY2(back->name.startsWith(QStringLiteral("Listening to you")), qPrintable(back->name));

        // Turning to another application leaves the window; from the notice, it leaves both: by a
        // click on it, and after the window manager closed the notice.
        TestEditor editor({QStringLiteral("--text"), QStringLiteral("elsewhere"), QStringLiteral("--at"),
                           QStringLiteral("40,600")});
        QVERIFY(editor.waitUntilReady());
        QUOR_TRY_VERIFY(!m_windows.find(zub.pid(), kTrayTitle).has_value());
        for (const bool closedByTheWindowManager : {false, true}) {
            window = openTrayWindow(zub, app);
            QVERIFY(window.has_value());
            QVERIFY(openNotice());
            if (closedByTheWindowManager) {
                m_windows.requestClose(m_windows.find(zub.pid(), kNoticeTitle)->window);
                QUOR_TRY_VERIFY(!m_windows.find(zub.pid(), kNoticeTitle).has_value());
            }
            m_input.click(editor.blankArea());
            QUOR_TRY_VERIFY2(!m_windows.find(zub.pid(), kTrayTitle).has_value() && !m_windows.find(zub.pid(), kNoticeTitle).has_value(),
                             closedByTheWindowManager ? "closed by the window manager" : "clicked elsewhere");
        }
        tray.terminate();
        tray.waitForFinished(3000);
    }

    // In Turkish, the bar's result and the tray window's recent result it leaves are heard in
    // Turkish.
    void resultsAreNamedInTurkish()
    {
        QProcess tray;
        QVERIFY2(startTrayHost(tray), "trayer is part of the test packages");
        QuorZubInstance zub;
        zub.setEnvironmentVariable(QStringLiteral("LANGUAGE"), QStringLiteral("tr"));
        QVERIFY(startWithScreenReader(zub, quorzub_bar::testConfig({ZubActionKind::calculate})));
        const AtSpiRef app = *m_atspi->application(zub.pid());
        checkTheBar(zub, app, QStringLiteral("Hesapla"), QStringLiteral("Sonuç: Hesapla"));
        if (QTest::currentTestFailed()) {
            return;
        }
        const QString output = quorzub_bar::resultOf(zub.history().first().toObject()).outputText;
        // The bar closes first: it and the tray window share their title.
        const std::optional<AtSpiRef> bar = m_atspi->window(app, kBarTitle);
        QVERIFY(bar.has_value());
        QStringList faults;
        const QList<Node> onTheBar = controlsOf(*bar, faults);
        const Node* close = named(onTheBar, QStringLiteral("push button"), QStringLiteral("Kapat"));
        QVERIFY(close != nullptr && m_atspi->doAction(close->ref));
        QUOR_TRY_VERIFY(!m_windows.find(zub.pid(), kBarTitle).has_value());
        QUOR_TRY_VERIFY(m_windows.embeddedWindow(zub.pid()).has_value());
        const std::optional<AtSpiRef> window = openTrayWindow(zub, app);
        QVERIFY(window.has_value());
        expectNoFaults(*window, QStringLiteral("tray window in Turkish"));
        QVERIFY(listsRecentResult(*window, QStringLiteral("Hesapla: %1. Panoya kopyalar.").arg(output)));
        tray.terminate();
        tray.waitForFinished(3000);
    }

    // The wallet signed out with its sign-in block, then signed in with the caps editor open.
    void theCreditsWallet()
    {
        QuorTestHttpServer gateway;
        QVERIFY(gateway.start());
        gateway.route("GET", "/v1/me", QuorTestHttpResponse::json(kProfile));
        gateway.route("GET", "/v1/ai/models", QuorTestHttpResponse::json(R"({"providers":[]})"));
        const QString gatewayURL = gateway.baseUrl().toString();
        QuorZubInstance zub;
        QVERIFY(startWithScreenReader(zub, quorzub_bar::testConfig({ZubActionKind::plainCopy}), gatewayURL));
        const AtSpiRef app = *m_atspi->application(zub.pid());

        std::optional<AtSpiRef> wallet = openWallet(app);
        QVERIFY(wallet.has_value());
        expectFocusInside(*wallet, QStringLiteral("wallet signed out"));
        QList<Node> controls;
        expectNoFaults(*wallet, QStringLiteral("wallet signed out"), &controls);
        expectReachable(*wallet, controls, QStringLiteral("wallet signed out"));

        // The sign-in block's pasted token: Return in its field saves it.
        const Node* manual = named(controls, QStringLiteral("push button"), QStringLiteral("Manual Token"));
        QVERIFY(manual != nullptr);
        QVERIFY(m_atspi->doAction(manual->ref));
        QStringList faults;
        const bool opened = QTest::qWaitFor([&] { return named(controlsOf(*wallet, faults), QStringLiteral("text"), QStringLiteral("Paste")); },
                                 10000);
        if (!opened) {
            qWarning("%s", qPrintable(dump(*wallet)));
        }
        QVERIFY(opened);
        expectNoFaults(*wallet, QStringLiteral("sign-in block"), &controls);
        expectReachable(*wallet, controls, QStringLiteral("sign-in block"));
        const Node* field = named(controls, QStringLiteral("text"), QStringLiteral("Paste"));
        QUOR_TRY_VERIFY((m_atspi->states(field->ref) >> AtSpiWalker::focusedState) & 1U);
        for (const char* key : {"t", "o", "k"}) {
            m_input.key(key);
        }
        m_input.key("Return");
        QUOR_TRY_VERIFY(!gateway.requests("/v1/me").isEmpty());

        // Signed in: the balance, the caps editor opened, and the focus still in the wallet.
        const auto shows = [&](const QString& role, const QString& name) {
            controls = controlsOf(*wallet, faults);
            return named(controls, role, name) != nullptr;
        };
        QUOR_TRY_VERIFY(shows(QStringLiteral("push button"), QStringLiteral("Sign Out")));
        expectFocusInside(*wallet, QStringLiteral("wallet signed in"));
        const auto caps = std::find_if(controls.begin(), controls.end(),
                                       [](const Node& node) { return node.name.contains(QStringLiteral("Caps")) || node.name.contains(QStringLiteral("Limit")); });
        QVERIFY2(caps != controls.end(), "no control opens the caps editor");
        QVERIFY(m_atspi->doAction(caps->ref));
        QUOR_TRY_VERIFY(shows(QStringLiteral("push button"), QStringLiteral("Save Caps")));
        expectNoFaults(*wallet, QStringLiteral("wallet signed in, caps editor open"), &controls);
        expectReachable(*wallet, controls, QStringLiteral("wallet signed in, caps editor open"));
    }

    void versionAndLogs()
    {
        QuorZubInstance zub;
        QVERIFY(startWithScreenReader(zub, quorzub_bar::testConfig({ZubActionKind::plainCopy})));
        const AtSpiRef app = *m_atspi->application(zub.pid());
        std::optional<AtSpiRef> studio;
        QUOR_TRY_VERIFY((studio = m_atspi->window(app, kStudioTitle)).has_value());
        const std::optional<AtSpiRef> sheet = openVersionAndLogs(app, *studio);
        QVERIFY(sheet.has_value());
        QList<Node> controls;
        expectNoFaults(*sheet, QStringLiteral("version and logs"), &controls);
        // The level filter: four radio buttons, "All" the chosen one.
        const Node* all = named(controls, QStringLiteral("radio button"), QStringLiteral("All"));
        QVERIFY(all != nullptr && all->isChosen());
        QVERIFY(named(controls, QStringLiteral("radio button"), QStringLiteral("ERROR")) != nullptr);
        expectReachable(*sheet, controls, QStringLiteral("version and logs"));
    }

    // What the program puts up of itself is heard: the studio's toast as a notification with its
    // text, and the notice that the browser could not be opened as an alert in a window of its own
    // with the keyboard on Copy Address. Escape there closes the notice alone, not Version & Logs.
    void toastsAndNoticesAreHeard()
    {
        const QuorFakeLauncher launcher(3);
        QVERIFY(launcher.isReady());
        QuorZubInstance zub;
        QVERIFY(startWithScreenReader(zub, quorzub_bar::testConfig({ZubActionKind::plainCopy})));
        const AtSpiRef app = *m_atspi->application(zub.pid());
        std::optional<AtSpiRef> studio;
        QUOR_TRY_VERIFY((studio = m_atspi->window(app, kStudioTitle)).has_value());
        QStringList faults;
        const QList<Node> header = controlsOf(*studio, faults);
        const Node* autoShow = named(header, QStringLiteral("check box"), QStringLiteral("Auto-Zub"));
        QVERIFY(autoShow != nullptr);
        QVERIFY(m_atspi->doAction(autoShow->ref));
        QUOR_TRY_VERIFY(message(*studio, QStringLiteral("notification"),
                                QStringLiteral("Auto-Zub paused (Ctrl+Alt+A manual trigger still active)."), 2));

        const std::optional<AtSpiRef> sheet = openVersionAndLogs(app, *studio);
        QVERIFY(sheet.has_value());
        const QList<Node> inSheet = controlsOf(*sheet, faults);
        const Node* feedback = named(inSheet, QStringLiteral("push button"), QStringLiteral("Send Feedback"));
        QVERIFY(feedback != nullptr);
        QVERIFY(m_atspi->doAction(feedback->ref));
        std::optional<AtSpiRef> notice;
        QUOR_TRY_VERIFY((notice = m_atspi->window(app, kNoticeTitle)).has_value());
        QVERIFY2(message(*notice, QStringLiteral("alert message"),
                         QStringLiteral("Your web browser could not be opened. Copy this address and open it in a browser:"), 2),
                 qPrintable(dump(*notice)));
        QList<Node> controls;
        expectNoFaults(*notice, QStringLiteral("browser notice"), &controls);
        const Node* copy = named(controls, QStringLiteral("push button"), QStringLiteral("Copy Address"));
        QVERIFY(copy != nullptr);
        QUOR_TRY_VERIFY((m_atspi->states(copy->ref) >> AtSpiWalker::focusedState) & 1U);
        QCOMPARE(launcher.addresses().size(), 1);

        QUOR_TRY_VERIFY(isActive(zub, kNoticeTitle));
        m_input.key("Escape");
        QUOR_TRY_VERIFY(!m_windows.find(zub.pid(), kNoticeTitle).has_value());
        QUOR_TRY_VERIFY(isActive(zub, kLogsTitle));
        QVERIFY(m_atspi->window(app, kLogsTitle).has_value());
    }

    void theFeedbackSheet()
    {
        QProcess host;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        host.setProcessEnvironment(environment);
        host.start(QStringLiteral(QUOR_FEEDBACK_SHEET_HOST_PATH), {});
        QVERIFY(host.waitForStarted(5000));
        const QString title = QStringLiteral("Feedback");
        QTRY_VERIFY_WITH_TIMEOUT(m_windows.find(host.processId(), title).has_value(), 15000);
        QUOR_TRY_COMPARE(m_windows.activeWindow(), m_windows.find(host.processId(), title)->window);
        QTRY_VERIFY_WITH_TIMEOUT(m_atspi->application(host.processId()).has_value(), 15000);
        std::optional<AtSpiRef> sheet;
        QUOR_TRY_VERIFY((sheet = m_atspi->window(*m_atspi->application(host.processId()), title)).has_value());
        QList<Node> controls;
        expectNoFaults(*sheet, QStringLiteral("feedback sheet"), &controls);
        const Node* feature = named(controls, QStringLiteral("radio button"), QStringLiteral("Feature & Improvement"));
        QVERIFY(feature != nullptr && feature->isChosen());
        expectReachable(*sheet, controls, QStringLiteral("feedback sheet"));
        m_input.key("Escape");
        QVERIFY(host.waitForFinished(10000));
    }
};

QUOR_TEST_MAIN(TestQuorZubAccessibility)
#include "tst_quorzubaccessibility.moc"
