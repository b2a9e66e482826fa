#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorKit/Utilities/QuorSettings.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

namespace {
QJsonObject readJson(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QJsonDocument::fromJson(file.readAll()).object();
}

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

mode_t modeOf(const QString& path)
{
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

bool loggedWarning(const QString& text)
{
    const QList<QuorLogEntry> entries = QuorCreditsAccountManager::logger()->recentEntries(50, QuorLogLevel::warn);
    return std::any_of(entries.begin(), entries.end(), [&text](const QuorLogEntry& entry) {
        return entry.category == QStringLiteral("security") && entry.message.contains(text);
    });
}

QString key(const QString& gateway)
{
    return QStringLiteral("account-token ") + gateway;
}

// Restores the environment variables a test changes.
class EnvironmentGuard {
public:
    explicit EnvironmentGuard(QList<QByteArray> names) : m_names(std::move(names))
    {
        for (const QByteArray& name : m_names) {
            m_saved.append(qEnvironmentVariableIsSet(name.constData()) ? std::optional(qgetenv(name.constData())) : std::nullopt);
        }
    }
    ~EnvironmentGuard()
    {
        for (qsizetype index = 0; index < m_names.size(); ++index) {
            if (m_saved[index]) {
                qputenv(m_names[index].constData(), *m_saved[index]);
            } else {
                qunsetenv(m_names[index].constData());
            }
        }
    }

private:
    QList<QByteArray> m_names;
    QList<std::optional<QByteArray>> m_saved;
};
} // namespace

class TestQuorCreditsTokenFile : public QObject {
    Q_OBJECT
private slots:
    void accountFilesFollowTheEnvironment()
    {
        EnvironmentGuard guard({"TALLOWMER_ACCOUNT_DIR", "FENNIMAR_ACCOUNT_DIR"});
        QTemporaryDir tallowmer;
        QTemporaryDir fennimar;

        qputenv("TALLOWMER_ACCOUNT_DIR", tallowmer.path().toUtf8());
        qputenv("FENNIMAR_ACCOUNT_DIR", fennimar.path().toUtf8());
        QuorCreditsAccountManager named(std::nullopt, std::nullopt, QStringLiteral("https://gw.example"));
        QCOMPARE(named.primaryAccountFile(), tallowmer.path() + QStringLiteral("/account.json"));
        QVERIFY(!named.legacyFennimarAccountFile());
        quorAwait(named.saveToken(QStringLiteral("T1")));
        QVERIFY(QFile::exists(tallowmer.path() + QStringLiteral("/account.json")));
        QVERIFY(!QFile::exists(fennimar.path() + QStringLiteral("/account.json")));

        // A blank first variable hides the second one.
        qputenv("TALLOWMER_ACCOUNT_DIR", "   ");
        QuorCreditsAccountManager blank;
        QCOMPARE(blank.primaryAccountFile(), QuorPaths::tallowmerDirectory() + QStringLiteral("/account.json"));
        QCOMPARE(blank.legacyFennimarAccountFile(),
                 QuorPaths::applicationSupportDirectory() + QStringLiteral("/com.fennimar.fennimar/account.json"));

        qunsetenv("TALLOWMER_ACCOUNT_DIR");
        QuorCreditsAccountManager sibling;
        QCOMPARE(sibling.primaryAccountFile(), fennimar.path() + QStringLiteral("/account.json"));

        // An explicit directory wins over the environment; a legacy directory alone is ignored.
        QuorCreditsAccountManager explicitOne(tallowmer.path(), fennimar.path());
        QCOMPARE(explicitOne.legacyFennimarAccountFile(), fennimar.path() + QStringLiteral("/account.json"));
        QuorCreditsAccountManager legacyOnly(std::nullopt, fennimar.path());
        QCOMPARE(legacyOnly.primaryAccountFile(), fennimar.path() + QStringLiteral("/account.json"));
        QVERIFY(!legacyOnly.legacyFennimarAccountFile());
    }

