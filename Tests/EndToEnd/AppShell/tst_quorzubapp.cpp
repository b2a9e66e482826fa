#include "QuorZubBarDriver.h"
#include "QuorZubHarness.h"

#include "QuorZubCoreTests/SelectionWatcher/X11TestDriver.h"

#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"
#include "QuorZubCore/Models/ZubConfig.h"

#include "Support/QuorTestProcesses.h"
#include "Support/QuorTestSupport.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QThread>
#include <QWidget>
#include <QtTest>

#include <algorithm>
#include <csignal>

#include <signal.h>

namespace {
using quorzub_bar::barControl;
using quorzub_bar::resultOf;
using quorzub_bar::testConfig;
const QString kStudioTitle = quorzub_bar::studioTitle;
const QString kBarTitle = quorzub_bar::barTitle;
const QString kTrayTitle = QStringLiteral("QuorZub");

ZubActionDefinition actionOf(const ZubConfig& config, ZubActionKind kind)
{
    const QList<ZubActionDefinition> actions = config.enabledActions();
    return *std::find_if(actions.begin(), actions.end(), [kind](const ZubActionDefinition& a) { return a.kind == kind; });
}

QString clipboardText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    return data != nullptr ? data->text() : QString();
}

// What the editor reads from its clipboard, less the list of formats (whoever serves an image
// offers its own list of conversions).
QJsonObject clipboardContent(TestEditor& editor)
{
    QJsonObject content = editor.command("dump-clipboard");
    content.remove(QStringLiteral("formats"));
    return content;
}

// The test's own notification service on the session bus: records what programs ask it to show.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown {
        QString summary;
        QString body;
        int timeout = 0;
    };
    QList<Shown> shown;

public slots:
    uint Notify(const QString& /*app*/, uint replaces, const QString& /*icon*/, const QString& summary, const QString& body,
                const QStringList& /*actions*/, const QVariantMap& /*hints*/, int timeout)
    {
        shown.append({summary, body, timeout});
        return replaces != 0 ? replaces : static_cast<uint>(shown.size());
    }
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("body-markup")}; }
    void CloseNotification(uint /*id*/) {}
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion)
    {
        vendor = QStringLiteral("test");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("quor-test-notifications");
    }
};

// The clipboard manager helper, running until it goes out of scope.
class ClipboardManager {
public:
    ClipboardManager()
    {
        quorEndWithThisProcess(m_process);
        m_process.start(QStringLiteral(QUOR_CLIPBOARD_MANAGER_PATH), {});
        m_ready = m_process.waitForReadyRead(quorPatienceMs) && m_process.readLine().trimmed() == "ready";
    }
    ~ClipboardManager()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
    bool isReady() const { return m_ready; }
    // The count of formats taken over, once a hand-over happened.
    std::optional<int> saved()
    {
        m_output += m_process.readAll();
        const qsizetype at = m_output.indexOf("saved ");
        return at < 0 ? std::nullopt : std::optional<int>(m_output.mid(at + 6).split('\n').value(0).toInt());
    }

private:
    QProcess m_process;
    QByteArray m_output;
    bool m_ready = false;
};

qint64 median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values[values.size() / 2];
}
} // namespace

// The real program on the test display, used through a helper editor as a person would: select,
// click the bar, copy, replace, the hot key, a second start.
class TestQuorZubApp : public QObject {
    Q_OBJECT

private:
    X11Windows m_windows;
    X11TestDriver m_input;

    std::optional<X11Windows::Client> bar(const QuorZubInstance& zub) const { return m_windows.find(zub.pid(), kBarTitle); }


    // Drags across the whole text and returns how long the bar took to be on screen after the release.
    std::optional<qint64> selectAll(const QuorZubInstance& zub, const TestEditor& editor, int length)
    {
        m_input.drag(editor.boundary(0), editor.boundary(length));
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < quorPatience.count()) {
            if (bar(zub)) {
                return clock.elapsed();
            }
            QThread::usleep(500);
        }
        return std::nullopt;
    }

    void waitForHistory(const QuorZubInstance& zub, qsizetype count)
    {
        QUOR_TRY_COMPARE(zub.history().size(), count);
    }

    // The bar grown into the card of the result `record` holds (the history has it before the card
    // is up).
    X11Windows::Client expandedBar(const QuorZubInstance& zub, const ZubConfig& config, const QJsonObject& record)
    {
        return quorzub_bar::waitForBar(zub, m_windows, config, resultOf(record)).value_or(X11Windows::Client{});
    }


