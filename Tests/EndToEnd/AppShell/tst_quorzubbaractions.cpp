#include "QuorZubBarDriver.h"
#include "QuorZubHarness.h"

#include "QuorZubCoreTests/SelectionWatcher/X11TestDriver.h"

#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"
#include "QuorZubCore/Models/ZubConfig.h"

#include "Support/QuorTestSupport.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <QWidget>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {
using quorzub_bar::barControl;
using quorzub_bar::resultOf;
using quorzub_bar::testConfig;
const QString kStudioTitle = quorzub_bar::studioTitle;
const QString kBarTitle = quorzub_bar::barTitle;

QString pillName(const ZubConfig& config, ZubActionKind kind)
{
    const QList<ZubActionDefinition> actions = config.enabledActions();
    const auto found =
        std::find_if(actions.begin(), actions.end(), [kind](const ZubActionDefinition& a) { return a.kind == kind; });
    return found == actions.end() ? QString() : QStringLiteral("pill:") + found->id.toString(QUuid::WithoutBraces);
}

QString field(const QJsonObject& record, const char* name)
{
    return record.value(QLatin1String(name)).toString();
}
} // namespace

// The bar's other actions in the real program, clicked as a person would: what each leaves in the
// history, what reaches the clipboard or the desktop's URL opener, and that speaking without an
// audio device neither crashes nor stalls the program.
class TestQuorZubBarActions : public QObject {
    Q_OBJECT

private:
    X11Windows m_windows;
    X11TestDriver m_input;

    std::optional<X11Windows::Client> bar(const QuorZubInstance& zub) const { return m_windows.find(zub.pid(), kBarTitle); }


    // Starts the program with `config` and an editor holding `text`, once the studio has taken and
    // given back the focus.
    void launch(QuorZubInstance& zub, const ZubConfig& config)
    {
        zub.writeConfig(QJsonDocument(config.toJson()).toJson());
        QVERIFY2(zub.start().has_value(), zub.output().constData());
        QVERIFY2(quorzub_bar::waitUntilLaunched(zub, m_windows), "the studio did not come up and take the focus");
    }

    // The helper editor holding `text`, focused; nothing when it did not come up.
    static std::unique_ptr<TestEditor> editorWith(const QString& text)
    {
        auto editor = std::make_unique<TestEditor>(
            QStringList{QStringLiteral("--text"), text, QStringLiteral("--at"), QStringLiteral("40,120")});
        return editor->waitUntilReady() ? std::move(editor) : nullptr;
    }

    // Drags across the editor's whole text and waits for the bar's pill row.
    void selectAll(const QuorZubInstance& zub, const TestEditor& editor, const ZubConfig& config, const QString& text)
    {
        m_input.drag(editor.boundary(0), editor.boundary(static_cast<int>(text.size())));
        QVERIFY(quorzub_bar::waitForBar(zub, m_windows, config));
    }

    // Clicks the action's pill on the bar and returns the record it added to the history.
    QJsonObject run(const QuorZubInstance& zub, const ZubConfig& config, ZubActionKind kind, const QString& text)
    {
        const qsizetype before = zub.history().size();
        const std::optional<X11Windows::Client> shown = bar(zub);
        if (!shown) {
            qWarning("no bar to run %s from", qPrintable(ZubActionKinds::rawValue(kind)));
            return {};
        }
        m_input.click(barControl(*shown, config, text, pillName(config, kind)));
        if (!quorWaitFor([&] { return zub.history().size() == before + 1; })) {
            qWarning("no history record for %s", qPrintable(ZubActionKinds::rawValue(kind)));
            return {};
        }
        return zub.history().at(0).toObject();
    }

    // The bar grown into the card of `result` (the history has it before the card is up).
    X11Windows::Client expandedBar(const QuorZubInstance& zub, const ZubConfig& config, const ZubExecutionResult& result)
    {
        return quorzub_bar::waitForBar(zub, m_windows, config, result).value_or(X11Windows::Client{});
    }

private slots:
    void initTestCase() { QVERIFY(m_input.isReady()); }

