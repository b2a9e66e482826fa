#pragma once

#include "QuorZubApp/Views/Studio/ZubSettingsPresentation.h"
#include "QuorZubApp/ViewModels/ZubStudioModel.h"

#include <QColor>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QSlider;
class QVBoxLayout;
class QuorAIUnifiedSettingsCard;
class QuorLanguagePicker;
class QuorMenuPicker;
class QuorAdaptiveGridLayout;
class ZubStudioButton;

// The settings tab: desktop permissions, the translation backend and default target language, the
// behaviour and shortcuts, and the excluded applications. Every value is read from the model and
// every change goes back through it; the only state of its own is the manual bundle-id field.
class ZubSettingsView : public QWidget {
    Q_OBJECT
public:
    ZubSettingsView(ZubStudioModel& model, const QColor& accent, QWidget* parent = nullptr);

    const ZubSettingsPresentation& presentation() const { return m_presentation; }
    QuorAIUnifiedSettingsCard* aiCard() const { return m_aiCard; }
    QString manualBundleID() const { return m_manualBundleID; }

    // The controls' effects, as their clicks run them.
    void refreshPermissions();
    void chooseBackend(ZubTranslationBackend backend);
    void chooseTargetLanguage(int index);
    void setHideDelay(int seconds);
    void chooseInterfaceLanguage(QuorLanguage language);
    void addManualBundleID();
    void toggleRunningApp(const RunningAppCandidate& app);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildPermissionsCard();
    QWidget* buildEngineCard();
    QWidget* buildBehaviorCard();
    QWidget* buildExcludedCard();
    void sync();
    void syncPermissions();
    void syncExcluded(const ZubSettingsPresentation& previous);

    ZubStudioModel& m_model;
    QColor m_accent;
    QString m_manualBundleID;
    ZubSettingsPresentation m_presentation;
    bool m_firstSync = true;

    QLabel* m_permissionsTitle = nullptr;
    QLabel* m_permissionsSubtitle = nullptr;
    QAbstractButton* m_refreshButton = nullptr;
    QWidget* m_accessibilityTile = nullptr;
    QWidget* m_screenTile = nullptr;

    QLabel* m_engineTitle = nullptr;
    QLabel* m_backendLabel = nullptr;
    QList<ZubStudioButton*> m_backendTiles;
    QLabel* m_targetLabel = nullptr;
    QuorMenuPicker* m_targetPicker = nullptr;
    QuorAIUnifiedSettingsCard* m_aiCard = nullptr;

    QLabel* m_behaviorTitle = nullptr;
    QAbstractButton* m_autoShowToggle = nullptr;
    QLabel* m_autoHideLabel = nullptr;
    QSlider* m_hideSlider = nullptr;
    QAbstractButton* m_launchToggle = nullptr;
    QLabel* m_languageLabel = nullptr;
    QuorLanguagePicker* m_languagePicker = nullptr;
    QList<QWidget*> m_shortcuts;

    QLabel* m_excludedTitle = nullptr;
    QLabel* m_excludedSubtitle = nullptr;
    QAbstractButton* m_refreshAppsButton = nullptr;
    QLineEdit* m_manualField = nullptr;
    QAbstractButton* m_addButton = nullptr;
    QWidget* m_excludedGrid = nullptr;
    QuorAdaptiveGridLayout* m_excludedLayout = nullptr;
    QLabel* m_quickTitle = nullptr;
    QWidget* m_quickScroll = nullptr;
    QWidget* m_quickRow = nullptr;
};
