#include "QuorZubHarness.h"

#include "QuorZubCore/Models/ZubConfig.h"

#include "Support/QuorTestSupport.h"

#include <QJsonDocument>
#include <QWidget>
#include <QtTest>

namespace {
const QString kStudioTitle = QStringLiteral("QuorZub — by Tallowmer");

QByteArray offlineConfig()
{
    ZubConfig config = ZubConfig::defaultConfig();
    config.translationBackend = ZubTranslationBackend::offlineOnly;
    return QJsonDocument(config.toJson()).toJson();
}
} // namespace

// The real program on the test display: started, used and started again as a person would.
class TestQuorZubApp : public QObject {
    Q_OBJECT

private slots:
    void aSecondLaunchBringsTheStudioForward()
    {
        QuorZubInstance zub;
        zub.writeConfig(offlineConfig());
        const auto started = zub.start();
        QVERIFY2(started.has_value(), zub.output().constData());
        qInfo("cold start to tray icon and hot keys ready: %lld ms", static_cast<long long>(started->count()));
        X11Windows windows;
        QTRY_VERIFY_WITH_TIMEOUT(windows.find(zub.pid(), kStudioTitle).has_value(), 10000);
        quorSpin(std::chrono::milliseconds(1500));
        qInfo("resident memory after start, idle: %lld kB", static_cast<long long>(zub.residentKilobytes()));

        // Closed, it only hides; the program keeps running.
        windows.requestClose(windows.find(zub.pid(), kStudioTitle)->window);
        QTRY_VERIFY_WITH_TIMEOUT(!windows.find(zub.pid(), kStudioTitle).has_value(), 10000);
        QVERIFY(zub.isRunning());
        QCOMPARE(zub.startAgain(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(windows.find(zub.pid(), kStudioTitle).has_value(), 10000);
        const unsigned long studio = windows.find(zub.pid(), kStudioTitle)->window;
        QTRY_COMPARE_WITH_TIMEOUT(windows.activeWindow(), studio, 10000);

        // Behind another application's window, it comes to the front.
        QWidget other;
        other.setWindowTitle(QStringLiteral("another application"));
        other.resize(600, 400);
        other.show();
        other.activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(windows.activeWindow() != studio, 10000);
        QCOMPARE(zub.startAgain(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(windows.activeWindow(), studio, 10000);
        QCOMPARE(zub.logMessages(QStringLiteral(" launched (")).size(), 1);
        QVERIFY(zub.isRunning());
    }
};

QUOR_TEST_MAIN(TestQuorZubApp)
#include "tst_quorzubapp.moc"