    void offlineActionsRecordTheirResults()
    {
        const ZubConfig config =
            testConfig({ZubActionKind::wordStats, ZubActionKind::cleanURL, ZubActionKind::dictionary, ZubActionKind::qrCode});
        QuorZubInstance zub;
        launch(zub, config);
        const QString prose = QStringLiteral("Five small words here. And two.");
        const std::unique_ptr<TestEditor> started = editorWith(prose);
        QVERIFY(started);
        TestEditor& editor = *started;

        const auto select = [&](const QString& text) {
            // A click elsewhere dismisses the bar (again, as a person would, should a busy desktop lose it).
            if (bar(zub)) {
                QVERIFY(quorRetryUntil([&] { m_input.click(editor.blankArea()); }, [&] { return !bar(zub).has_value(); }));
            }
            editor.command("set-text " + text.toUtf8().toBase64());
            selectAll(zub, editor, config, text);
        };

        select(prose);
        QJsonObject record = run(zub, config, ZubActionKind::wordStats, prose);
        QCOMPARE(field(record, "actionKind"), QStringLiteral("wordStats"));
        QCOMPARE(field(record, "inputText"), prose);
        QVERIFY2(field(record, "outputText").contains(QStringLiteral("Words: 6")), qPrintable(field(record, "outputText")));
        QVERIFY2(field(record, "outputText").contains(QStringLiteral("Sentences: 2")),
                 qPrintable(field(record, "outputText")));

        const QString link = QStringLiteral("https://example.com/shop/item?id=42&utm_source=news&utm_medium=mail&color=red");
        select(link);
        record = run(zub, config, ZubActionKind::cleanURL, link);
        QCOMPARE(field(record, "actionKind"), QStringLiteral("cleanURL"));
        const QUrl cleaned(field(record, "outputText"));
        QVERIFY2(!field(record, "outputText").contains(QStringLiteral("utm_")), qPrintable(field(record, "outputText")));
        QCOMPARE(cleaned.adjusted(QUrl::RemoveQuery), QUrl(QStringLiteral("https://example.com/shop/item")));
        // The parameters that carry meaning stay, in their order.
        QCOMPARE(QUrlQuery(cleaned).queryItems(),
                 (QList<std::pair<QString, QString>>{{QStringLiteral("id"), QStringLiteral("42")},
                                                      {QStringLiteral("color"), QStringLiteral("red")}}));

        // WordNet knows a house as a dwelling.
        select(QStringLiteral("house"));
        record = run(zub, config, ZubActionKind::dictionary, QStringLiteral("house"));
        QCOMPARE(field(record, "actionKind"), QStringLiteral("dictionary"));
        QVERIFY(!record.value(QStringLiteral("isError")).toBool());
        QVERIFY2(field(record, "outputText").contains(QStringLiteral("dwelling")), qPrintable(field(record, "outputText")));

        // An unknown word is a miss, recorded as an error rather than an empty definition.
        select(QStringLiteral("zqxvorbletz"));
        record = run(zub, config, ZubActionKind::dictionary, QStringLiteral("zqxvorbletz"));
        QVERIFY(record.value(QStringLiteral("isError")).toBool());
        QVERIFY2(field(record, "outputText").contains(QStringLiteral("zqxvorbletz")), qPrintable(field(record, "outputText")));

        // The QR card's Copy puts the code itself, a square image, on the clipboard.
        const QString payload = QStringLiteral("https://example.com/a");
        select(payload);
        record = run(zub, config, ZubActionKind::qrCode, payload);
        QCOMPARE(field(record, "actionKind"), QStringLiteral("qrCode"));
        QVERIFY(!record.value(QStringLiteral("isError")).toBool());
        QVERIFY2(field(record, "outputText").contains(QStringLiteral("21 chars")), qPrintable(field(record, "outputText")));
        ZubExecutionResult shownResult = resultOf(record);
        // The card lays out around the image; any image of the code's kind places the buttons alike.
        shownResult.qrPNGData = ZubOfflineTextEngine::generateQRCodePNG(payload, 10.0);
        QGuiApplication::clipboard()->clear();
        m_input.click(barControl(expandedBar(zub, config, shownResult), config, payload, QStringLiteral("copyButton"),
                                 shownResult));
        QUOR_TRY_VERIFY(!QGuiApplication::clipboard()->image().isNull());
        const QImage code = QGuiApplication::clipboard()->image();
        QCOMPARE(code.width(), code.height());
        QVERIFY(code.width() >= 21);
        QCOMPARE(zub.history().size(), 5);
    }

