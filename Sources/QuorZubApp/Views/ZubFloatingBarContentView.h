#pragma once

#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorZubApp/Views/ZubFloatingBarPresentation.h"
#include "QuorZubCore/Models/ZubActionDefinition.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"

#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>

class QAbstractButton;
class QLabel;
class QScrollArea;
class QVariantAnimation;
class ZubFloatingBarState;
class ZubFrostedGlassCapsule;
class ZubFrostedGlassCard;

namespace zub_detail {
class PresentEffect;
}

// The floating bar's content: a capsule row of action pills and, below it, the running card or the
// result card with its buttons. It renders the shared state and reports every choice through its
// callbacks; it never writes the state. The pill row scrolls over the width of all pills, but pills
// exist only for the part in sight and a little around it, so a bar of thousands of actions shows
// and runs as fast as a short one.
class ZubFloatingBarContentView : public QWidget {
    Q_OBJECT
public:
    struct Callbacks {
        std::function<void(const ZubActionDefinition&)> onSelectAction;
        std::function<void(const ZubExecutionResult&)> onCopyResult;
        std::function<void(const QString&)> onReplaceSelection;
        std::function<void(const ZubExecutionResult&)> onSpeakResult;
        std::function<void(const QByteArray&)> onSaveQRImage;
        std::function<void()> onCycleTargetLanguage;
        std::function<void(bool)> onHoverChanged;
        std::function<void()> onDismiss;
    };

    ZubFloatingBarContentView(ZubFloatingBarState* state, Callbacks callbacks, QuorProductPalette palette,
                              QWidget* parent = nullptr);
    ~ZubFloatingBarContentView() override;

    // The frosted surfaces (pill row and visible card) in this widget's coordinates: the window's
    // shape where nothing composites translucent windows.
    QPainterPath surfaceShape() const;
    const ZubFloatingBarPresentation& presentation() const { return m_presentation; }

    // Pills made beyond either side of the row's visible part.
    static constexpr int pillsAheadPixels = 660;

signals:
    void surfaceShapeChanged();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPillRow();
    void buildRunningCard();
    void sync();
    void syncOnce();
    struct PillRange {
        qsizetype first = 0;
        qsizetype count = 0;
    };
    struct ShownPill {
        QAbstractButton* button = nullptr;
        ZubFloatingBarPresentation::Pill pill;
    };

    // Starts the row's measure again when the actions or their language changed.
    void measurePills();
    // Measures the pills along the row until one ends at `right` or beyond (or none is left).
    void measurePillsTo(qint64 right);
    // Those in sight, measured first.
    PillRange pillsInSight();
    // After a scroll or a resize of the row: the pills now in sight.
    void followPillRow();
    // Makes the presentation's pills, keeps those already made, and lets the others go.
    void syncPills();
    QAbstractButton* makePillButton(const ZubFloatingBarPresentation::Pill& pill);
    void placePill(QAbstractButton* button, qsizetype index) const;
    void rebuildResultCard(const ZubFloatingBarPresentation::ResultCard& card);
    void animatePresented(bool presented);
    void animateCardIn(QWidget* card);
    void call(const std::function<void()>& callback) const;

    QPointer<ZubFloatingBarState> m_state;
    Callbacks m_callbacks;
    QuorProductPalette m_palette;
    QColor m_accent;
    ZubFloatingBarPresentation m_presentation;

    zub_detail::PresentEffect* m_rootEffect = nullptr;
    QPointer<QVariantAnimation> m_presentAnimation;
    bool m_shownPresented = false;
    // Hiding or deleting a card under the pointer sends a leave that changes the state again: that
    // change is synced after the current pass, never inside it.
    bool m_syncing = false;
    bool m_syncAgain = false;

    QWidget* m_content = nullptr;
    ZubFrostedGlassCapsule* m_pillRow = nullptr;
    QWidget* m_badge = nullptr;
    QWidget* m_dismissIcon = nullptr;
    QScrollArea* m_pillScroll = nullptr;
    QWidget* m_pillStrip = nullptr;
    // Keyed by the pill's place in the state's actions.
    std::map<qsizetype, ShownPill> m_pills;
    // The left edge of every pill measured so far along the row, and where the next one starts:
    // pills are measured as the row comes into sight.
    QList<qint64> m_pillLefts{0};
    int m_pillHeight = 0;
    bool m_syncingPills = false;
    // What the pills were measured for: most changes of the state leave the list as it was.
    std::optional<QList<ZubActionDefinition>> m_measuredActions;
    std::optional<QuorLanguage> m_measuredLanguage;

    ZubFrostedGlassCard* m_runningCard = nullptr;
    QLabel* m_runningTitle = nullptr;
    QWidget* m_runningPreview = nullptr;

    ZubFrostedGlassCard* m_resultCard = nullptr;
    std::optional<ZubFloatingBarPresentation::ResultCard> m_shownResult;
    std::optional<ZubExecutionResult> m_shownResultValue;
};
