#include "QuorZubApp/App/ZubAppIcon.h"
#include "QuorZubApp/App/ZubCommandLine.h"

#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>

namespace {
const QString kEntryName = QStringLiteral("com.tallowmer.quorzub.desktop");

// The keys of a desktop entry's main group.
QHash<QString, QString> entryKeys(const QString& path)
{
    QFile file(path);
    QHash<QString, QString> keys;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            keys.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
        }
    }
    return keys;
}

// A validator's verdict on a file: its exit code and whatever it printed.
std::pair<int, QByteArray> validate(const QString& tool, QStringList arguments)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        return {-1, tool.toUtf8() + " is not installed"};
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {-1, tool.toUtf8() + " hung"};
    }
    return {process.exitCode(), process.readAll()};
}

// The WM_CLASS (instance, class) of a top-level window of `pid` that the window manager lists.
std::optional<std::pair<QString, QString>> windowClassOf(Display* display, qint64 pid)
{
    const Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), clientList, 0, 4096, False, XA_WINDOW, &type, &format,
                           &count, &after, &data)
            != Success
        || data == nullptr) {
        return std::nullopt;
    }
    const QList<Window> windows(reinterpret_cast<const Window*>(data), reinterpret_cast<const Window*>(data) + count);
    XFree(data);
    for (const Window window : windows) {
        unsigned char* pidData = nullptr;
        if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                               &pidData)
                != Success
            || pidData == nullptr) {
            continue;
        }
        const auto windowPid = static_cast<qint64>(*reinterpret_cast<const unsigned long*>(pidData));
        XFree(pidData);
        XClassHint hint{nullptr, nullptr};
        if (windowPid != pid || XGetClassHint(display, window, &hint) == 0) {
            continue;
        }
        std::pair<QString, QString> names{QString::fromUtf8(hint.res_name), QString::fromUtf8(hint.res_class)};
        XFree(hint.res_name);
        XFree(hint.res_class);
        return names;
    }
    return std::nullopt;
}
} // namespace

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

    // The installed program's environment, in folders of its own under `folder`.
    static QProcessEnvironment ownFolders(const QString& folder)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QUORZUB_RESOURCES"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), folder + QStringLiteral("/data"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/config"));
        return environment;
    }

    // The installed program without a display.
    Run runInstalled(const QStringList& arguments, const QString& runtimeFolder,
                     const QString& interfaceLanguage = QStringLiteral("en")) const
    {
        QProcess process;
        QProcessEnvironment environment = ownFolders(runtimeFolder);
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("LANGUAGE"), interfaceLanguage);
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
        const QString entry = m_prefix + QStringLiteral("/share/applications/") + kEntryName;
        QVERIFY(QFileInfo(entry).isFile());
        const auto [entryCode, entryVerdict] = validate(QStringLiteral("desktop-file-validate"), {entry});
        QVERIFY2(entryCode == 0 && entryVerdict.trimmed().isEmpty(), entryVerdict.constData());

        const QHash<QString, QString> keys = entryKeys(entry);
        const QString program = m_prefix + QStringLiteral("/bin/quorzub");
        QCOMPARE(keys.value(QStringLiteral("Exec")), QLatin1Char('"') + program + QLatin1Char('"'));
        QVERIFY(QFileInfo(program).isExecutable());
        // The program finds its resources beside it.
        QVERIFY(QFileInfo::exists(m_prefix + QStringLiteral("/share/quorzub/ai-models-default.json")));
        QVERIFY(QFileInfo::exists(m_prefix + QStringLiteral("/share/quorzub/release-log.jsonl")));

        // Every size panels, menus and docks look for, each drawn at its own size, and the
        // scalable drawing.
        const QString icon = keys.value(QStringLiteral("Icon"));
        const QString theme = m_prefix + QStringLiteral("/share/icons/hicolor/");
        for (const int size : ZubAppIcon::themeSizes) {
            QImageReader reader(theme + QStringLiteral("%1x%1/apps/").arg(size) + icon + QStringLiteral(".png"), "png");
            QCOMPARE(reader.size(), QSize(size, size));
        }
        const QString scalable = theme + QStringLiteral("scalable/apps/") + icon + QStringLiteral(".svg");
        QFile svg(scalable);
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&svg);
        QVERIFY(xml.readNextStartElement());
        QCOMPARE(xml.name(), QStringLiteral("svg"));
        while (!xml.atEnd()) {
            xml.readNext();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        // Rendered as GTK desktops render it, the drawing looks like the bitmap of that size.
        QTemporaryDir scratch;
        const QString rendered = scratch.filePath(QStringLiteral("scalable.png"));
        const auto [renderCode, renderOutput] =
            validate(QStringLiteral("rsvg-convert"), {QStringLiteral("-w"), QStringLiteral("64"), QStringLiteral("-h"),
                                                      QStringLiteral("64"), QStringLiteral("-o"), rendered, scalable});
        QVERIFY2(renderCode == 0, renderOutput.constData());
        const QImage fromSvg = QImage(rendered).convertToFormat(QImage::Format_ARGB32);
        const QImage fromPng = QImage(theme + QStringLiteral("64x64/apps/") + icon + QStringLiteral(".png"))
                                   .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(fromSvg.size(), fromPng.size());
        double difference = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const QRgb a = fromSvg.pixel(x, y);
                const QRgb b = fromPng.pixel(x, y);
                difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b))
                    + std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
            }
        }
        // The bitmaps put the emblem on whole pixels and the renderers antialias edges their own way,
        // which comes to about 3 levels in 255 on average; a wrong shape or colour is far above.
        QVERIFY2(difference / (64 * 64 * 4) < 6, qPrintable(QString::number(difference / (64 * 64 * 4))));
    }

    // What software centres read: valid, about this entry, and at the installed version.
    void softwareCentresKnowTheProgram()
    {
        const QString metainfo = m_prefix + QStringLiteral("/share/metainfo/com.tallowmer.quorzub.metainfo.xml");
        const auto [code, verdict] = validate(QStringLiteral("appstreamcli"), {QStringLiteral("validate"),
                                                                               QStringLiteral("--no-net"), metainfo});
        QVERIFY2(code == 0, verdict.constData());

        QFile file(metainfo);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QHash<QString, QString> firsts;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || !xml.attributes().value(QStringLiteral("xml:lang")).isEmpty()) {
                continue;
            }
            const QString name = xml.name().toString();
            if (name == QStringLiteral("release") && !firsts.contains(name)) {
                firsts.insert(name, xml.attributes().value(QStringLiteral("version")).toString());
            } else if ((name == QStringLiteral("id") || name == QStringLiteral("launchable")) && !firsts.contains(name)) {
                firsts.insert(name, xml.readElementText());
            }
        }
        QVERIFY(!xml.hasError());
        QCOMPARE(firsts.value(QStringLiteral("id")) + QStringLiteral(".desktop"), kEntryName);
        QCOMPARE(firsts.value(QStringLiteral("launchable")), kEntryName);
        QTemporaryDir runtime;
        const Run version = runInstalled({QStringLiteral("--version")}, runtime.path());
        QVERIFY2(version.out.startsWith("QuorZub " + firsts.value(QStringLiteral("release")).toUtf8() + " ("),
                 version.out.constData());
    }

    // Docks and task bars tie the running window to its launcher by the entry's StartupWMClass.
    void windowClassMatchesTheEntry()
    {
        const QString startupClass = entryKeys(m_prefix + QStringLiteral("/share/applications/") + kEntryName)
                                         .value(QStringLiteral("StartupWMClass"));
        QVERIFY(!startupClass.isEmpty());
        QTemporaryDir home;
        QProcess running;
        QProcessEnvironment environment = ownFolders(home.path());
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        running.setProcessEnvironment(environment);
        running.setProcessChannelMode(QProcess::MergedChannels);
        running.start(m_prefix + QStringLiteral("/bin/quorzub"), {});
        QVERIFY(running.waitForStarted(10000));
        const auto stop = qScopeGuard([&running] {
            ::kill(static_cast<pid_t>(running.processId()), SIGTERM);
            if (!running.waitForFinished(10000)) {
                running.kill();
                running.waitForFinished();
            }
        });
        Display* display = XOpenDisplay(nullptr);
        QVERIFY2(display != nullptr, "an X display is part of the test environment");
        const auto close = qScopeGuard([display] { XCloseDisplay(display); });
        std::optional<std::pair<QString, QString>> names;
        QElapsedTimer clock;
        clock.start();
        while (!names && running.state() == QProcess::Running && clock.elapsed() < 60000) {
            QTest::qWait(50);
            names = windowClassOf(display, running.processId());
        }
        QVERIFY2(names.has_value(), running.readAll().constData());
        QCOMPARE(names->second, startupClass);
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
        QVERIFY2(help.out.startsWith("Usage: quorzub") && help.out.contains("\nOptions:\n"), help.out.constData());
        // Every heading follows the interface language, not only our own lines.
        const Run turkish = runInstalled({QStringLiteral("--help")}, runtime.path(), QStringLiteral("tr"));
        QCOMPARE(turkish.exitCode, 0);
        const QString turkishHelp = QString::fromUtf8(turkish.out);
        QVERIFY2(turkishHelp.startsWith(QStringLiteral("Kullanım: quorzub")) && turkishHelp.contains(QStringLiteral("\nSeçenekler:\n"))
                     && turkishHelp.contains(QStringLiteral("Sürümü göster ve çık.")) && !turkishHelp.contains(QStringLiteral("Usage")),
                 turkish.out.constData());

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
