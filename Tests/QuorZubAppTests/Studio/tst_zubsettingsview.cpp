#include "FakeStudioModel.h"

#include "QuorZubApp/Views/Studio/ZubSettingsView.h"

#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "QuorKit/Design/QuorLanguagePicker.h"
#include "QuorKit/Design/QuorMenuPicker.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/UI/AI/QuorAIUnifiedSettingsCard.h"
#include "QuorKit/Utilities/QuorSettings.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QtTest>

namespace {
QAbstractButton* button(const QWidget& view, const QString& name)
{
    return view.findChild<QAbstractButton*>(name);
}

QAbstractButton* tileButton(const QWidget& view, const char* tile)
{
    return view.findChild<QWidget*>(QString::fromLatin1(tile))->findChild<QAbstractButton*>(QStringLiteral("button"));
}

QString stored()
{
    return QuorSettings::standard().string(QuorLanguages::defaultsKey).value_or(QString());
}

QStringList excludedRows(const QWidget& view)
{
    QStringList rows;
    for (const QWidget* row : view.findChildren<QWidget*>(QRegularExpression(QStringLiteral("^excluded:")))) {
        rows << row->objectName().mid(9);
    }
    return rows;
}

const QList<RunningAppCandidate> apps{{"org.gnome.terminal", "Terminal", "org.gnome.Terminal"},
                                      {"firefox", "Firefox", "firefox"}};
} // namespace

