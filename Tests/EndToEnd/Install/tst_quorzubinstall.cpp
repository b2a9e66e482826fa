#include "QuorZubApp/App/ZubCommandLine.h"

#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The build installed into a prefix of its own, as a user's `cmake --install` does, and the
// installed program's command line.
class TestQuorZubInstall : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_prefix;

    struct Run {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    // The installed program without a display, in folders of its own.
    Run runInstalled(const QStringList& arguments, const QString& runtimeFolder) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("QUORZUB_RESOURCES"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), runtimeFolder + QStringLiteral("/data"));
        process.setProcessEnvironment(environment);
        process.start(m_prefix + QStringLiteral("/bin/quorzub"), arguments);
        Run run;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        return run;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        // Desktop entries quote a program path with a space; the prefix has one to prove it.
        m_prefix = m_root.path() + QStringLiteral("/my prefix");
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(QUOR_CMAKE_COMMAND),
                      {QStringLiteral("--install"), qEnvironmentVariable("QUOR_BINARY_DIR"), QStringLiteral("--prefix"),
                       m_prefix});
        QVERIFY(install.waitForFinished(240000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    }

    void desktopsFindTheEntryAndIcon()
    {
        const QString entry = m_prefix + QStringLiteral("/share/applications/com.tallowmer.quorzub.desktop");
        QVERIFY(QFileInfo(entry).isFile());
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        QVERIFY2(!validator.isEmpty(), "desktop-file-utils is part of the test packages");
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {entry});
        QVERIFY(validate.waitForFinished(30000));
        const QByteArray verdict = validate.readAll();
        QVERIFY2(validate.exitCode() == 0 && verdict.trimmed().isEmpty(), verdict.constData());

        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QHash<QString, QString> keys;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            keys.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
        }
        const QString program = m_prefix + QStringLiteral("/bin/quorzub");
        QCOMPARE(keys.value(QStringLiteral("Exec")), QLatin1Char('"') + program + QLatin1Char('"'));
        QVERIFY(QFileInfo(program).isExecutable());
        const QString icon = keys.value(QStringLiteral("Icon"));
        QVERIFY(QFileInfo::exists(m_prefix + QStringLiteral("/share/icons/hicolor/256x256/apps/") + icon
                                  + QStringLiteral(".png")));
        // The program finds its resources beside it.
        QVERIFY(QFileInfo::exists(m_prefix + QStringLiteral("/share/quorzub/ai-models-default.json")));
        QVERIFY(QFileInfo::exists(m_prefix + QStringLiteral("/share/quorzub/release-log.jsonl")));
    }

    // Qt's own X11 options still reach Qt; ours and mistakes are decided before any display.
    void commandLineDecisions()
    {
        const auto parse = [](QStringList arguments) {
            arguments.prepend(QStringLiteral("quorzub"));
            return ZubCommandLine::parse(arguments).action;
        };
        using Action = ZubCommandLine::Action;
        QCOMPARE(parse({}), Action::run);
        QCOMPARE(parse({QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("-display"), QStringLiteral(":1")}),
                 Action::run);
        QCOMPARE(parse({QStringLiteral("-v")}), Action::printAndExit);
        QCOMPARE(parse({QStringLiteral("-h")}), Action::printAndExit);
        QCOMPARE(parse({QStringLiteral("-x")}), Action::failAndExit);
        QCOMPARE(parse({QStringLiteral("--display")}), Action::failAndExit); // its value is missing
    }

    void versionHelpAndBadOptionsEndAtOnce()
    {
        QTemporaryDir runtime;
        const Run version = runInstalled({QStringLiteral("--version")}, runtime.path());
        QCOMPARE(version.exitCode, 0);
        QVERIFY2(version.out.startsWith("QuorZub 1.0.0 ("), version.out.constData());
        const Run help = runInstalled({QStringLiteral("--help")}, runtime.path());
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("--version"));

        for (const QStringList& bad : {QStringList{QStringLiteral("--bogus")}, QStringList{QStringLiteral("stray")}}) {
            const Run run = runInstalled(bad, runtime.path());
            QVERIFY(run.exitCode > 0);
            QVERIFY2(run.err.contains(bad.constFirst().toUtf8()), run.err.constData());
            QVERIFY(run.err.contains("--help"));
        }
        // None of them started an instance: no instance socket, no log.
        QCOMPARE(QDir(runtime.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorZubInstall)
#include "tst_quorzubinstall.moc"
