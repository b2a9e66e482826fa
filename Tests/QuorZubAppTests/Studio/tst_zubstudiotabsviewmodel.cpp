#include "../StudioViewModel/FakeStudioEnvironment.h"

#include "QuorKit/Design/QuorMenuPicker.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/Studio/ZubActionsView.h"
#include "QuorZubApp/Views/Studio/ZubHistoryView.h"
#include "QuorZubApp/Views/Studio/ZubSettingsView.h"
#include "QuorZubCore/Services/ZubConfigStore.h"

#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

namespace {
ZubHistoryRecord record(const QString& output, bool pinned)
{
    ZubHistoryRecord r;
    r.id = QUuid::createUuid();
    r.actionKind = ZubActionKind::plainCopy;
    r.actionTitle = QStringLiteral("Plain Copy");
    r.inputText = output;
    r.outputText = output;
    r.isPinned = pinned;
    r.createdAt = QDateTime::currentDateTimeUtc().addSecs(-60);
    r.createdAt.setTime(QTime(r.createdAt.time().hour(), r.createdAt.time().minute(), r.createdAt.time().second()));
    return r;
}
} // namespace

// The two tabs over the application's real view model: what they do reaches the files.
class TestZubStudioTabsViewModel : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;

    std::unique_ptr<ZubStudioViewModel> makeViewModel()
    {
        ZubConfig config = ZubConfig::defaultConfig();
        config.translationBackend = ZubTranslationBackend::offlineOnly;
        ZubConfigStore(m_dir->path()).saveConfig(config);
        return std::make_unique<ZubStudioViewModel>(std::make_unique<FakeStudioEnvironment>(), m_dir->path());
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { m_dir.reset(); }

    void anActionAddedInTheTabIsInConfigJson()
    {
        const std::unique_ptr<ZubStudioViewModel> vm = makeViewModel();
        ZubActionsView view(*vm, Qt::magenta);
        view.show();
        view.findChild<QLineEdit*>(QStringLiteral("titleEN"))->setText(QStringLiteral("Polite Slack Reply"));
        view.findChild<QAbstractButton*>(QStringLiteral("symbol:envelope.fill"))->click();
        view.findChild<QPlainTextEdit*>(QStringLiteral("prompt"))
            ->setPlainText(QStringLiteral("  Rewrite as a concise, friendly Slack reply.\n"));
        view.findChild<QAbstractButton*>(QStringLiteral("addCustomAction"))->click();
        // Confirmed once the file holds it.
        QUOR_TRY_COMPARE(vm->toastMessage(), QStringLiteral("Custom AI action added."));

        QFile file(m_dir->path() + QStringLiteral("/config.json"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonArray actions = QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("actions")).toArray();
        QCOMPARE(actions.size(), ZubActionDefinition::defaultActions().size() + 1);
        const QJsonObject added = actions.last().toObject();
        QCOMPARE(added.value(QStringLiteral("kind")).toString(), QStringLiteral("customAI"));
        QCOMPARE(added.value(QStringLiteral("titleEN")).toString(), QStringLiteral("Polite Slack Reply"));
        QCOMPARE(added.value(QStringLiteral("titleTR")).toString(), QStringLiteral("Polite Slack Reply"));
        QCOMPARE(added.value(QStringLiteral("symbolName")).toString(), QStringLiteral("envelope.fill"));
        QCOMPARE(added.value(QStringLiteral("customPrompt")).toString(),
                 QStringLiteral("Rewrite as a concise, friendly Slack reply."));
        QCOMPARE(added.value(QStringLiteral("isEnabled")).toBool(), true);

        // Switched off and moved up from the tab: the stored list follows.
        const ZubActionDefinition stored = ZubConfigStore(m_dir->path()).loadConfig().sortedActions().last();
        QWidget* row = view.findChild<QWidget*>(QStringLiteral("action:") + stored.id.toString(QUuid::WithoutBraces));
        row->findChild<QAbstractButton*>(QStringLiteral("enabledSwitch"))->click();
        row->findChild<QAbstractButton*>(QStringLiteral("up"))->click();
        vm->flushConfig();
        const QList<ZubActionDefinition> reloaded = ZubConfigStore(m_dir->path()).loadConfig().sortedActions();
        QCOMPARE(reloaded[reloaded.size() - 2].id, stored.id);
        QVERIFY(!reloaded[reloaded.size() - 2].isEnabled);
    }

    void aRecordPinnedInTheTabSurvivesClearing()
    {
        const ZubHistoryRecord kept = record(QStringLiteral("kept"), false);
        const ZubHistoryRecord dropped = record(QStringLiteral("dropped"), false);
        ZubConfigStore(m_dir->path()).saveHistory({dropped, kept});
        const std::unique_ptr<ZubStudioViewModel> vm = makeViewModel();
        QCOMPARE(vm->history().size(), 2);
        ZubHistoryView view(*vm, Qt::magenta);
        view.show();
        view.findChild<QWidget*>(QStringLiteral("record:") + kept.id.toString(QUuid::WithoutBraces))
            ->findChild<QAbstractButton*>(QStringLiteral("pin"))
            ->click();
        vm->flushHistory();
        QVERIFY(ZubConfigStore(m_dir->path()).loadHistory()[1].isPinned);

        view.findChild<QAbstractButton*>(QStringLiteral("clearUnpinned"))->click();
        QCOMPARE(vm->history().size(), 1);
        QCOMPARE(vm->history()[0].id, kept.id);
        vm->flushHistory();
        const QList<ZubHistoryRecord> stored = ZubConfigStore(m_dir->path()).loadHistory();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].id, kept.id);
        QVERIFY(stored[0].isPinned);
        QCOMPARE(view.presentation().cards.size(), 1);
        QVERIFY(!view.findChild<QAbstractButton*>(QStringLiteral("clearUnpinned"))->isEnabled());
    }

    void theSettingsTabsChoicesSurviveARestart()
    {
        {
            const std::unique_ptr<ZubStudioViewModel> vm = makeViewModel();
            ZubSettingsView view(*vm, Qt::magenta);
            view.show();
            view.findChild<QAbstractButton*>(QStringLiteral("backend:aiProvider"))->click();
            view.findChild<QuorMenuPicker*>(QStringLiteral("targetPicker"))->pick(6);
            auto* slider = view.findChild<QSlider*>(QStringLiteral("hideSlider"));
            for (int second = 6; second < 11; ++second) {
                QTest::keyClick(slider, Qt::Key_Right);
            }
            view.findChild<QAbstractButton*>(QStringLiteral("autoShowToggle"))->click();
            view.findChild<QLineEdit*>(QStringLiteral("manualBundleID"))->setText(QStringLiteral("org.kde.kate"));
            view.findChild<QAbstractButton*>(QStringLiteral("addBundleID"))->click();
        }
        // A new start reads the same folder.
        const ZubStudioViewModel restarted(std::make_unique<FakeStudioEnvironment>(), m_dir->path());
        const ZubConfig config = restarted.config();
        QCOMPARE(config.translationBackend, ZubTranslationBackend::aiProvider);
        QCOMPARE(config.targetLanguage, ZubTargetLanguage::japanese);
        QCOMPARE(config.hideDelaySeconds, 11.0);
        QVERIFY(!config.autoShowOnSelection);
        QVERIFY(config.excludedBundleIDs.contains(QStringLiteral("org.kde.kate")));
    }
};

QUOR_TEST_MAIN(TestZubStudioTabsViewModel)
#include "tst_zubstudiotabsviewmodel.moc"
