#include "QuorZubApp/Views/Studio/ZubSettingsPresentation.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorZubCore/Models/ZubTargetLanguage.h"

#include <algorithm>
#include <cmath>

namespace {
QString t(const char* en, const char* tr, QuorLanguage language)
{
    return quorText(QString::fromUtf8(en), QString::fromUtf8(tr), {}, language);
}

void setBadge(ZubSettingsPresentation::PermissionTile& tile, bool granted, QuorLanguage language)
{
    tile.granted = granted;
    tile.badge = granted ? t("Granted", "Verildi", language) : t("Required", "Gerekli", language);
    tile.badgeColor = granted ? QuorGlassTokens::success() : QuorGlassTokens::warning();
    tile.buttonActive = !granted;
}
} // namespace

// X11 grants nothing per application: "accessibility" is a display with the extensions that read
// selections and send keys, and the re-check is all a button can do.
ZubSettingsPresentation::PermissionTile ZubSettingsPresentation::accessibilityTile(bool granted, QuorLanguage language)
{
    PermissionTile tile;
    tile.title = t("Selection & Keys (X11)", "Seçim ve Tuşlar (X11)", language);
    tile.subtitle = t("Reads selected text cleanly via the X11 selection without overwriting your clipboard & "
                      "enables Replace Selection.",
                      "Seçili metni panoyu bozmadan X11 seçiminden okur ve Seçimi Değiştir özelliğini "
                      "etkinleştirir.",
                      language);
    if (!granted) {
        tile.subtitle += QLatin1Char(' ') +
                         t("Missing: run QuorZub in an X11 or XWayland session whose display offers the XTEST, "
                           "XFIXES and XInput extensions, then check again.",
                           "Eksik: QuorZub'u ekranı XTEST, XFIXES ve XInput eklentilerini sunan bir X11 veya "
                           "XWayland oturumunda çalıştırın, sonra yeniden denetleyin.",
                           language);
    }
    tile.buttonTitle = t("Check Again", "Yeniden Denetle", language);
    tile.buttonName = t("Check selection and key access again", "Seçim ve tuş erişimini yeniden denetle", language);
    setBadge(tile, granted, language);
    if (!granted) {
        tile.stillMissing = t("Still missing: this display does not offer the XTEST, XFIXES and XInput extensions "
                              "that reading selections and sending keys need.",
                              "Hâlâ eksik: bu ekran, seçimleri okumak ve tuş göndermek için gereken XTEST, XFIXES ve "
                              "XInput eklentilerini sunmuyor.",
                              language);
    }
    return tile;
}

// The screen-capture permission is, here, an installed region-capture tool.
ZubSettingsPresentation::PermissionTile ZubSettingsPresentation::screenRecordingTile(bool granted, QuorLanguage language)
{
    PermissionTile tile;
    tile.title = t("Screen Capture Tool", "Ekran Yakalama Aracı", language);
    tile.subtitle = t("Used exclusively on-demand when you trigger Screen OCR Translate (Ctrl+Alt+Shift+O). Images are "
                      "deleted immediately.",
                      "Yalnızca Ekran OCR Çeviri (Ctrl+Alt+Shift+O) başlattığınızda kullanılır. Geçici görüntüler "
                      "anında silinir.",
                      language);
    if (!granted) {
        tile.subtitle += QLatin1Char(' ') + t("Missing: install maim and slop (sudo apt install maim slop), then "
                                              "check again.",
                                              "Eksik: maim ve slop'u kurun (sudo apt install maim slop), sonra "
                                              "yeniden denetleyin.",
                                              language);
    }
    tile.buttonTitle = t("Check Again", "Yeniden Denetle", language);
    tile.buttonName = t("Check for the screen capture tool again", "Ekran yakalama aracını yeniden denetle", language);
    setBadge(tile, granted, language);
    if (!granted) {
        tile.stillMissing = t("Still missing: no screen capture tool was found. Install maim and slop "
                              "(sudo apt install maim slop).",
                              "Hâlâ eksik: ekran yakalama aracı bulunamadı. maim ve slop'u kurun "
                              "(sudo apt install maim slop).",
                              language);
    }
    return tile;
}

QString ZubSettingsPresentation::autoHideLabelFor(double seconds, QuorLanguage language)
{
    // To the half second, so a delay typed into the file (6.5) reads as the slider shows it.
    const double halves = std::isfinite(seconds) ? std::round(seconds * 2) : 0;
    const bool whole = std::fmod(halves, 2) == 0;
    const QString n = QString::number(halves / 2, 'f', whole ? 0 : 1);
    return quorText(QStringLiteral("Auto-hide idle bar after: ") + n + QLatin1Char('s'),
                    QStringLiteral("Boştaki çubuğu otomatik gizle: ") + QString(n).replace(QLatin1Char('.'), QLatin1Char(','))
                        + QStringLiteral(" sn"),
                    {}, language);
}

int ZubSettingsPresentation::hideSliderPositionFor(double seconds)
{
    const double halves = std::isfinite(seconds) ? std::round(seconds * 2) : hideSliderMinimum;
    return static_cast<int>(std::clamp<double>(halves, hideSliderMinimum, hideSliderMaximum));
}

