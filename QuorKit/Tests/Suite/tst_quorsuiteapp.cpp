#include "QuorKit/Suite/QuorSuiteApp.h"
#include "QuorKit/Suite/QuorSuiteCommandKind.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorPlatform/Processes/QuorProcessTable.h"
#include "QuorPlatform/Workspace/QuorDesktopEntry.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using quor::platform::RunningProcess;
using quor::platform::WindowApplication;

namespace {

struct Started {
    QString program;
    QStringList arguments;
};

// A workspace over two applications folders, with the given windows and processes, that records
// what it activates and starts instead of doing it.
struct FakeWorkspace {
    QTemporaryDir root;
    QList<WindowApplication> windows;
    QList<RunningProcess> processes;
    QList<WindowApplication> activated;
    QList<Started> started;

    QString userFolder() const { return root.path() + QStringLiteral("/user"); }
    QString systemFolder() const { return root.path() + QStringLiteral("/system"); }

    void install(const QString& folder, QuorSuiteApp app, const QByteArray& exec) const
    {
        QDir().mkpath(folder);
        QFile file(folder + QLatin1Char('/') + QuorSuiteApps::bundleIdentifier(app) + QStringLiteral(".desktop"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\nName=X\nExec=" + exec + "\n[Desktop Action New]\nExec=wrong\n");
    }

    QuorSuiteWorkspace workspace()
    {
        return QuorSuiteWorkspace{
            {userFolder(), systemFolder()},
            [this] { return windows; },
            [this] { return processes; },
            [this](const WindowApplication& window) {
                activated.append(window);
                return true;
            },
            [this](const QString& program, const QStringList& arguments) {
                started.append({program, arguments});
                return true;
            },
        };
    }
};

WindowApplication window(const QString& className, std::optional<QString> desktopId = std::nullopt)
{
    WindowApplication application;
    application.window = 42;
    application.className = className;
    application.desktopFileId = std::move(desktopId);
    return application;
}

} // namespace

class TestQuorSuiteApp : public QObject {
    Q_OBJECT
private slots:
    void tableRowsAndCommandKinds()
    {
        const auto& apps = QuorSuiteApps::allCases();
        QCOMPARE(apps.size(), 49);
        QCOMPARE(apps.mid(0, 3), (QList{QuorSuiteApp::drummet, QuorSuiteApp::vaskel, QuorSuiteApp::kestrine}));
        QCOMPARE(QuorSuiteApps::rawValue(apps.at(28)), QStringLiteral("Sornwell"));
        QCOMPARE(QuorSuiteApps::rawValue(apps.at(31)), QStringLiteral("Tolvane"));
        QCOMPARE(QuorSuiteApps::toJson(QuorSuiteApp::vaskel), QJsonValue(QStringLiteral("Vaskel")));
        QCOMPARE(QuorSuiteApps::bundleIdentifier(QuorSuiteApp::vaskel), QStringLiteral("com.tallowmer.vaskel"));
        QVERIFY(!QuorSuiteApps::fromRawValue(QStringLiteral("vaskel")));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorSuiteApps::fromJson(QJsonValue(QStringLiteral("Nobody"))));
        QSet<QString> names;
        QSet<QString> symbols;
        for (const QuorSuiteApp app : apps) {
            names.insert(QuorSuiteApps::rawValue(app).toLower());
            symbols.insert(QuorSuiteApps::symbolName(app));
            QCOMPARE(QuorSuiteApps::fromRawValue(QuorSuiteApps::rawValue(app)), app);
        }
        QCOMPARE(names.size(), 49);
        QCOMPARE(symbols.size(), 49);

        const auto& kinds = QuorSuiteCommandKinds::allCases();
        QCOMPARE(kinds.size(), 139);
        QCOMPARE(QuorSuiteCommandKinds::rawValue(kinds.first()), QStringLiteral("ramSmartOffload"));
        QCOMPARE(QuorSuiteCommandKinds::rawValue(kinds.last()), QStringLiteral("taskOpenToday"));
        QSet<QString> kindNames;
        for (const QuorSuiteCommandKind kind : kinds) {
            kindNames.insert(QuorSuiteCommandKinds::rawValue(kind));
            QCOMPARE(QuorSuiteCommandKinds::fromRawValue(QuorSuiteCommandKinds::rawValue(kind)), kind);
        }
        QCOMPARE(kindNames.size(), 139);
        QVERIFY(!QuorSuiteCommandKinds::fromRawValue(QStringLiteral("RamSmartOffload")));
    }