class TestZubSettingsView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QuorKeyboardAccess::install(); }

    void init()
    {
        qputenv("LANGUAGE", "de_DE:en");
        QuorLanguages::setCurrent(QuorLanguage::en);
    }

    void comingOnScreenChecksPermissionsAndRunningApps()
    {
        FakeStudioModel model;
        model.workspaceApps = apps;
        model.accessibilityAnswer = true;
        model.screenRecordingAnswer = false;
        ZubSettingsView view(model, Qt::magenta);
        QVERIFY(model.calls.isEmpty());
        view.show();
        QCOMPARE(model.calls, (QStringList{"checkAccessibilityGranted", "checkScreenRecordingGranted", "refreshRunningApps"}));
        QVERIFY(model.accessibilityGranted());
        QCOMPARE(view.presentation().accessibility.badge, QStringLiteral("Granted"));
        QCOMPARE(view.presentation().runningChips.size(), 2);
        QVERIFY(!view.findChild<QLabel*>(QStringLiteral("quickExcludeTitle"))->isHidden());

        // Refresh re-checks the two permissions only; a grant made meanwhile shows then, not before.
        model.screenRecordingAnswer = true;
        QCOMPARE(view.presentation().screenRecording.badge, QStringLiteral("Required"));
        model.calls.clear();
        button(view, QStringLiteral("refreshPermissions"))->click();
        QCOMPARE(model.calls, (QStringList{"checkAccessibilityGranted", "checkScreenRecordingGranted"}));
        QCOMPARE(view.presentation().screenRecording.badge, QStringLiteral("Granted"));

        model.calls.clear();
        tileButton(view, "accessibilityTile")->click();
        QCOMPARE(model.calls, QStringList{"requestAccessibilityPermission"});
        model.screenRecordingAnswer = false;
        tileButton(view, "screenRecordingTile")->click();
        QVERIFY(!model.screenRecordingGranted());
        QVERIFY(std::get<QuorGlassButtonStyle>(static_cast<QuorStyledButton*>(tileButton(view, "screenRecordingTile"))
                                                   ->buttonStyle()).isActive);
        button(view, QStringLiteral("refreshApps"))->click();
        QCOMPARE(model.count(QStringLiteral("refreshRunningApps")), 1);

        model.workspaceApps.clear();
        model.refreshRunningApps();
        QVERIFY(view.findChild<QLabel*>(QStringLiteral("quickExcludeTitle"))->isHidden());
    }

    // A check that finds the access still missing says so, in the interface language: nothing
    // else on screen would change. The two buttons look alike but are named after what they check.
    void checkAgainSaysWhatIsStillMissing()
    {
        for (const QuorLanguage language : {QuorLanguage::en, QuorLanguage::tr}) {
            FakeStudioModel model;
            model.setLanguage(language);
            model.accessibilityAnswer = false;
            model.screenRecordingAnswer = false;
            ZubSettingsView view(model, Qt::magenta);
            view.show();
            const ZubSettingsPresentation& p = view.presentation();
            QVERIFY(p.accessibility.stillMissing.startsWith(language == QuorLanguage::en ? "Still missing" : "Hâlâ eksik"));
            for (const auto& [tile, told] : {std::pair{"accessibilityTile", p.accessibility.stillMissing},
                                             std::pair{"screenRecordingTile", p.screenRecording.stillMissing}}) {
                model.clearToast();
                tileButton(view, tile)->click();
                QCOMPARE(model.toastMessage(), told);
                QVERIFY(model.toastIsError());
            }
            const auto nameOf = [&view](const char* tile) {
                return QAccessible::queryAccessibleInterface(tileButton(view, tile))->text(QAccessible::Name);
            };
            QCOMPARE(tileButton(view, "accessibilityTile")->text(), tileButton(view, "screenRecordingTile")->text());
            QVERIFY(nameOf("accessibilityTile").contains(language == QuorLanguage::en ? "key access" : "tuş erişimini"));
            QVERIFY(nameOf("screenRecordingTile").contains(language == QuorLanguage::en ? "screen capture" : "Ekran yakalama"));
        }
    }

    // The card answers a keystroke by drawing itself once, with the catalog's rows built once.
    void aKeystrokeInTheEndpointFieldDrawsTheCardOnce()
    {
        FakeStudioModel model;
        ZubSettingsView view(model, Qt::magenta);
        ZubConfig config = model.config();
        config.aiConfig.endpointURL.clear();
        model.setConfig(config);
        auto* field = view.findChild<QLineEdit*>(QStringLiteral("endpointField"));
        QVERIFY(field->text().isEmpty());
        const quint64 before = view.aiCard()->syncCount();
        QTest::keyClicks(field, QStringLiteral("http://127.0.0.1:8080"));
        QCOMPARE(view.aiCard()->syncCount() - before, quint64(21));
        QCOMPARE(model.config().aiConfig.endpointURL, QStringLiteral("http://127.0.0.1:8080"));
        QCOMPARE(model.count(QStringLiteral("persistConfig")), 21);
    }

    void engineControlsWriteAndPersist()
    {
        FakeStudioModel model;
        ZubSettingsView view(model, Qt::magenta);
        button(view, QStringLiteral("backend:offlineOnly"))->click();
        QCOMPARE(model.persisted->translationBackend, ZubTranslationBackend::offlineOnly);
        QVERIFY(view.presentation().backends[2].isSelected);
        // The chosen tile again still writes.
        button(view, QStringLiteral("backend:offlineOnly"))->click();
        QCOMPARE(model.count(QStringLiteral("persistConfig")), 2);

        view.findChild<QuorMenuPicker*>(QStringLiteral("targetPicker"))->pick(6);
        QCOMPARE(model.persisted->targetLanguage, ZubTargetLanguage::japanese);
        QCOMPARE(view.findChild<QuorMenuPicker*>(QStringLiteral("targetPicker"))->currentIndex(), 6);
    }

    void behaviourControlsWriteThroughTheModel()
    {
        FakeStudioModel model;
        ZubSettingsView view(model, Qt::magenta);
        auto* slider = view.findChild<QSlider*>(QStringLiteral("hideSlider"));
        auto* label = view.findChild<QLabel*>(QStringLiteral("autoHideLabel"));
        for (int second = 6; second < 9; ++second) {
            QTest::keyClick(slider, Qt::Key_Right);
        }
        QCOMPARE(model.persisted->hideDelaySeconds, 9.0);
        QCOMPARE(label->text(), QStringLiteral("Auto-hide idle bar after: 9s"));
        // A stored value is shown, never written back by the view; a half second stands where the
        // label says, and the keys move on from it to whole seconds.
        const int saves = model.count(QStringLiteral("persistConfig"));
        ZubConfig config = model.config();
        config.hideDelaySeconds = 6.5;
        model.setConfig(config);
        QCOMPARE(label->text(), QStringLiteral("Auto-hide idle bar after: 6.5s"));
        QCOMPARE(static_cast<double>(slider->value() - slider->minimum()) / (slider->maximum() - slider->minimum()),
                 (6.5 - 2) / (15 - 2));
        QCOMPARE(model.count(QStringLiteral("persistConfig")), saves);
        for (const auto& [key, seconds] : {std::pair{Qt::Key_Right, 7.0}, std::pair{Qt::Key_Left, 6.0}}) {
            model.setConfig(config);
            QTest::keyClick(slider, key);
            QCOMPARE(model.persisted->hideDelaySeconds, seconds);
        }
        config.hideDelaySeconds = 40;
        model.setConfig(config);
        QCOMPARE(label->text(), QStringLiteral("Auto-hide idle bar after: 40s"));
        QCOMPARE(model.count(QStringLiteral("persistConfig")), saves + 2);
        QCOMPARE(model.config().hideDelaySeconds, 40.0);

        button(view, QStringLiteral("autoShowToggle"))->click();
        QVERIFY(model.calls.contains(QStringLiteral("setAutoShowOnSelection: false")));
        QVERIFY(!button(view, QStringLiteral("autoShowToggle"))->isChecked());

        button(view, QStringLiteral("launchToggle"))->click();
        QVERIFY(model.calls.contains(QStringLiteral("toggleLaunchAtLogin: true")));
        QVERIFY(button(view, QStringLiteral("launchToggle"))->isChecked());
        // A refused change springs back to what the system reports.
        model.launchAtLoginAccepted = false;
        button(view, QStringLiteral("launchToggle"))->click();
        QVERIFY(model.calls.contains(QStringLiteral("toggleLaunchAtLogin: false")));
        QVERIFY(button(view, QStringLiteral("launchToggle"))->isChecked());
    }

    void interfaceLanguageReachesTheModelTheBarAndTheStore()
    {
        FakeStudioModel model;
        ZubSettingsView view(model, Qt::magenta);
        auto* picker = view.findChild<QuorLanguagePicker*>(QStringLiteral("interfaceLanguage"));
        picker->select(QuorLanguageSelection::explicitLanguage(QuorLanguage::tr));
        QCOMPARE(model.language(), QuorLanguage::tr);
        QCOMPARE(model.floatingBarLanguage, QuorLanguage::tr);
        QCOMPARE(stored(), QStringLiteral("tr"));
        QCOMPARE(view.presentation().excludedTitle, QStringLiteral("Hariç Tutulan Uygulamalar"));
        QCOMPARE(model.calls.filter(QStringLiteral("Language")),
                 (QStringList{"setLanguage: tr", "setFloatingBarLanguage: tr"}));

        // Following the system: the system's language is applied and "system" stays stored.
        picker->select(QuorLanguageSelection::system());
        QCOMPARE(model.language(), QuorLanguage::de);
        QCOMPARE(model.floatingBarLanguage, QuorLanguage::de);
        QCOMPARE(stored(), QStringLiteral("system"));
        QVERIFY(picker->isFollowingSystem());
    }

    void excludedApplicationsAddRemoveAndToggle()
    {
        FakeStudioModel model;
        ZubConfig config = model.config();
        config.excludedBundleIDs = {QStringLiteral("Org.Gnome.Terminal")};
        model.setConfig(config);
        model.workspaceApps = apps;
        ZubSettingsView view(model, Qt::magenta);
        view.show();
        QCOMPARE(excludedRows(view), QStringList{"Org.Gnome.Terminal"});

        auto* field = view.findChild<QLineEdit*>(QStringLiteral("manualBundleID"));
        auto* add = static_cast<QuorStyledButton*>(button(view, QStringLiteral("addBundleID")));
        QVERIFY(!std::get<QuorGlassButtonStyle>(add->buttonStyle()).isActive);
        field->setText(QStringLiteral("  Org.KDE.Kate \n"));
        QVERIFY(std::get<QuorGlassButtonStyle>(add->buttonStyle()).isActive);
        add->click();
        QVERIFY(model.calls.contains(QStringLiteral("addExcludedBundleID:   Org.KDE.Kate \n")));
        QCOMPARE(excludedRows(view), (QStringList{"Org.Gnome.Terminal", "Org.KDE.Kate"}));
        QVERIFY(field->text().isEmpty());
        // Another letter case of a stored entry, or blanks: nothing added, the field still emptied.
        field->setText(QStringLiteral("org.kde.kate"));
        add->click();
        field->setText(QStringLiteral("   "));
        QVERIFY(std::get<QuorGlassButtonStyle>(add->buttonStyle()).isActive);
        add->click();
        QCOMPARE(excludedRows(view), (QStringList{"Org.Gnome.Terminal", "Org.KDE.Kate"}));
        QVERIFY(field->text().isEmpty());

        // Beside the other refresh buttons, each says what it refreshes; a chip is a check box named
        // after what it does.
        QCOMPARE(button(view, QStringLiteral("refreshPermissions"))->accessibleName(), QStringLiteral("Refresh permissions"));
        QCOMPARE(button(view, QStringLiteral("refreshApps"))->accessibleName(), QStringLiteral("Refresh running apps"));
        for (const auto& [name, title, excluded] : {std::tuple{"running:org.gnome.terminal", "Exclude Terminal", true},
                                                    std::tuple{"running:firefox", "Exclude Firefox", false}}) {
            QAccessibleInterface* chip = QAccessible::queryAccessibleInterface(button(view, QString::fromLatin1(name)));
            QCOMPARE(chip->text(QAccessible::Name), QString::fromUtf8(title));
            QCOMPARE(chip->role(), QAccessible::CheckBox);
            QCOMPARE(bool(chip->state().checked), excluded);
        }

        // The running terminal is stored in another case: its chip shows it excluded and removes it.
        QVERIFY(view.presentation().runningChips[0].isExcluded);
        button(view, QStringLiteral("running:org.gnome.terminal"))->click();
        QVERIFY(model.calls.contains(QStringLiteral("removeExcludedBundleID: org.gnome.Terminal")));
        QCOMPARE(excludedRows(view), QStringList{"Org.KDE.Kate"});
        button(view, QStringLiteral("running:firefox"))->click();
        QCOMPARE(excludedRows(view), (QStringList{"Org.KDE.Kate", "firefox"}));

        view.findChild<QWidget*>(QStringLiteral("excluded:Org.KDE.Kate"))
            ->findChild<QAbstractButton*>(QStringLiteral("remove"))
            ->click();
        QVERIFY(model.calls.contains(QStringLiteral("removeExcludedBundleID: Org.KDE.Kate")));
        QCOMPARE(excludedRows(view), QStringList{"firefox"});
    }
};

QUOR_TEST_MAIN(TestZubSettingsView)
#include "tst_zubsettingsview.moc"
