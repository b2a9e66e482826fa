#include "QuorKit/System/QuorBinaryLocator.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString probe = QStringLiteral("quor-locator-probe");

void makeFile(const QString& path, bool executable)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (executable) {
        permissions |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    }
    QVERIFY(file.setPermissions(permissions));
}

// Restores the environment's search path and the current folder when a test ends.
class EnvironmentGuard {
public:
    EnvironmentGuard() : m_path(qgetenv("PATH")), m_hadPath(qEnvironmentVariableIsSet("PATH")), m_cwd(QDir::currentPath()) {}
    ~EnvironmentGuard()
    {
        if (m_hadPath) {
            qputenv("PATH", m_path);
        } else {
            qunsetenv("PATH");
        }
        QDir::setCurrent(m_cwd);
    }

private:
    QByteArray m_path;
    bool m_hadPath;
    QString m_cwd;
};

std::optional<QString> firstSystemShell()
{
    for (const QString& candidate : {QStringLiteral("/usr/local/bin/sh"), QStringLiteral("/usr/bin/sh"), QStringLiteral("/bin/sh")}) {
        if (QFileInfo(candidate).isFile() && QFileInfo(candidate).isExecutable()) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace

class TestQuorBinaryLocator : public QObject {
    Q_OBJECT
private slots:
    void bundleThenExtraFoldersThenSystemFolders()
    {
        QTemporaryDir root(quorTestSandboxPath() + QStringLiteral("/order-XXXXXX"));
        const QString resources = root.filePath(QStringLiteral("resources"));
        const QString extra = root.filePath(QStringLiteral("extra"));
        const QuorBundle bundle({}, resources);
        const QString sh = QStringLiteral("sh");
        makeFile(resources + QStringLiteral("/bin/sh"), true);
        makeFile(resources + QStringLiteral("/sh"), true);
        makeFile(extra + QStringLiteral("/sh"), true);

        QCOMPARE(QuorBinaryLocator::locate(sh, bundle, {extra}), resources + QStringLiteral("/bin/sh"));
        QVERIFY(QFile::remove(resources + QStringLiteral("/bin/sh")));
        QCOMPARE(QuorBinaryLocator::locate(sh, bundle, {extra}), resources + QStringLiteral("/sh"));
        QVERIFY(QFile::remove(resources + QStringLiteral("/sh")));
        QCOMPARE(QuorBinaryLocator::locate(sh, bundle, {extra}), extra + QStringLiteral("/sh"));
        QVERIFY(QFile::remove(extra + QStringLiteral("/sh")));
        QCOMPARE(QuorBinaryLocator::locate(sh, bundle, {extra}), firstSystemShell());
        QCOMPARE(QuorBinaryLocator::locate(sh, QuorBundle({}, std::nullopt), {}), firstSystemShell());
    }

    void passesOverWhatIsNotAnExecutableFile()
    {
        QTemporaryDir root(quorTestSandboxPath() + QStringLiteral("/skip-XXXXXX"));
        const QString plain = root.filePath(QStringLiteral("plain"));
        const QString folder = root.filePath(QStringLiteral("folder"));
        const QString good = root.filePath(QStringLiteral("good"));
        makeFile(plain + QLatin1Char('/') + probe, false);
        QVERIFY(QDir().mkpath(folder + QLatin1Char('/') + probe)); // a directory carries execute bits
        makeFile(good + QLatin1Char('/') + probe, true);
        const QuorBundle bundle({}, std::nullopt);

        QCOMPARE(QuorBinaryLocator::locate(probe, bundle, {plain, folder, good}), good + QLatin1Char('/') + probe);
        QCOMPARE(QuorBinaryLocator::locate(probe, bundle, {plain, folder}), std::nullopt);
        // The name is appended as given, so a relative path reaches into subfolders.
        makeFile(good + QStringLiteral("/sub/tool"), true);
        QCOMPARE(QuorBinaryLocator::locate(QStringLiteral("sub/tool"), bundle, {good}), good + QStringLiteral("/sub/tool"));
        QCOMPARE(QuorBinaryLocator::locate(QString(), bundle, {good}), std::nullopt);
    }

    void searchPathPiecesAreTriedLast()
    {
        const EnvironmentGuard guard;
        QTemporaryDir root(quorTestSandboxPath() + QStringLiteral("/path-XXXXXX"));
        const QString onPath = root.filePath(QStringLiteral("on-path"));
        makeFile(onPath + QLatin1Char('/') + probe, true);
        // An executable in the current folder must not be reached through an empty piece.
        makeFile(root.filePath(probe), true);
        QVERIFY(QDir::setCurrent(root.path()));
        const QuorBundle bundle({}, std::nullopt);

        qputenv("PATH", QStringLiteral("::%1:").arg(onPath).toUtf8());
        QCOMPARE(QuorBinaryLocator::locate(probe, bundle, {}), onPath + QLatin1Char('/') + probe);
        qputenv("PATH", "::");
        QCOMPARE(QuorBinaryLocator::locate(probe, bundle, {}), std::nullopt);
        qunsetenv("PATH");
        QCOMPARE(QuorBinaryLocator::locate(probe, bundle, {}), std::nullopt);
        QCOMPARE(QuorBinaryLocator::locate(QStringLiteral("sh"), bundle, {}), firstSystemShell());

        // A relative folder is taken from the current folder and answered as an absolute path.
        QCOMPARE(QuorBinaryLocator::locate(probe, bundle, {QStringLiteral("on-path")}),
                 QDir::currentPath() + QStringLiteral("/on-path/") + probe);
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorBinaryLocator)
#include "tst_quorbinarylocator.moc"