    void webSearchOpensTheSearchAddressInTheBrowser()
    {
        // The desktop's URL opener, replaced by one that notes what it was asked to open.
        QTemporaryDir opener;
        const QString openedPath = opener.filePath(QStringLiteral("opened"));
        QFile script(opener.filePath(QStringLiteral("xdg-open")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + openedPath.toUtf8() + "'\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        const ZubConfig config = testConfig({ZubActionKind::openWebSearch});
        QuorZubInstance zub;
        zub.setEnvironmentVariable(QStringLiteral("PATH"), opener.path() + u':' + qEnvironmentVariable("PATH"));
        launch(zub, config);
        const QString text = QStringLiteral("C++ move & copy");
        const std::unique_ptr<TestEditor> started = editorWith(text);
        QVERIFY(started);
        TestEditor& editor = *started;
        selectAll(zub, editor, config, text);

        const QJsonObject record = run(zub, config, ZubActionKind::openWebSearch, text);
        QCOMPARE(field(record, "actionKind"), QStringLiteral("openWebSearch"));
        QUOR_TRY_VERIFY(QFile::exists(openedPath));
        QFile opened(openedPath);
        QVERIFY(opened.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = opened.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 1);
        const QByteArray address = lines.first();
        QVERIFY2(address.startsWith("https://"), address.constData());
        // "+" and "&" arrive encoded: the search is for what was selected, not "C  move" and a stray parameter.
        QVERIFY2(address.contains("q=C%2B%2B%20move%20%26%20copy"), address.constData());
        QCOMPARE(QUrlQuery(QUrl::fromEncoded(address)).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded), text);
        QCOMPARE(QString::fromUtf8(address), field(record, "outputText"));
        // The browser takes over: the bar goes.
        QUOR_TRY_VERIFY(!bar(zub).has_value());
    }

    void speakingWithoutAnAudioDeviceSaysWhyAndCarriesOn()
    {
        // No sound server and an audio library configuration without devices, whatever this machine has.
        QTemporaryDir audio;
        QFile emptyConfiguration(audio.filePath(QStringLiteral("asound.conf")));
        QVERIFY(emptyConfiguration.open(QIODevice::WriteOnly));
        emptyConfiguration.close();
        const ZubConfig config = testConfig({ZubActionKind::caseTransform});
        QuorZubInstance zub;
        zub.setEnvironmentVariable(QStringLiteral("ALSA_CONFIG_PATH"), emptyConfiguration.fileName());
        zub.setEnvironmentVariable(QStringLiteral("PULSE_SERVER"), audio.filePath(QStringLiteral("no-server")));
        launch(zub, config);
        const QString text = QStringLiteral("hello quiet world");
        const std::unique_ptr<TestEditor> started = editorWith(text);
        QVERIFY(started);
        TestEditor& editor = *started;
        selectAll(zub, editor, config, text);
        const QJsonObject record = run(zub, config, ZubActionKind::caseTransform, text);
        QCOMPARE(field(record, "outputText"), QStringLiteral("Hello Quiet World"));

        const QString failed = QStringLiteral("Speech failed: No audio output is available for speech");
        const QPoint speak = barControl(expandedBar(zub, config, resultOf(record)), config, text,
                                        QStringLiteral("speakButton"), resultOf(record));
        m_input.click(speak);
        QUOR_TRY_COMPARE(zub.logMessages(failed).size(), 1);
        QVERIFY2(zub.isRunning(), zub.output().constData());
        // The button is Speak again, and tries again.
        m_input.click(speak);
        QUOR_TRY_COMPARE(zub.logMessages(failed).size(), 2);
        QVERIFY2(zub.isRunning(), zub.output().constData());

        // Still serving the bar: the same pill runs again.
        const QJsonObject again = run(zub, config, ZubActionKind::caseTransform, text);
        QCOMPARE(field(again, "outputText"), QStringLiteral("Hello Quiet World"));
        QCOMPARE(zub.history().size(), 2);
    }
};

QUOR_TEST_MAIN(TestQuorZubBarActions)
#include "tst_quorzubbaractions.moc"