    void gatewayAddressResolution()
    {
        EnvironmentGuard guard({"TALLOWMER_API_URL"});
        qunsetenv("TALLOWMER_API_URL");
        QuorSettings::standard().remove(QuorCreditsAccountManager::gatewayURLDefaultsKey);
        QCOMPARE(QuorCreditsAccountManager::resolvedGatewayURL(), QStringLiteral("https://api.tallowmer.com"));
        QCOMPARE(QuorCreditsAccountManager::resolvedGatewayURL(QStringLiteral("  https://gw.example/// \n")),
                 QStringLiteral("https://gw.example"));

        QuorSettings::standard().setValue(QuorCreditsAccountManager::gatewayURLDefaultsKey, QStringLiteral("https://saved.example/"));
        QCOMPARE(QuorCreditsAccountManager::resolvedGatewayURL(), QStringLiteral("https://saved.example"));
        qputenv("TALLOWMER_API_URL", "https://env.example");
        QCOMPARE(QuorCreditsAccountManager::resolvedGatewayURL(QStringLiteral("   ")), QStringLiteral("https://env.example"));
        qputenv("TALLOWMER_API_URL", " ");
        QCOMPARE(QuorCreditsAccountManager::resolvedGatewayURL(), QStringLiteral("https://saved.example"));
        QuorSettings::standard().remove(QuorCreditsAccountManager::gatewayURLDefaultsKey);
    }

    void tokensAreKeptPerGateway()
    {
        EnvironmentGuard guard({"TALLOWMER_API_URL"});
        QTemporaryDir folder;
        QuorCreditsAccountManager manager(folder.path());
        qputenv("TALLOWMER_API_URL", "https://one.example");
        quorAwait(manager.saveToken(QStringLiteral("\n  first \n")));
        QCOMPARE(quorAwait(manager.savedToken()), std::optional<QString>(QStringLiteral("first")));
        qputenv("TALLOWMER_API_URL", "https://two.example/");
        QCOMPARE(quorAwait(manager.savedToken()), std::nullopt);
        quorAwait(manager.saveToken(QStringLiteral("second")));
        quorAwait(manager.saveToken(QStringLiteral("   "))); // blank: nothing is written

        const QJsonObject stored = readJson(manager.primaryAccountFile());
        QCOMPARE(stored.value(key(QStringLiteral("https://one.example"))).toString(), QStringLiteral("first"));
        QCOMPARE(stored.value(key(QStringLiteral("https://two.example"))).toString(), QStringLiteral("second"));

        // Clearing removes only the current gateway's member.
        quorAwait(manager.clearLocalToken());
        const QJsonObject cleared = readJson(manager.primaryAccountFile());
        QVERIFY(!cleared.contains(key(QStringLiteral("https://two.example"))));
        QCOMPARE(cleared.value(key(QStringLiteral("https://one.example"))).toString(), QStringLiteral("first"));
    }

    void sharedAndLegacyFiles()
    {
        QTemporaryDir primary;
        QTemporaryDir legacy;
        const QString gateway = QStringLiteral("https://gw.example");
        QuorCreditsAccountManager manager(primary.path(), legacy.path(), gateway);

        // Blanks in the primary file fall through to the legacy file.
        writeRaw(manager.primaryAccountFile(), R"({"account-token https:\/\/gw.example":"  ","other":"kept"})");
        writeRaw(*manager.legacyFennimarAccountFile(), R"({"account-token https:\/\/gw.example":"legacy"})");
        QCOMPARE(quorAwait(manager.savedToken()), std::optional<QString>(QStringLiteral("legacy")));

        // Saving keeps foreign members. A file that is not a map of texts is kept aside, once, and
        // the save starts a fresh one beside it.
        writeRaw(*manager.legacyFennimarAccountFile(), R"({"count":3})");
        quorAwait(manager.saveToken(QStringLiteral("new")));
        quorAwait(manager.saveToken(QStringLiteral("newer")));
        QCOMPARE(readJson(manager.primaryAccountFile()),
                 (QJsonObject{{key(gateway), QStringLiteral("newer")}, {QStringLiteral("other"), QStringLiteral("kept")}}));
        QCOMPARE(readJson(*manager.legacyFennimarAccountFile()), (QJsonObject{{key(gateway), QStringLiteral("newer")}}));
        const QStringList aside = QDir(legacy.path()).entryList({QStringLiteral("account.json.corrupt-*")}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readJson(legacy.filePath(aside.first())), (QJsonObject{{QStringLiteral("count"), 3}}));
        QVERIFY(loggedWarning(QStringLiteral("moved aside to ") + aside.first()));

        // Clearing leaves an undecodable file alone and writes an emptied map as {}.
        writeRaw(manager.primaryAccountFile(), "not json");
        quorAwait(manager.clearLocalToken());
        QCOMPARE(QFile(manager.primaryAccountFile()).size(), 8);
        QCOMPARE(readJson(*manager.legacyFennimarAccountFile()), QJsonObject());
        QCOMPARE(quorAwait(manager.savedToken()), std::nullopt);
    }

