#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorZubCore/Models/ZubActionDefinition.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"
#include "QuorZubCore/Models/ZubTargetLanguage.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QVariantAnimation;
class ZubFloatingBarDismissSource;
class ZubFloatingBarState;
class ZubFloatingPanel;

// Owns the floating bar's window for the life of the process: fills the shared state, places the
// panel next to the point of a selection and grows it for a result, animates it in and out, and
// hides it on an outside click, on Escape or after an idle delay. Its owner assigns the callbacks
// once and drives it with show / beginExecution / presentResult / hide. GUI thread only.
class ZubFloatingBarController : public QObject {
    Q_OBJECT
public:
    explicit ZubFloatingBarController(QObject* parent = nullptr);
    ~ZubFloatingBarController() override;

    ZubFloatingBarState* state() const { return m_state; }

    // Presents the bar for a new text near `near` (global screen coordinates). A bar that is up is
    // re-presented in place, without onDismiss.
    void show(const QString& text, const std::optional<QString>& detectedLanguageCode,
              const QList<ZubActionDefinition>& actions, QuorLanguage language, ZubTargetLanguage targetLanguage,
              QPoint near, bool canReplaceInPlace, double hideDelaySeconds);
    // Dismisses the bar; onDismiss runs once for every hide that finds the bar active.
    void hide(bool animated);
    void beginExecution(const ZubActionDefinition& action);
    void presentResult(const ZubExecutionResult& result);
    void updateTargetLanguage(ZubTargetLanguage language);
    // The panel's frame grown by 6 on every side, while it is up.
    bool containsScreenPoint(QPoint point) const;
    void setHovering(bool hovering);

    // Where outside clicks and Escape in other applications come from (not owned; may be null).
    void setDismissEventSource(ZubFloatingBarDismissSource* source);

    std::function<void(const ZubActionDefinition&)> onSelectAction;
    std::function<void(const ZubExecutionResult&)> onCopyResult;
    std::function<void(const QString&)> onReplaceSelection;
    std::function<void(const ZubExecutionResult&)> onSpeakResult;
    std::function<void(const QByteArray&)> onSaveQRImage;
    std::function<void()> onCycleTargetLanguage;
    std::function<void()> onDismiss;

    struct ScreenArea {
        QRect frame;
        QRect available;
    };
    // The panel's frame in global coordinates: on the first screen whose frame holds the point (with
    // its own origin), else the primary, else the first, else a 1440 x 900 area at the origin; the
    // top edge kept when given.
    static QRect anchoredFrame(QSize size, QPoint anchor, const QList<ScreenArea>& screens, int primaryIndex,
                               std::optional<int> keepTopEdge);

    // For tests and the owner's diagnostics.
    QWidget* panel() const;
    quint64 presentationToken() const { return m_presentationToken; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ZubFloatingPanel* ensurePanel();
    QSize computePanelSize() const;
    QRect computeAnchoredFrame(QSize size, std::optional<int> keepTopEdge) const;
    void setPanelFrame(const QRect& frame, bool animated);
    void resizeForState();
    void orderOut();
    void resetTransientState();
    void scheduleAutoHideIfIdle();
    void installDismissMonitors();
    void removeDismissMonitors();
    bool isUp() const;
    void handleOutsideClick(QPoint point);

    ZubFloatingBarState* m_state;
    std::unique_ptr<ZubFloatingPanel> m_panel;
    QPointer<ZubFloatingBarDismissSource> m_dismissSource;
    QList<QMetaObject::Connection> m_sourceConnections;
    bool m_monitorsInstalled = false;
    // The time stamp of an Escape whose shortcut override found a popup of ours open: the popup's.
    std::optional<quint64> m_popupEscapeTimestamp;
    QTimer m_autoHideTimer;
    QTimer m_hideCleanupTimer;
    QTimer m_presentTimer;
    quint64 m_presentationToken = 0;
    quint64 m_hideCleanupToken = 0;
    quint64 m_presentToken = 0;
    QPoint m_anchorPoint;
    double m_currentHideDelay = 6.0;
    QPointer<QVariantAnimation> m_frameAnimation;
};