private slots:
    void initTestCase() { QVERIFY(m_input.isReady()); }

    void selectingTextShowsTheBarAndItsActionsWork()
    {
        const ZubConfig config = testConfig({ZubActionKind::calculate, ZubActionKind::plainCopy});
        QuorZubInstance zub;
        zub.writeConfig(QJsonDocument(config.toJson()).toJson());
        QVERIFY2(zub.start().has_value(), zub.output().constData());
        QVERIFY2(quorzub_bar::waitUntilLaunched(zub, m_windows), "the studio did not come up and take the focus");
        TestEditor editor({QStringLiteral("--text"), QStringLiteral("200 + 10%"), QStringLiteral("--at"),
                           QStringLiteral("40,120")});
        QVERIFY(editor.waitUntilReady());
        const QString text = QStringLiteral("200 + 10%");

        QList<qint64> releaseToBar;
        for (int round = 0; round < 5; ++round) {
            const auto shownAfter = selectAll(zub, editor, 9);
            QVERIFY2(shownAfter.has_value(), qPrintable(QStringLiteral("no bar in round %1").arg(round)));
            releaseToBar.append(*shownAfter);
            // A click elsewhere dismisses it (again, as a person would, should a busy desktop lose it).
            QVERIFY(quorRetryUntil([&] { m_input.click(editor.blankArea()); }, [&] { return !bar(zub).has_value(); }));
        }
        qInfo("mouse release to bar visible, median of 5: %lld ms", static_cast<long long>(median(releaseToBar)));

        QVERIFY(selectAll(zub, editor, 9).has_value());
        const auto shownBar = quorzub_bar::waitForBar(zub, m_windows, config);
        QVERIFY(shownBar);
        const X11Windows::Client shown = *shownBar;
        QVERIFY2(shown.geometry.bottom() < editor.boundary(9).y(), "the bar sits above the selection");
        const QString calculate = QStringLiteral("pill:") + actionOf(config, ZubActionKind::calculate).id.toString(QUuid::WithoutBraces);
        m_input.click(barControl(shown, config, text, calculate));
        waitForHistory(zub, 1);
        const QJsonObject record = zub.history().at(0).toObject();
        QCOMPARE(record.value(QStringLiteral("actionKind")).toString(), QStringLiteral("calculate"));
        QCOMPARE(record.value(QStringLiteral("inputText")).toString(), text);
        QVERIFY2(record.value(QStringLiteral("outputText")).toString().contains(QStringLiteral("220")),
                 qPrintable(record.value(QStringLiteral("outputText")).toString()));
        QCOMPARE(zub.logMessages(QStringLiteral("Executing floating action 'calculate' (inputChars=9)")).size(), 1);
        QCOMPARE(zub.logMessages(QStringLiteral("Completed floating action 'calculate'")).size(), 1);

        // Copy puts the result on the clipboard.
        const X11Windows::Client expanded = expandedBar(zub, config, record);
        m_input.click(barControl(expanded, config, text, QStringLiteral("copyButton"), resultOf(record)));
        QUOR_TRY_COMPARE(clipboardText(), record.value(QStringLiteral("outputText")).toString());

        // Plain Copy copies the selection itself.
        const QString plainCopy = QStringLiteral("pill:") + actionOf(config, ZubActionKind::plainCopy).id.toString(QUuid::WithoutBraces);
        m_input.click(barControl(expanded, config, text, plainCopy));
        waitForHistory(zub, 2);
        QCOMPARE(zub.history().at(0).toObject().value(QStringLiteral("actionKind")).toString(), QStringLiteral("plainCopy"));
        QUOR_TRY_COMPARE(clipboardText(), text);
    }

    // The bar works on the selection without the white space around it; the replacement gets that
    // white space back, so a double-click's trailing space or a line's break stays in the document.
    void replacePastesTheResultOverTheSelection_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("after");
        QTest::newRow("the whole line") << QStringLiteral("hello quiet world") << 17 << QStringLiteral("Hello Quiet World")
                                        << QStringLiteral("Hello Quiet World");
        QTest::newRow("a word with its space") << QStringLiteral("hello quiet world") << 6 << QStringLiteral("Hello")
                                               << QStringLiteral("Hello quiet world");
        QTest::newRow("a line with its line break") << QStringLiteral("hello\nquiet world") << 6
                                                    << QStringLiteral("Hello") << QStringLiteral("Hello\nquiet world");
    }

    void replacePastesTheResultOverTheSelection()
    {
        QFETCH(QString, text);
        QFETCH(int, selected);
        QFETCH(QString, output);
        QFETCH(QString, after);
        const ZubConfig config = testConfig({ZubActionKind::caseTransform});
        QuorZubInstance zub;
        zub.writeConfig(QJsonDocument(config.toJson()).toJson());
        QVERIFY2(zub.start().has_value(), zub.output().constData());
        QVERIFY2(quorzub_bar::waitUntilLaunched(zub, m_windows), "the studio did not come up and take the focus");
        TestEditor editor({QStringLiteral("--text"), text, QStringLiteral("--at"), QStringLiteral("40,120")});
        QVERIFY(editor.waitUntilReady());
        QCOMPARE(editor.command("set-clipboard-rich").value(QStringLiteral("reply")).toString(),
                 QStringLiteral("set-clipboard-rich"));
        const QJsonObject before = clipboardContent(editor);

        QVERIFY(selectAll(zub, editor, selected).has_value());
        const auto shown = quorzub_bar::waitForBar(zub, m_windows, config);
        QVERIFY(shown);
        const QString shownText = text.left(selected).trimmed();
        const QString caseTransform =
            QStringLiteral("pill:") + actionOf(config, ZubActionKind::caseTransform).id.toString(QUuid::WithoutBraces);
        m_input.click(barControl(*shown, config, shownText, caseTransform));
        waitForHistory(zub, 1);
        const QJsonObject record = zub.history().at(0).toObject();
        QCOMPARE(record.value(QStringLiteral("inputText")).toString(), shownText);
        QCOMPARE(record.value(QStringLiteral("outputText")).toString(), output);

        m_input.click(barControl(expandedBar(zub, config, record), config, shownText, QStringLiteral("replaceButton"),
                                 resultOf(record)));
        const auto pasted = editor.waitForEvent(QStringLiteral("pasted"), quorPatience);
        QVERIFY(pasted.has_value());
        // The selections here start with their text: what trimming took off is at their end.
        QCOMPARE(pasted->value(QStringLiteral("text")).toString(), output + text.left(selected).sliced(shownText.size()));
        QUOR_TRY_COMPARE(editor.command("text").value(QStringLiteral("value")).toString(), after);
        QUOR_TRY_VERIFY(!bar(zub).has_value());
        // The editor's own clipboard is back: its text, rich text, image and private data.
        QUOR_TRY_COMPARE(clipboardContent(editor), before);
        if (selected != text.size()) {
            return;
        }

        // Ended by SIGTERM (logout, shutdown), the program quits in order: the clipboard it serves
        // now goes to the clipboard manager, which serves it on.
        ClipboardManager manager;
        QVERIFY(manager.isReady());
        ::kill(static_cast<pid_t>(zub.pid()), SIGTERM);
        QUOR_TRY_VERIFY(!zub.isRunning());
        QVERIFY(zub.exitedNormally());
        QUOR_TRY_VERIFY(manager.saved().value_or(0) > 0);
        QCOMPARE(clipboardContent(editor), before);
        QCOMPARE(zub.history().size(), 1);
    }

    void theHotKeyShowsTheBarForTheCurrentSelection()
    {
        const ZubConfig config = testConfig({ZubActionKind::plainCopy}, false);
        QuorZubInstance zub;
        zub.writeConfig(QJsonDocument(config.toJson()).toJson());
        QVERIFY2(zub.start().has_value(), zub.output().constData());
        QVERIFY2(quorzub_bar::waitUntilLaunched(zub, m_windows), "the studio did not come up and take the focus");
        const QString text = QStringLiteral("hot key words");
        TestEditor editor({QStringLiteral("--text"), text, QStringLiteral("--at"), QStringLiteral("40,120")});
        QVERIFY(editor.waitUntilReady());

        // Automatic showing is off: a selection alone shows nothing.
        m_input.drag(editor.boundary(0), editor.boundary(static_cast<int>(text.size())));
        QTest::qWait(600);
        QVERIFY(!bar(zub).has_value());

        m_input.key("ctrl+alt+a");
        QUOR_TRY_VERIFY(bar(zub).has_value());
        const QString plainCopy = QStringLiteral("pill:") + actionOf(config, ZubActionKind::plainCopy).id.toString(QUuid::WithoutBraces);
        m_input.click(barControl(*bar(zub), config, text, plainCopy));
        waitForHistory(zub, 1);
        QCOMPARE(zub.history().at(0).toObject().value(QStringLiteral("inputText")).toString(), text);
    }

    // A terminal emulator no list names, with a mouse-aware program inside: the drag stays with the
    // program, so PRIMARY is stale on both roads. Neither the drag nor the hot key sends the
    // terminal a key (no Ctrl+C, no interrupt byte to the program), and the log says why.
    void aTerminalNoListNamesIsSentNoKeys()
    {
        const ZubConfig config = testConfig({ZubActionKind::plainCopy});
        QuorZubInstance zub;
        zub.writeConfig(QJsonDocument(config.toJson()).toJson());
        QVERIFY2(zub.start().has_value(), zub.output().constData());
        QVERIFY2(quorzub_bar::waitUntilLaunched(zub, m_windows), "the studio did not come up and take the focus");
        const QString text = QStringLiteral("top with mouse mode");
        TestEditor terminal({QStringLiteral("--class"), QStringLiteral("QuorPtyHost"), QStringLiteral("--terminal"),
                             QStringLiteral("--no-primary"), QStringLiteral("--text"), text, QStringLiteral("--at"),
                             QStringLiteral("40,120")});
        QVERIFY(terminal.waitUntilReady());

        m_input.drag(terminal.boundary(0), terminal.boundary(static_cast<int>(text.size())));
        QUOR_TRY_VERIFY(!zub.logMessages(QStringLiteral("No copy keys sent to quorptyhost/QuorPtyHost")).isEmpty());
        QVERIFY(zub.logMessages(QStringLiteral("No copy keys sent to"))
                    .first()
                    .contains(QStringLiteral("its process holds a pseudo-terminal")));
        QVERIFY(!bar(zub).has_value());

        // The hot key finds no selection either and falls back to the clipboard's text.
        terminal.command("set-clipboard-text " + QStringLiteral("clip words").toUtf8().toBase64());
        m_input.key("ctrl+alt+a");
        QUOR_TRY_VERIFY(bar(zub).has_value());
        QCOMPARE(terminal.command("keys").value(QStringLiteral("keys")).toArray(), QJsonArray());
        QCOMPARE(terminal.command("pty-input").value(QStringLiteral("hex")).toString(), QString());
    }

    void screenTextIsRecognizedAndTranslated()
    {
        const ZubConfig config = testConfig({ZubActionKind::plainCopy});
        QuorZubInstance zub;
        zub.writeConfig(QJsonDocument(config.toJson()).toJson());
        QVERIFY2(zub.start().has_value(), zub.output().constData());
        QVERIFY2(quorzub_bar::waitUntilLaunched(zub, m_windows), "the studio did not come up and take the focus");
        const QString text = QStringLiteral("Hello from the screen");
        TestEditor editor({QStringLiteral("--text"), text, QStringLiteral("--at"), QStringLiteral("40,120")});
        QVERIFY(editor.waitUntilReady());

        m_input.key("ctrl+alt+shift+o");
        // The region tool is ready once it holds the pointer, and misses steps that come too fast.
        QUOR_TRY_VERIFY(m_input.pointerGrabbedElsewhere());
        const QPoint from = editor.boundary(0) + QPoint(-12, -30);
        const QPoint to = editor.boundary(static_cast<int>(text.size())) + QPoint(12, 30);
        using std::chrono::milliseconds;
        PointerGesture drag;
        drag.move(from).press(milliseconds(150));
        for (int step = 1; step <= 8; ++step) {
            drag.move(from + (to - from) * step / 8, milliseconds(150));
        }
        m_input.perform(drag.release(milliseconds(150)));

        // Reading the region takes longer than any other action here, the more so on a busy machine.
        QTRY_VERIFY2_WITH_TIMEOUT(zub.history().size() == 1,
                                  m_input.pointerGrabbedElsewhere() ? "the region tool still waits for a drag"
                                                                    : "the region was chosen",
                                  3 * quorPatienceMs);
        const QJsonObject record = zub.history().at(0).toObject();
        QCOMPARE(record.value(QStringLiteral("actionKind")).toString(), QStringLiteral("translate"));
        QCOMPARE(record.value(QStringLiteral("inputText")).toString(), text);
        // Dragging out the region was no text selection: nothing was copied from the editor.
        QCOMPARE(editor.command("keys").value(QStringLiteral("keys")).toArray(), QJsonArray());
        QCOMPARE(zub.logMessages(QStringLiteral("Screen OCR recognized 21 char(s); routing to translate")).size(), 1);
        QCOMPARE(zub.logMessages(QStringLiteral("Started interactive screen OCR capture")).size(), 1);
    }

    void manyActionsKeepMemoryFlat()
    {
        const ZubConfig config = testConfig({ZubActionKind::calculate});
        QuorZubInstance zub;
        zub.writeConfig(QJsonDocument(config.toJson()).toJson());
        QVERIFY2(zub.start().has_value(), zub.output().constData());
        QVERIFY2(quorzub_bar::waitUntilLaunched(zub, m_windows), "the studio did not come up and take the focus");
        const QString text = QStringLiteral("200 + 10%");
        TestEditor editor({QStringLiteral("--text"), text, QStringLiteral("--at"), QStringLiteral("40,120")});
        QVERIFY(editor.waitUntilReady());
        QVERIFY(selectAll(zub, editor, 9).has_value());
        const QString calculate = QStringLiteral("pill:") + actionOf(config, ZubActionKind::calculate).id.toString(QUuid::WithoutBraces);
        const QPoint pill = barControl(*bar(zub), config, text, calculate);
        m_input.click(pill);
        waitForHistory(zub, 1);
        quorSpin(std::chrono::milliseconds(1000));
        const qint64 idle = zub.residentKilobytes();
        // The pill row stays where it was above the result card.
        for (int run = 2; run <= 200; ++run) {
            m_input.click(pill);
            QUOR_TRY_COMPARE(zub.logMessages(QStringLiteral("Completed floating action")).size(), run);
        }
        waitForHistory(zub, 200);
        quorSpin(std::chrono::milliseconds(1000));
        const qint64 after = zub.residentKilobytes();
        qInfo("resident memory after one action: %lld kB, after 200: %lld kB (growth %lld kB)",
              static_cast<long long>(idle), static_cast<long long>(after), static_cast<long long>(after - idle));
#ifndef __SANITIZE_ADDRESS__
        QVERIFY(after - idle < 15 * 1024);
#endif
    }

    void theTrayIconOpensItsWindowAndQuits()
    {
        QProcess tray;
        QVERIFY2(startTrayHost(tray), "trayer is part of the test packages");
        QuorZubInstance zub;
        zub.writeConfig(QJsonDocument(testConfig({ZubActionKind::plainCopy}).toJson()).toJson());
        QVERIFY2(zub.start().has_value(), zub.output().constData());
        QVERIFY2(quorzub_bar::waitUntilLaunched(zub, m_windows), "the studio did not come up and take the focus");

        QUOR_TRY_VERIFY(m_windows.embeddedWindow(zub.pid()).has_value());
        // With the icon in a tray, a second start still brings a closed studio back.
        m_windows.requestClose(m_windows.find(zub.pid(), kStudioTitle)->window);
        QUOR_TRY_VERIFY(!m_windows.find(zub.pid(), kStudioTitle).has_value());
        QCOMPARE(zub.startAgain(), 0);
        QUOR_TRY_VERIFY(m_windows.find(zub.pid(), kStudioTitle).has_value());

        const QRect icon = *m_windows.embeddedWindow(zub.pid());
        const auto trayWindow = [&] { return m_windows.find(zub.pid(), kTrayTitle); };
        // Clicked again, as a person would, should a busy desktop lose the click.
        const auto openTrayWindow = [&] {
            return quorRetryUntil([&] { m_input.click(icon.center()); }, [&] { return trayWindow().has_value(); }, 3,
                                  std::chrono::seconds(10));
        };
        QVERIFY(openTrayWindow());
        // It takes the keyboard (past the opening click), and Escape closes it.
        QTest::qWait(700);
        QUOR_TRY_COMPARE(m_windows.activeWindow(), trayWindow()->window);
        m_input.key("Escape");
        QUOR_TRY_VERIFY(!trayWindow().has_value());
        // Not at once: a click that closes the window must not open it again.
        QTest::qWait(300);
        QVERIFY(openTrayWindow());
        const QRect popup = trayWindow()->geometry;
        QCOMPARE(popup.width(), 310);
        // Under the icon of a panel at the top of the screen.
        QVERIFY(popup.top() > icon.bottom());
        QVERIFY(popup.left() <= icon.center().x() && icon.center().x() <= popup.right());

        // Quit sits at the right end of the footer.
        m_input.click(QPoint(popup.right() - 24, popup.bottom() - 27));
        QUOR_TRY_VERIFY(!zub.isRunning());
        tray.terminate();
        tray.waitForFinished(3000);
    }

    void aFailureWithTheStudioClosedBecomesADesktopNotification()
    {
        NotificationServer server;
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server, QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
        // Nothing selected and nothing to fall back on.
        QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
        QGuiApplication::clipboard()->clear(QClipboard::Selection);

        QuorZubInstance zub;
        zub.writeConfig(QJsonDocument(testConfig({ZubActionKind::plainCopy}).toJson()).toJson());
        QVERIFY2(zub.start().has_value(), zub.output().constData());
        QVERIFY2(quorzub_bar::waitUntilLaunched(zub, m_windows), "the studio did not come up and take the focus");
        // While the studio is open, its own toast says it.
        m_input.key("ctrl+alt+a");
        quorSpin(std::chrono::milliseconds(1500));
        QVERIFY(server.shown.isEmpty());

        m_windows.requestClose(m_windows.find(zub.pid(), kStudioTitle)->window);
        QUOR_TRY_VERIFY(!m_windows.find(zub.pid(), kStudioTitle).has_value());
        m_input.key("ctrl+alt+a");
        QUOR_TRY_COMPARE(server.shown.size(), 1);
        QCOMPARE(server.shown[0].summary, QStringLiteral("QuorZub"));
        QCOMPARE(server.shown[0].body, QStringLiteral("No selected text or clipboard text found."));
        QVERIFY(server.shown[0].timeout > 2000);

        // Opened again, the rebuilt window takes its messages back; closed again, they go to the
        // desktop once more.
        QCOMPARE(zub.startAgain(), 0);
        QUOR_TRY_VERIFY(m_windows.find(zub.pid(), kStudioTitle).has_value());
        m_input.key("ctrl+alt+a");
        quorSpin(std::chrono::milliseconds(1500));
        QCOMPARE(server.shown.size(), 1);
        m_windows.requestClose(m_windows.find(zub.pid(), kStudioTitle)->window);
        QUOR_TRY_VERIFY(!m_windows.find(zub.pid(), kStudioTitle).has_value());
        m_input.key("ctrl+alt+a");
        QUOR_TRY_COMPARE(server.shown.size(), 2);
        bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    }

    void aSecondLaunchBringsTheStudioForward()
    {
        QuorZubInstance zub;
        zub.writeConfig(QJsonDocument(testConfig({ZubActionKind::plainCopy}).toJson()).toJson());
        const auto started = zub.start();
        QVERIFY2(started.has_value(), zub.output().constData());
        qInfo("cold start to tray icon and hot keys ready: %lld ms", static_cast<long long>(started->count()));
        QUOR_TRY_VERIFY(m_windows.find(zub.pid(), kStudioTitle).has_value());
        quorSpin(std::chrono::milliseconds(1500));
        qInfo("resident memory after start, idle: %lld kB", static_cast<long long>(zub.residentKilobytes()));

        // Closed, the window goes; the program keeps running.
        m_windows.requestClose(m_windows.find(zub.pid(), kStudioTitle)->window);
        QUOR_TRY_VERIFY(!m_windows.find(zub.pid(), kStudioTitle).has_value());
        QVERIFY(zub.isRunning());
        QElapsedTimer reopening;
        reopening.start();
        QCOMPARE(zub.startAgain(), 0);
        QUOR_TRY_VERIFY(m_windows.find(zub.pid(), kStudioTitle).has_value());
        qInfo("second start to the closed studio on screen again: %lld ms", static_cast<long long>(reopening.elapsed()));
        const unsigned long studio = m_windows.find(zub.pid(), kStudioTitle)->window;
        QUOR_TRY_COMPARE(m_windows.activeWindow(), studio);

        // Behind another application's window, it comes to the front.
        QWidget other;
        other.setWindowTitle(QStringLiteral("another application"));
        other.resize(600, 400);
        other.show();
        other.activateWindow();
        QUOR_TRY_VERIFY(m_windows.activeWindow() != studio);
        QCOMPARE(zub.startAgain(), 0);
        QUOR_TRY_COMPARE(m_windows.activeWindow(), studio);
        QCOMPARE(zub.logMessages(QStringLiteral(" launched (")).size(), 1);
        QVERIFY(zub.isRunning());
    }
};

QUOR_TEST_MAIN(TestQuorZubApp)
#include "tst_quorzubapp.moc"
