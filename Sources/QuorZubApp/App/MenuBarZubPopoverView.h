#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorZubCore/Models/ZubConfig.h"
#include "QuorZubCore/Models/ZubHistoryRecord.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QString>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;
class QLabel;
class QVBoxLayout;
class QuorFeedbackButton;
class QuorStyledButton;
class ZubStudioViewModel;

// The tray window's content: the mark and target language, feedback, the auto-show switch, the two
// triggers, the four newest results (click to copy), and buttons for the studio and quitting.
// It keeps nothing of its own: every change of the view model rebuilds what it shows.
class MenuBarZubPopoverView : public QWidget {
    Q_OBJECT
public:
    static constexpr int fixedWidth = 310;
    static constexpr int recentLimit = 4;
    static constexpr int recentOutputLines = 2;
    // More than two lines of the window's fixed width hold.
    static constexpr qsizetype recentOutputCharacters = 400;

    struct RecentRow {
        QUuid id;
        QString title;
        // Upper-cased target language code, when the record has one.
        std::optional<QString> languageBadge;
        // The start of the output that two lines can show (ZubTextPreview); a click copies it all.
        QString output;
        // What a screen reader hears: the title, the start of the output's first line, and that a
        // press copies ("Calculate: 5100. Copies to the clipboard.").
        QString accessibleName;
        bool operator==(const RecentRow& other) const = default;
    };

    // Everything the window shows, for one state of the view model.
    struct Model {
        QString appName;
        QString targetLanguageName;
        bool autoShowOnSelection = false;
        // The switch has no visible label: its tooltip and accessible name.
        QString autoShowTitle;
        QString triggerTitle;
        QString triggerShortcut;
        QString screenOCRTitle;
        QString screenOCRShortcut;
        bool screenOCREnabled = true;
        // Empty: no heading, rows or divider.
        QString recentHeading;
        QList<RecentRow> recentRows;
        QString openStudioTitle;
        QString quitTitle;
        bool operator==(const Model& other) const = default;
    };

    static Model model(const ZubConfig& config, const QList<ZubHistoryRecord>& history, QuorLanguage language,
                       bool isOCRCapturing);
    static QString copiedToast(QuorLanguage language);
    static QString recentRowName(const QString& title, const QString& output, QuorLanguage language);

    MenuBarZubPopoverView(ZubStudioViewModel* viewModel, std::function<void()> onOpenStudio, QColor accent,
                          QWidget* parent = nullptr);

    // Runs before a trigger or the studio opens, so the window that holds this view can step aside
    // (the selection and the screen belong to other windows then).
    std::function<void()> onWillAct;
    // Ends the application; replaceable for tests.
    std::function<void()> onQuit;

    const Model& currentModel() const { return m_model; }
    // For tests: the controls by role.
    QAbstractButton* autoShowSwitch() const { return m_switch; }
    QAbstractButton* feedbackButton() const;
    QAbstractButton* triggerButton() const;
    QAbstractButton* screenOCRButton() const;
    QAbstractButton* openStudioButton() const;
    QAbstractButton* quitButton() const;
    QList<QAbstractButton*> recentRowButtons() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void sync();
    void rebuildRecent();
    void copyRecord(const QUuid& id);
    void act(const std::function<void()>& action);

    QPointer<ZubStudioViewModel> m_viewModel;
    std::function<void()> m_onOpenStudio;
    QColor m_accent;
    Model m_model;
    bool m_built = false;

    QLabel* m_nameLabel = nullptr;
    QLabel* m_languageLabel = nullptr;
    QuorFeedbackButton* m_feedback = nullptr;
    QAbstractButton* m_switch = nullptr;
    QAbstractButton* m_trigger = nullptr;
    QAbstractButton* m_screenOCR = nullptr;
    QWidget* m_recentSection = nullptr;
    QLabel* m_recentHeading = nullptr;
    QVBoxLayout* m_recentRows = nullptr;
    QuorStyledButton* m_openStudio = nullptr;
    QuorStyledButton* m_quit = nullptr;
};
