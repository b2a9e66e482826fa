#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorNotificationCenter.h"
#include "QuorKit/Windowing/QuorAppActivationDelegate.h"

#include "Support/QuorTestSupport.h"

#include <QFile>
#include <QMainWindow>
#include <QtTest>

class TestQuorAppActivationDelegate : public QObject {
    Q_OBJECT

private slots:
    void nameAndLaunchLine()
    {
        const QuorBundle both(QVariantMap{{QStringLiteral("CFBundleDisplayName"), QStringLiteral("Demo Display")},
                                          {QStringLiteral("CFBundleName"), QStringLiteral("Demo")}},
                              std::nullopt);
        QCOMPARE(QuorAppActivationDelegate::resolvedAppName(both, QStringLiteral("proc")), QStringLiteral("Demo Display"));
        const QuorBundle nameOnly(QVariantMap{{QStringLiteral("CFBundleDisplayName"), 12},
                                              {QStringLiteral("CFBundleName"), QStringLiteral("Demo")},
                                              {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("2.1")},
                                              {QStringLiteral("CFBundleVersion"), QStringLiteral("7")}},
                                  std::nullopt);
        QCOMPARE(QuorAppActivationDelegate::launchMessage(nameOnly, QStringLiteral("proc"), QStringLiteral("Debian, Linux 6.1")),
                 QStringLiteral("Demo v2.1 (7) launched (Debian, Linux 6.1)"));
        const QuorBundle empty(QVariantMap{}, std::nullopt);
        QCOMPARE(QuorAppActivationDelegate::launchMessage(empty, QStringLiteral("proc"), QStringLiteral("X")),
                 QStringLiteral("proc v1.0.0 (100) launched (X)"));
        QVERIFY(QuorAppActivationDelegate::systemDescription().contains(QStringLiteral(", Linux ")));
    }

    void launchLogsOnceAndFrontsTheStudioWindow()
    {
        const auto logger = QuorAppLogger::shared(QStringLiteral("QuorZub"));
        logger->clear();
        QMainWindow studio;
        studio.show();
        studio.showMinimized();
        QuorAppActivationDelegate delegate;
        delegate.applicationDidFinishLaunching();
        QUOR_TRY_VERIFY(!studio.isMinimized());
        QFile file(logger->currentLogFileURL().toLocalFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QCOMPARE(text.count(QStringLiteral("launched (")), 1);
        QVERIFY(text.contains(QStringLiteral("\"category\":\"lifecycle\"")));
        QVERIFY(text.contains(QStringLiteral("QuorZub v1.0.0")));
    }

    void onlyRealWindowsCanBeFronted()
    {
        QWidget panel(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
        panel.setAttribute(Qt::WA_ShowWithoutActivating);
        QWidget popup(nullptr, Qt::Popup);
        // What an XEmbed tray holds: a visible top-level window outside the window manager.
        QWidget trayIcon(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
        QMainWindow hidden;
        panel.show();
        popup.show();
        trayIcon.show();
        QVERIFY(QuorAppActivationDelegate::studioWindowCandidate({&panel, &popup, &trayIcon, &hidden}) == nullptr);
        QVERIFY(!QuorAppActivationDelegate::hasVisibleWindows());
        QuorAppActivationDelegate::bringStudioWindowToFront();

        QMainWindow studio;
        studio.show();
        QCOMPARE(QuorAppActivationDelegate::studioWindowCandidate({&panel, &popup, &hidden, &studio}), &studio);
        QVERIFY(QuorAppActivationDelegate::hasVisibleWindows());
        popup.hide();
    }

    void reopenWithoutWindowsAsksForTheStudio()
    {
        int posted = 0;
        QObject context;
        QuorNotificationCenter::defaultCenter().addObserver(quorReopenStudioWindow, &context,
                                                            [&posted](const QuorNotification&) { ++posted; });
        QuorAppActivationDelegate delegate;
        QVERIFY(delegate.applicationShouldHandleReopen(false));
        QCOMPARE(posted, 1);
        QVERIFY(delegate.applicationShouldHandleReopen(true));
        QCOMPARE(posted, 1);
    }
};

QUOR_TEST_MAIN(TestQuorAppActivationDelegate)
#include "tst_quorappactivationdelegate.moc"