    void tokenFileIsNeverReadableByOthers()
    {
        // With a permissive umask a write-then-restrict file would be world-readable for a moment.
        const mode_t previousMask = ::umask(0);
        QTemporaryDir root;
        const QString folder = root.path() + QStringLiteral("/nested/account");
        QuorCreditsAccountManager manager(folder, std::nullopt, QStringLiteral("https://gw.example"));

        std::atomic<bool> stop{false};
        std::atomic<int> exposures{0};
        std::atomic<int> sightings{0};
        std::thread watcher([&] {
            const QByteArray path = QFile::encodeName(folder);
            while (!stop.load()) {
                DIR* directory = ::opendir(path.constData());
                if (directory == nullptr) {
                    continue;
                }
                struct stat folderInfo {};
                if (::fstat(::dirfd(directory), &folderInfo) == 0 && (folderInfo.st_mode & 077) != 0) {
                    ++exposures;
                }
                while (const dirent* entry = ::readdir(directory)) {
                    if (entry->d_name[0] == '.' && (entry->d_name[1] == '\0' || entry->d_name[1] == '.')) {
                        continue;
                    }
                    struct stat info {};
                    if (::fstatat(::dirfd(directory), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
                        ++sightings;
                        if ((info.st_mode & 077) != 0) {
                            ++exposures;
                        }
                    }
                }
                ::closedir(directory);
            }
        });
        for (int round = 0; round < 40; ++round) {
            quorAwait(manager.saveToken(QStringLiteral("token-%1").arg(round)));
            if (round % 3 == 0) {
                quorAwait(manager.clearLocalToken());
            }
        }
        stop = true;
        watcher.join();
        ::umask(previousMask);

        QVERIFY(sightings.load() > 0);
        QCOMPARE(exposures.load(), 0);
        QCOMPARE(modeOf(manager.primaryAccountFile()), mode_t(0600));
        QCOMPARE(modeOf(folder), mode_t(0700));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("account.json")});
    }

