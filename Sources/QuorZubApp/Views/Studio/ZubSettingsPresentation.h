#pragma once

#include "QuorZubApp/ViewModels/ZubStudioModel.h"
#include "QuorZubCore/Models/ZubTranslationBackend.h"

#include <QColor>
#include <QList>
#include <QString>

// Every text, colour and visibility decision of the settings tab for one state of the view model.
struct ZubSettingsPresentation {
    struct PermissionTile {
        QString title;
        QString subtitle; // what it is for and, while missing, what to do
        bool granted = false;
        QString badge;    // "Granted" / "Required"
        QColor badgeColor;
        QString buttonTitle;
        QString buttonName; // what the button checks, for assistive tools: the two titles are alike
        bool buttonActive = false; // the highlighted glass look while missing
        QString stillMissing;      // what a check that finds it missing again says (while missing)
        bool operator==(const PermissionTile& other) const = default;
    };

    struct BackendTile {
        ZubTranslationBackend backend = ZubTranslationBackend::aiProvider;
        QString title;
        bool isSelected = false;
        bool operator==(const BackendTile& other) const = default;
    };

    struct Shortcut {
        QString keys;
        QString label;
        bool operator==(const Shortcut& other) const = default;
    };

    struct RunningChip {
        RunningAppCandidate app;
        bool isExcluded = false;
        QString symbol;
        QString accessibleName; // "Exclude <app>": a check box, checked while excluded
        bool operator==(const RunningChip& other) const = default;
    };

    QString permissionsTitle;
    QString permissionsSubtitle;
    QString refreshTitle;
    QString refreshName; // what the button does, for assistive tools
    PermissionTile accessibility;
    PermissionTile screenRecording;

    QString engineTitle;
    QString backendLabel;
    QList<BackendTile> backends;
    QString targetLabel;
    QStringList targetItems;
    int targetIndex = 0;

    QString behaviorTitle;
    QString autoShowLabel;
    bool autoShowOn = false;
    QString autoHideLabel;
    double hideDelay = 6;
    // The slider's position, in half seconds within its range: where the label's number stands.
    int hideSliderPosition = 12;
    QString launchAtLoginLabel;
    bool launchAtLoginOn = false;
    QString languageLabel;
    QList<Shortcut> shortcuts;

    QString excludedTitle;
    QString excludedSubtitle;
    QString refreshAppsTitle;
    QString refreshAppsName;
    QString manualPlaceholder;
    QString manualFieldTitle;
    QString addTitle;
    bool addButtonActive = false;
    QStringList excludedRows;
    // Before an excluded entry: the name of the button that removes it.
    QString removeExcludedTitle;
    bool showsQuickExclude = false;
    QString quickExcludeTitle;
    QList<RunningChip> runningChips;

    bool operator==(const ZubSettingsPresentation& other) const = default;

    static ZubSettingsPresentation make(const ZubConfig& config, QuorLanguage language, bool accessibilityGranted,
                                        bool screenRecordingGranted, bool launchAtLogin,
                                        const QList<RunningAppCandidate>& runningApps, const QString& manualBundleID);
    static ZubSettingsPresentation make(const ZubStudioModel& model, const QString& manualBundleID);
    // The slider's range, in half seconds (2 to 15 s; it moves in whole seconds).
    static constexpr int hideSliderMinimum = 4;
    static constexpr int hideSliderMaximum = 30;
    // "Auto-hide idle bar after: 6s", "6.5s": the delay to the half second, as the slider shows it.
    static QString autoHideLabelFor(double seconds, QuorLanguage language);
    static int hideSliderPositionFor(double seconds);
    // Whether `bundleID` is in the list, ignoring letter case.
    static bool isExcluded(const QStringList& excludedBundleIDs, const QString& bundleID);
    static PermissionTile accessibilityTile(bool granted, QuorLanguage language);
    static PermissionTile screenRecordingTile(bool granted, QuorLanguage language);
};
