#include "QuorKit/Design/QuorAdaptiveGridLayout.h"
#include "QuorZubApp/Views/Studio/ZubPlaygroundPresentation.h"
#include "QuorZubApp/Views/Studio/ZubSettingsPresentation.h"
#include "QuorZubApp/Views/Studio/ZubStudioHeaderPresentation.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Localization/QuorLocalizationStore.h"
#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"
#include "Support/QuorTestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

using Header = ZubStudioHeaderPresentation;
using Playground = ZubPlaygroundPresentation;
using Settings = ZubSettingsPresentation;

namespace {
ZubExecutionResult result(ZubActionKind kind, const QString& output, bool isError = false)
{
    ZubExecutionResult r;
    r.id = QUuid::createUuid();
    r.actionKind = kind;
    r.actionTitle = QStringLiteral("Translate");
    r.inputText = QStringLiteral("Merhaba dünya");
    r.outputText = output;
    r.isError = isError;
    r.durationMs = 842;
    return r;
}

QByteArray png()
{
    QImage image(21, 21, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QStringList titles(const Header& header)
{
    QStringList out;
    for (const auto& tab : header.tabs) {
        out << tab.title;
    }
    return out;
}
// The language pack example and its folder, as the README gives them to users.
struct ReadmePack {
    QString folder;
    QByteArray json;
};

ReadmePack readmePack()
{
    QFile file(qEnvironmentVariable("QUOR_SOURCE_DIR") + QStringLiteral("/README.md"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString readme = QString::fromUtf8(file.readAll());
    const QString section = readme.section(QStringLiteral("## Interface languages"), 1).section(QStringLiteral("\n## "), 0, 0);
    const QRegularExpression folder(QStringLiteral("`~/([^`]*Localizations)/`"));
    const QRegularExpression example(QStringLiteral("```json\n(.*?)```"), QRegularExpression::DotMatchesEverythingOption);
    return {folder.match(section).captured(1), example.match(section).captured(1).toUtf8()};
}
} // namespace

class TestZubStudioPresentation : public QObject {
    Q_OBJECT
private slots:
    void headerTitlesCountEnabledActionsAndEveryRecord()
    {
        Header h = Header::make(QuorLanguage::en, ZubStudioTab::history, 12, 3, true, false);
        QCOMPARE(titles(h), (QStringList{"Playground", "Actions (12)", "History (3)", "Settings"}));
        QCOMPARE(h.tabs[2].isActive, true);
        QCOMPARE(h.tabs[0].isActive, false);
        QCOMPARE(h.tabs[1].icon, QStringLiteral("slider.horizontal.3"));
        QCOMPARE(h.autoPillLabel, QStringLiteral("Auto-Zub"));
        QCOMPARE(h.ocrTitle, QStringLiteral("OCR Translate"));
        QVERIFY(h.ocrEnabled);
        QCOMPARE(h.productName, QStringLiteral("QuorZub"));

        h = Header::make(QuorLanguage::tr, ZubStudioTab::playground, 0, 0, false, true);
        QCOMPARE(titles(h), (QStringList{"Oyun Alanı", "Aksiyonlar (0)", "Geçmiş (0)", "Ayarlar"}));
        QCOMPARE(h.autoPillLabel, QStringLiteral("Duraklatıldı"));
        QCOMPARE(h.ocrTitle, QStringLiteral("Yakalanıyor…"));
        QVERIFY(!h.ocrEnabled);
        QCOMPARE(h.versionTooltip, QStringLiteral("Sürüm & Uygulama Logları"));
        QCOMPARE(h.productName, QStringLiteral("QuorZub"));
        QCOMPARE(Header::make(QuorLanguage::en, ZubStudioTab::actions, 1, 1, false, true).ocrTitle,
                 QStringLiteral("Capturing…"));
    }

    // A pack written as the README shows, in the folder it names, changes what the studio shows.
    void theReadmesLanguagePackChangesTheHeader()
    {
        const ReadmePack pack = readmePack();
        QVERIFY2(!pack.folder.isEmpty() && !pack.json.isEmpty(), "README: no pack folder or example");
        const QString folder = QDir::homePath() + QLatin1Char('/') + pack.folder;
        QCOMPARE(folder, QuorLocalizationStore::sharedSuiteLocalizationsDirectory());
        const QJsonObject object = QJsonDocument::fromJson(pack.json).object();
        QVERIFY(QDir().mkpath(folder));
        QFile file(folder + QLatin1Char('/') + object.value(QStringLiteral("code")).toString() + QStringLiteral(".json"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(pack.json) == pack.json.size());
        file.close();
        QuorLocalizationStore::shared().reloadCatalogs();
        const QString settings = object.value(QStringLiteral("strings")).toObject().value(QStringLiteral("Settings")).toString();
        QVERIFY(!settings.isEmpty());
        QCOMPARE(Header::make(QuorLanguage::de, ZubStudioTab::settings, 1, 1, true, false).tabs[3].title, settings);
        QCOMPARE(Header::make(QuorLanguage::fr, ZubStudioTab::settings, 1, 1, true, false).tabs[3].title,
                 QStringLiteral("Settings"));
        QVERIFY(file.remove());
        QuorLocalizationStore::shared().reloadCatalogs();
    }

    void headerLooks()
    {
        const auto white = [](double a) { return QColor::fromRgbF(1, 1, 1, static_cast<float>(a)); };
        QCOMPARE(Header::tabLook(true, false), (Header::TabLook{true, white(1), white(0.14)}));
        QCOMPARE(Header::tabLook(true, true), (Header::TabLook{true, white(1), white(0.14)}));
        QCOMPARE(Header::tabLook(false, true), (Header::TabLook{false, white(0.88), white(0.06)}));
        QCOMPARE(Header::tabLook(false, false).foreground, white(0.62));
        QCOMPARE(Header::tabLook(false, false).background.alpha(), 0);
        QCOMPARE(Header::pillLook(true, false), (Header::PillLook{QuorGlassTokens::success(), white(0.92), white(0.08)}));
        QCOMPARE(Header::pillLook(false, false), (Header::PillLook{white(0.32), white(0.6), white(0.04)}));
        QCOMPARE(Header::pillLook(false, true), (Header::PillLook{white(0.32), white(0.92), white(0.11)}));
    }

    void playgroundLiveFigures()
    {
        QCOMPARE(Playground::statsTextFor(QString(), QuorLanguage::en), QStringLiteral("0 words · 0 chars"));
        QCOMPARE(Playground::statsTextFor(QStringLiteral("   "), QuorLanguage::en), QStringLiteral("0 words · 3 chars"));
        QCOMPARE(Playground::detectedBadgeFor(QStringLiteral("   "), QuorLanguage::en), std::nullopt);
        QCOMPARE(Playground::statsTextFor(QStringLiteral("Çalışkan öğrenciler 👩‍💻 geldi."), QuorLanguage::tr),
                 QStringLiteral("3 kelime · 28 krk"));
        const QString turkish = Playground::sampleTexts(QuorLanguage::en)[0].text;
        QCOMPARE(Playground::detectedBadgeFor(turkish, QuorLanguage::en), QStringLiteral("Detected: TR"));
        QCOMPARE(Playground::detectedBadgeFor(turkish, QuorLanguage::tr), QStringLiteral("Algılanan: TR"));
    }

    void playgroundSamplesAndStatus()
    {
        const auto samples = Playground::sampleTexts(QuorLanguage::tr);
        QCOMPARE(samples.size(), 7);
        QCOMPARE(samples[0].title, QStringLiteral("TR Metin"));
        QCOMPARE(samples[6].text, QStringLiteral("serendipity"));
        QVERIFY(samples[2].text.endsWith(QStringLiteral("/quorzub?version=1&utm_source=twitter&utm_campaign=launch"
                                                        "&fbclid=IwAR2abc&si=xyz99#features")));
        QCOMPARE(samples[5].text.split(QLatin1Char('\n')).size(), 3);
        // The sample texts are the same in every interface language.
        QCOMPARE(samples[1].text, Playground::sampleTexts(QuorLanguage::en)[1].text);

        ZubConfig config = ZubConfig::defaultConfig();
        config.targetLanguage = ZubTargetLanguage::autoFlipTREN;
        config.translationBackend = ZubTranslationBackend::aiProvider;
        Playground p = Playground::make({}, std::nullopt, false, false, config, QuorLanguage::tr);
        QCOMPARE(p.statusPills[0].value, QStringLiteral("TR↔EN"));
        QCOMPARE(p.statusPills[1].value, QStringLiteral("AI"));
        QCOMPARE(p.statusPills[1].title, QStringLiteral("Arka Uç"));
        QCOMPARE(p.statusPills[2].value, QStringLiteral("Ctrl+Alt+A · Ctrl+Alt+Shift+O"));
        config.translationBackend = ZubTranslationBackend::offlineOnly;
        config.targetLanguage = ZubTargetLanguage::german;
        p = Playground::make({}, std::nullopt, false, false, config, QuorLanguage::tr);
        QCOMPARE(p.statusPills[1].value, QStringLiteral("Çevrimdışı"));
        QCOMPARE(p.statusPills[0].value, QStringLiteral("DE"));
        QCOMPARE(p.targetMenu.currentIndex, 3);
        QCOMPARE(p.targetMenu.label, QStringLiteral("Almanca (DE)"));
        QCOMPARE(p.targetMenu.items.size(), 7);
        QCOMPARE(p.caseMenu.items.size(), 5);
        QCOMPARE(p.resultState, Playground::ResultState::hidden);
    }

    void playgroundTilesFollowTheEnabledActions()
    {
        ZubConfig config = ZubConfig::defaultConfig();
        Playground p = Playground::make({}, std::nullopt, false, false, config, QuorLanguage::en);
        QCOMPARE(p.tiles.size(), config.enabledActions().size());
        QCOMPARE(p.tiles[0].title, QStringLiteral("Translate"));
        QVERIFY(p.tiles[0].accentSymbol);
        QVERIFY(!p.tiles[4].accentSymbol); // plain copy
        QVERIFY(p.tilesEnabled);
        for (ZubActionDefinition& action : config.actions) {
            action.isEnabled = false;
        }
        p = Playground::make({}, std::nullopt, true, false, config, QuorLanguage::en);
        QVERIFY(p.tiles.isEmpty());
        QVERIFY(!p.tilesEnabled);
    }

    void playgroundResultCardStates()
    {
        const ZubConfig config = ZubConfig::defaultConfig();
        ZubExecutionResult translation = result(ZubActionKind::translate, QStringLiteral("Hello world"));
        translation.detectedLanguageCode = QStringLiteral("tr");
        translation.targetLanguageCode = QStringLiteral("en");

        // Busy wins over an older result.
        Playground p = Playground::make({}, translation, true, false, config, QuorLanguage::en);
        QCOMPARE(p.resultState, Playground::ResultState::busy);
        QCOMPARE(p.busyTitle, QStringLiteral("Executing action..."));

        p = Playground::make({}, translation, false, false, config, QuorLanguage::en);
        QCOMPARE(p.resultState, Playground::ResultState::textResult);
        QCOMPARE(p.result->languageBadge, QStringLiteral("TR → EN"));
        QCOMPARE(p.result->duration, QStringLiteral("842 ms"));
        QCOMPARE(p.result->headerSymbol, QStringLiteral("globe"));
        QVERIFY(p.result->showsReplace);
        QCOMPARE(p.result->copyTitle, QStringLiteral("Copy Result"));
        QCOMPARE(p.result->speakTitle, QStringLiteral("Speak (TTS)"));
        QCOMPARE(p.result->speakSymbol, QStringLiteral("speaker.wave.2.fill"));

        p = Playground::make({}, translation, false, true, config, QuorLanguage::tr);
        QCOMPARE(p.result->speakTitle, QStringLiteral("Durdur"));
        QCOMPARE(p.result->speakSymbol, QStringLiteral("stop.fill"));
        QVERIFY(p.result->speakIsActive);
        QCOMPARE(p.result->replaceTitle, QStringLiteral("Girdiyi Değiştir"));

        // Only the kinds that can stand in for their input offer to replace it; errors never do.
        for (const ZubActionKind kind : {ZubActionKind::explain, ZubActionKind::wordStats, ZubActionKind::dictionary,
                                         ZubActionKind::openWebSearch, ZubActionKind::speak}) {
            QVERIFY(!Playground::makeResultCard(result(kind, "x"), false, QuorLanguage::en).showsReplace);
        }
        const auto error = Playground::makeResultCard(result(ZubActionKind::translate, "Select or enter some text first.", true),
                                                      false, QuorLanguage::en);
        QVERIFY(!error.showsReplace);
        QCOMPARE(error.headerSymbol, QStringLiteral("exclamationmark.triangle.fill"));
        QVERIFY(error.isError);
        QCOMPARE(error.languageBadge, std::nullopt);

        ZubExecutionResult qr = result(ZubActionKind::qrCode, QStringLiteral("QR code (11 characters)"));
        qr.qrPNGData = png();
        p = Playground::make({}, qr, false, false, config, QuorLanguage::en);
        QCOMPARE(p.resultState, Playground::ResultState::qrResult);
        QCOMPARE(p.result->copyTitle, QStringLiteral("Copy Image"));
        QCOMPARE(p.result->saveTitle, QStringLiteral("Save PNG"));
        QVERIFY(!p.result->showsReplace);
        // Bytes that are no image fall back to the text form.
        qr.qrPNGData = QByteArray("not a png");
        p = Playground::make({}, qr, false, false, config, QuorLanguage::en);
        QCOMPARE(p.resultState, Playground::ResultState::textResult);
        QCOMPARE(p.result->copyTitle, QStringLiteral("Copy Result"));
    }

    void settingsTexts()
    {
        ZubConfig config = ZubConfig::defaultConfig();
        config.hideDelaySeconds = 6.5;
        config.translationBackend = ZubTranslationBackend::offlineOnly;
        config.excludedBundleIDs = {QStringLiteral("Org.Gnome.Terminal"), QStringLiteral("keepassxc")};
        const QList<RunningAppCandidate> apps{{"org.gnome.terminal", "Terminal", "org.gnome.Terminal"},
                                              {"firefox", "Firefox", "firefox"}};
        Settings s = Settings::make(config, QuorLanguage::en, true, false, false, apps, QString());
        QCOMPARE(s.autoHideLabel, QStringLiteral("Auto-hide idle bar after: 6.5s"));
        QCOMPARE(Settings::autoHideLabelFor(6.5, QuorLanguage::tr), QStringLiteral("Boştaki çubuğu otomatik gizle: 6,5 sn"));
        QCOMPARE(Settings::autoHideLabelFor(20, QuorLanguage::tr), QStringLiteral("Boştaki çubuğu otomatik gizle: 20 sn"));
        QCOMPARE(Settings::autoHideLabelFor(-1.5, QuorLanguage::en), QStringLiteral("Auto-hide idle bar after: -1.5s"));
        QCOMPARE(Settings::autoHideLabelFor(6.9, QuorLanguage::en), QStringLiteral("Auto-hide idle bar after: 7s"));
        QCOMPARE(s.backends.size(), 3);
        QVERIFY(s.backends[2].isSelected);
        QVERIFY(!s.backends[0].isSelected);
        QCOMPARE(s.accessibility.badge, QStringLiteral("Granted"));
        QCOMPARE(s.accessibility.badgeColor, QuorGlassTokens::success());
        QVERIFY(!s.accessibility.buttonActive);
        QVERIFY(!s.accessibility.subtitle.contains(QStringLiteral("Missing")));
        QCOMPARE(s.screenRecording.badge, QStringLiteral("Required"));
        QVERIFY(s.screenRecording.buttonActive);
        QVERIFY(s.screenRecording.subtitle.contains(QStringLiteral("maim")));
        QCOMPARE(s.shortcuts[0].keys, QStringLiteral("Ctrl+Alt+A"));
        QCOMPARE(s.shortcuts[1].keys, QStringLiteral("Ctrl+Alt+Shift+O"));
        // No text names the other platform.
        for (const QString& text : {s.permissionsTitle, s.accessibility.title, s.accessibility.subtitle,
                                    s.screenRecording.title, s.screenRecording.subtitle}) {
            QVERIFY2(!text.contains(QStringLiteral("macOS")) && !text.contains(QStringLiteral("⌘")), qPrintable(text));
        }
        QVERIFY(!s.addButtonActive);
        QVERIFY(Settings::make(config, QuorLanguage::en, true, false, false, apps, QStringLiteral("   ")).addButtonActive);

        // A running application stored in another letter case shows as excluded.
        QVERIFY(s.showsQuickExclude);
        QVERIFY(s.runningChips[0].isExcluded);
        QCOMPARE(s.runningChips[0].symbol, QStringLiteral("checkmark.circle.fill"));
        QVERIFY(!s.runningChips[1].isExcluded);
        QCOMPARE(s.runningChips[1].symbol, QStringLiteral("plus.circle"));
        QVERIFY(!Settings::make(config, QuorLanguage::en, true, false, false, {}, QString()).showsQuickExclude);

        s = Settings::make(config, QuorLanguage::tr, false, true, true, {}, QString());
        QCOMPARE(s.accessibility.badge, QStringLiteral("Gerekli"));
        QVERIFY(s.accessibility.subtitle.contains(QStringLiteral("XTEST")));
        QCOMPARE(s.screenRecording.badge, QStringLiteral("Verildi"));
        QCOMPARE(s.excludedTitle, QStringLiteral("Hariç Tutulan Uygulamalar"));
        QCOMPARE(s.addTitle, QStringLiteral("Uygulama Kimliği Ekle"));
        QVERIFY(s.launchAtLoginOn);
    }

    void adaptiveGridColumns()
    {
        QCOMPARE(QuorAdaptiveGridLayout::columnCount(0, 132, 8), 1);
        QCOMPARE(QuorAdaptiveGridLayout::columnCount(131, 132, 8), 1);
        QCOMPARE(QuorAdaptiveGridLayout::columnCount(272, 132, 8), 2);
        QCOMPARE(QuorAdaptiveGridLayout::columnCount(271, 132, 8), 1);
        QCOMPARE(QuorAdaptiveGridLayout::columnCount(900, 220, 8), 3);
    }
};

QUOR_TEST_MAIN(TestZubStudioPresentation)
#include "tst_zubstudiopresentation.moc"