    // A read trusts nothing at the path and, in a folder the caller named, changes no mode (the folder
    // may be shared on purpose); the modes are set when the file is written.
    void readsTakeOnlyRegularFilesAndChangeNoMode()
    {
        QTemporaryDir root;
        QuorCreditsAccountManager manager(root.path(), std::nullopt, QStringLiteral("https://gw.example"));
        const QString file = manager.primaryAccountFile();
        writeRaw(file, R"({"account-token https:\/\/gw.example":"abc"})");
        ::chmod(QFile::encodeName(file).constData(), 0644);
        ::chmod(QFile::encodeName(root.path()).constData(), 0755);
        QCOMPARE(quorAwait(manager.savedToken()), std::optional<QString>(QStringLiteral("abc")));
        QCOMPARE(modeOf(file), mode_t(0644));
        QCOMPARE(modeOf(root.path()), mode_t(0755));
        QVERIFY(loggedWarning(file + QStringLiteral(" is open to other users (mode 644)")));
        quorAwait(manager.saveToken(QStringLiteral("def")));
        QCOMPARE(modeOf(file), mode_t(0600));
        QCOMPARE(modeOf(root.path()), mode_t(0700));

        // A file far larger than any account file reads as holding nothing.
        writeRaw(file, "{\"account-token https://gw.example\":\"" + QByteArray(2 * 1024 * 1024, 'x') + "\"}");
        QCOMPARE(quorAwait(manager.savedToken()), std::nullopt);

        // A FIFO in the file's place neither blocks the read nor the file queue after it.
        QVERIFY(QFile::remove(file));
        QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
        const auto unblock = qScopeGuard([&file] {
            // Before the fix a reader sits in open(); a writer that comes and goes releases it.
            const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
            }
        });
        QCOMPARE(quorAwait(manager.savedToken(), std::chrono::seconds(5)), std::nullopt);
        quorAwait(manager.saveToken(QStringLiteral("ghi")), std::chrono::seconds(5));
        QCOMPARE(quorAwait(manager.savedToken(), std::chrono::seconds(5)), std::optional<QString>(QStringLiteral("ghi")));
    }

    // Where nobody chose the folder, a read closes a token file left open to others, and its folder,
    // and says so without the token; a folder named on purpose is left as found, and so is a file
    // that a link in the suite's folder leads to.
    void readsCloseLooseModesOnlyInTheSuiteFolder_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("linked");
        QTest::addColumn<bool>("closed");
        QTest::newRow("the suite's folder") << false << false << true;
        QTest::newRow("a folder named by TALLOWMER_ACCOUNT_DIR") << true << false << false;
        QTest::newRow("a link in the suite's folder") << false << true << false;
    }

    void readsCloseLooseModesOnlyInTheSuiteFolder()
    {
        QFETCH(bool, named);
        QFETCH(bool, linked);
        QFETCH(bool, closed);
        EnvironmentGuard guard({"XDG_DATA_HOME", "TALLOWMER_ACCOUNT_DIR", "FENNIMAR_ACCOUNT_DIR"});
        QTemporaryDir root;
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("data"))));
        qunsetenv("FENNIMAR_ACCOUNT_DIR");
        if (named) {
            qputenv("TALLOWMER_ACCOUNT_DIR", QFile::encodeName(root.filePath(QStringLiteral("shared"))));
        } else {
            qunsetenv("TALLOWMER_ACCOUNT_DIR");
        }
        QuorCreditsAccountManager manager(std::nullopt, std::nullopt, QStringLiteral("https://gw.example"));
        const QString file = manager.primaryAccountFile();
        const QString stored = linked ? root.filePath(QStringLiteral("elsewhere.json")) : file;
        const QString token = QStringLiteral("tok-8Qz1");
        writeRaw(stored, R"({"account-token https:\/\/gw.example":")" + token.toUtf8() + R"("})");
        QVERIFY(QDir().mkpath(manager.accountFolder()));
        if (linked) {
            QVERIFY(QFile::link(stored, file));
        }
        ::chmod(QFile::encodeName(stored).constData(), 0644);
        ::chmod(QFile::encodeName(manager.accountFolder()).constData(), 0755);

        QCOMPARE(quorAwait(manager.savedToken()), std::optional<QString>(token));
        QCOMPARE(modeOf(stored), mode_t(closed ? 0600 : 0644));
        QCOMPARE(modeOf(manager.accountFolder()), mode_t(closed ? 0700 : 0755));
        QVERIFY(loggedWarning(file + (closed ? QStringLiteral(" was open to other users (mode 644); it is now 0600, its folder 0700")
                                             : QStringLiteral(" is open to other users (mode 644)"))));
        QVERIFY(!loggedWarning(token));
    }

    void existingFolderIsMadePrivate()
    {
        QTemporaryDir root;
        QVERIFY(QFile::setPermissions(root.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                       | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                                       | QFileDevice::ReadOther | QFileDevice::ExeOther));
        QuorCreditsAccountManager manager(root.path(), std::nullopt, QStringLiteral("https://gw.example"));
        quorAwait(manager.saveToken(QStringLiteral("abc")));
        QCOMPARE(modeOf(root.path()), mode_t(0700));
    }

    void portalPagesAndApplicationHeader()
    {
        QCOMPARE(QuorCreditsAccountManager::topUpURL(QStringLiteral("https://portal.example/"), QuorLanguage::tr),
                 std::optional<QUrl>(QUrl(QStringLiteral("https://portal.example/kredi"))));
        QCOMPARE(QuorCreditsAccountManager::topUpURL(QStringLiteral("https://portal.example"), QuorLanguage::de),
                 std::optional<QUrl>(QUrl(QStringLiteral("https://portal.example/en/credits"))));
        QCOMPARE(QuorCreditsAccountManager::budgetsURL(QStringLiteral("https://portal.example//"), QuorLanguage::tr),
                 std::optional<QUrl>(QUrl(QStringLiteral("https://portal.example/kullanim"))));
        QCOMPARE(QuorCreditsAccountManager::budgetsURL(QStringLiteral("https://portal.example"), QuorLanguage::en),
                 std::optional<QUrl>(QUrl(QStringLiteral("https://portal.example/en/usage"))));
        QVERIFY(!QuorCreditsAccountManager::topUpURL(QStringLiteral("http://bad host"), QuorLanguage::en));

        const QString header = QuorCreditsAccountManager::currentAppHeader();
        QVERIFY2(QRegularExpression(QStringLiteral("^\\S.*/[0-9][^ ]* Linux$")).match(header).hasMatch(), qPrintable(header));
    }

    void onlyWebAddressesOpen()
    {
        QuorCreditsAccountManager manager(QDir::tempPath());
        QList<QUrl> opened;
        manager.setURLOpener([&opened](const QUrl& url) {
            opened.append(url);
            return true;
        });
        QVERIFY(manager.openServerURL(QUrl(QStringLiteral("https://portal.example/kredi"))));
        QVERIFY(manager.openServerURL(QUrl(QStringLiteral("HTTP://portal.example/"))));
        for (const char* refused : {"file:///etc/passwd", "javascript:alert(1)", "smb://host/share", "/relative/path",
                                    "https:///no-host", "mailto:a@b.example"}) {
            QVERIFY2(!manager.openServerURL(QUrl(QString::fromLatin1(refused))), refused);
        }
        QCOMPARE(opened.size(), 2);
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorCreditsTokenFile)
#include "tst_quorcreditstokenfile.moc"