bool ZubSettingsPresentation::isExcluded(const QStringList& excludedBundleIDs, const QString& bundleID)
{
    for (const QString& entry : excludedBundleIDs) {
        if (entry.compare(bundleID, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

ZubSettingsPresentation ZubSettingsPresentation::make(const ZubConfig& config, QuorLanguage language,
                                                      bool accessibilityGranted, bool screenRecordingGranted,
                                                      bool launchAtLogin, const QList<RunningAppCandidate>& runningApps,
                                                      const QString& manualBundleID)
{
    ZubSettingsPresentation p;
    p.permissionsTitle = t("Desktop Privacy Permissions", "Masaüstü Gizlilik İzinleri", language);
    p.permissionsSubtitle = t("Required only for global selection capture, in-place replacement, and Screen OCR.",
                              "Yalnızca global metin seçimi yakalama, yerinde değiştirme ve Ekran OCR için gereklidir.",
                              language);
    p.refreshTitle = t("Refresh", "Yenile", language);
    p.refreshName = t("Refresh permissions", "İzinleri yenile", language);
    p.accessibility = accessibilityTile(accessibilityGranted, language);
    p.screenRecording = screenRecordingTile(screenRecordingGranted, language);

    p.engineTitle = t("Translation & AI Engine", "Çeviri ve AI Motoru", language);
    p.backendLabel = t("Translation Backend", "Çeviri Arka Ucu", language);
    for (const ZubTranslationBackend backend : ZubTranslationBackends::allCases()) {
        p.backends.append({backend, ZubTranslationBackends::displayName(backend, language),
                           backend == config.translationBackend});
    }
    p.targetLabel = t("Default Target Language", "Varsayılan Hedef Dil", language);
    for (const ZubTargetLanguage target : ZubTargetLanguages::allCases()) {
        p.targetItems << ZubTargetLanguages::displayName(target, language);
    }
    p.targetIndex = static_cast<int>(ZubTargetLanguages::allCases().indexOf(config.targetLanguage));

    p.behaviorTitle = t("Behavior & Shortcuts", "Davranış ve Kısayollar", language);
    p.autoShowLabel = t("Automatically show floating Zub bar on text selection",
                        "Metin seçildiğinde yüzen Zub çubuğunu otomatik göster", language);
    p.autoShowOn = config.autoShowOnSelection;
    p.autoHideLabel = autoHideLabelFor(config.hideDelaySeconds, language);
    p.hideDelay = config.hideDelaySeconds;
    p.hideSliderPosition = hideSliderPositionFor(config.hideDelaySeconds);
    p.launchAtLoginLabel = t("Launch QuorZub at Login", "Oturum Açıldığında QuorZub'u Başlat", language);
    p.launchAtLoginOn = launchAtLogin;
    p.languageLabel = t("Interface Language", "Arayüz Dili", language);
    p.shortcuts = {
        {QStringLiteral("Ctrl+Alt+A"), t("Trigger Zub on Selection / Clipboard", "Seçim / Pano Üzerinde Zub Aç", language)},
        {QStringLiteral("Ctrl+Alt+Shift+O"), t("Screen OCR Translate", "Ekran OCR Çeviri", language)},
    };

    p.excludedTitle = t("Excluded Applications", "Hariç Tutulan Uygulamalar", language);
    p.excludedSubtitle = t("Auto-Zub will stay silent in terminals, password managers, or any app listed below.",
                           "Otomatik Zub, terminallerde, parola yöneticilerinde ve aşağıdaki uygulamalarda tetiklenmez.",
                           language);
    p.refreshAppsTitle = t("Refresh Apps", "Uygulamaları Yenile", language);
    p.refreshAppsName = t("Refresh running apps", "Açık uygulamaları yenile", language);
    p.manualPlaceholder = QStringLiteral("com.example.app");
    p.manualFieldTitle = t("Application ID to exclude", "Hariç tutulacak uygulama kimliği", language);
    p.removeExcludedTitle = t("Stop excluding: ", "Hariç tutmayı bırak: ", language);
    p.addTitle = t("Add Application ID", "Uygulama Kimliği Ekle", language);
    p.addButtonActive = !manualBundleID.isEmpty();
    p.excludedRows = config.excludedBundleIDs;
    p.showsQuickExclude = !runningApps.isEmpty();
    p.quickExcludeTitle = t("Quick Exclude Running Apps", "Açık Uygulamalardan Hızlı Hariç Tut", language);
    for (const RunningAppCandidate& app : runningApps) {
        const bool excluded = isExcluded(config.excludedBundleIDs, app.bundleID);
        p.runningChips.append({app, excluded, excluded ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("plus.circle"),
                               quorText(QStringLiteral("Exclude ") + app.name, app.name + QStringLiteral(" uygulamasını hariç tut"),
                                        {}, language)});
    }
    return p;
}

ZubSettingsPresentation ZubSettingsPresentation::make(const ZubStudioModel& model, const QString& manualBundleID)
{
    return make(model.config(), model.language(), model.accessibilityGranted(), model.screenRecordingGranted(),
                model.launchAtLogin(), model.runningApps(), manualBundleID);
}
