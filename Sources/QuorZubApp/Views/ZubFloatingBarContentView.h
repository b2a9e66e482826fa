#pragma once

#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorZubApp/Views/ZubFloatingBarPresentation.h"
#include "QuorZubCore/Models/ZubActionDefinition.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"

#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <functional>

class QHBoxLayout;
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
// callbacks; it never writes the state.
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
    void syncPills();
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
    QHBoxLayout* m_pillLayout = nullptr;
    QList<QWidget*> m_pillButtons;
    QList<ZubFloatingBarPresentation::Pill> m_shownPills;

    ZubFrostedGlassCard* m_runningCard = nullptr;
    QLabel* m_runningTitle = nullptr;
    QWidget* m_runningPreview = nullptr;

    ZubFrostedGlassCard* m_resultCard = nullptr;
    std::optional<ZubFloatingBarPresentation::ResultCard> m_shownResult;
    std::optional<ZubExecutionResult> m_shownResultValue;
};