    void installedPrefersTheUserFolderAndLaunchStartsTheEntry()
    {
        FakeWorkspace fake;
        const QuorSuiteWorkspace workspace = fake.workspace();
        QVERIFY(!QuorSuiteApps::isInstalled(QuorSuiteApp::vaskel, workspace));
        QVERIFY(!QuorSuiteApps::launch(QuorSuiteApp::vaskel, workspace));

        fake.install(fake.systemFolder(), QuorSuiteApp::vaskel, "/opt/system/vaskel");
        fake.install(fake.userFolder(), QuorSuiteApp::vaskel, "\"/opt/my apps/vaskel\" --hidden %U --name=%c 100%%");
        QCOMPARE(QuorSuiteApps::installedURL(QuorSuiteApp::vaskel, workspace),
                 fake.userFolder() + QStringLiteral("/com.tallowmer.vaskel.desktop"));
        QVERIFY(!QuorSuiteApps::isRunning(QuorSuiteApp::vaskel, workspace));
        QVERIFY(QuorSuiteApps::launch(QuorSuiteApp::vaskel, workspace));
        QCOMPARE(fake.started.size(), 1);
        QCOMPARE(fake.started.first().program, QStringLiteral("/opt/my apps/vaskel"));
        QCOMPARE(fake.started.first().arguments, (QStringList{"--hidden", "--name=", "100%"}));
        QVERIFY(fake.activated.isEmpty());
    }

    void runningIsJudgedByWindowsThenProcessesIgnoringCase()
    {
        FakeWorkspace fake;
        const QuorSuiteWorkspace workspace = fake.workspace();
        fake.windows = {window(QStringLiteral("Firefox")), window(QStringLiteral("Other"), QStringLiteral("COM.TALLOWMER.DRUMMET"))};
        QVERIFY(QuorSuiteApps::isRunning(QuorSuiteApp::drummet, workspace));
        QVERIFY(!QuorSuiteApps::isRunning(QuorSuiteApp::vaskel, workspace));

        // Another bundle id, but the window's class is the product name in another case.
        fake.windows.append(window(QStringLiteral("vaskel"), QStringLiteral("org.example.other")));
        QVERIFY(QuorSuiteApps::isRunning(QuorSuiteApp::vaskel, workspace));
        QVERIFY(QuorSuiteApps::launch(QuorSuiteApp::vaskel, workspace));
        QCOMPARE(fake.activated.size(), 1);
        QCOMPARE(fake.activated.first().className, QStringLiteral("vaskel"));
        QVERIFY(fake.started.isEmpty());

        // A windowless process counts as running; launching it starts no second copy.
        fake.processes = {{4242, QStringLiteral("KESTRINE")}, {4243, QStringLiteral("Kestrine-helper")}};
        QVERIFY(QuorSuiteApps::isRunning(QuorSuiteApp::kestrine, workspace));
        QVERIFY(QuorSuiteApps::launch(QuorSuiteApp::kestrine, workspace));
        QVERIFY(fake.started.isEmpty());
    }

    void execLinesSplitLikeTheDesktopEntryFormat_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("expected");
        const auto entry = [](const QByteArray& exec) { return "[Desktop Entry]\nExec=" + exec + "\n"; };
        QTest::newRow("plain") << entry("vaskel --tray") << QStringList{"vaskel", "--tray"};
        QTest::newRow("field codes") << entry("vaskel %F %i -x%u") << QStringList{"vaskel", "-x"};
        QTest::newRow("quoted escapes") << entry("\"/a b/c\" \"q\\\"uote\" \"d\\\\\\\\ollar\\$\"")
                                        << QStringList{"/a b/c", "q\"uote", "d\\ollar$"};
        QTest::newRow("value escape") << entry("vas\\skel") << QStringList{"vas", "kel"};
        QTest::newRow("spaced key") << QByteArray("[Desktop Entry]\nExec = run me\n") << QStringList{"run", "me"};
        QTest::newRow("other group only") << QByteArray("[Desktop Action x]\nExec=run\n") << QStringList{};
        QTest::newRow("open quote") << entry("\"run") << QStringList{};
        QTest::newRow("only a field code") << entry("%U") << QStringList{};
    }

    void execLinesSplitLikeTheDesktopEntryFormat()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, expected);
        QCOMPARE(quor::platform::DesktopEntry::execArguments(contents).value_or(QStringList{}), expected);
    }

    void aStartedProgramIsFoundByItsExecutableName()
    {
        QTemporaryDir folder;
        const QString program = folder.filePath(QStringLiteral("Hypervale"));
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), program));
        QProcess process;
        process.start(program, {QStringLiteral("30")});
        QVERIFY(process.waitForStarted());
        const auto listed = quor::platform::ProcessTable::ownProcesses();
        QVERIFY(listed.contains(RunningProcess{process.processId(), QStringLiteral("Hypervale")}));

        QuorSuiteWorkspace workspace = QuorSuiteWorkspace::system();
        workspace.windows = {};
        QVERIFY(QuorSuiteApps::isRunning(QuorSuiteApp::hypervale, workspace));
        process.kill();
        process.waitForFinished();
        QVERIFY(!QuorSuiteApps::isRunning(QuorSuiteApp::hypervale, workspace));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorSuiteApp)
#include "tst_quorsuiteapp.moc"
