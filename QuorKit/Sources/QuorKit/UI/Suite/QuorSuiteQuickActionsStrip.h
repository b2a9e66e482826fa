#pragma once

#include "QuorKit/Design/QuorCapsuleLook.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Suite/DrummetLiveStatus.h"
#include "QuorKit/Suite/QuorSuiteApp.h"
#include "QuorKit/Suite/QuorSuiteCommandBus.h"
#include "QuorKit/Suite/QuorSuiteCommandKind.h"
#include "QuorKit/Suite/QuorVirtualMemorySummary.h"

#include <QColor>
#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;
class QuorCapsuleButton;

// A row of command chips that drive the memory tool, the process killer and the system monitor
// from inside another suite application: one group per sibling that is installed and is not the
// application showing the strip. A chip sends its command (waking the sibling, or starting it) and
// hands a short confirmation to the host, which shows it as a toast. The wide form has a header
// and a tinted background; the compact form smaller chips, three fewer, and neither.
class QuorSuiteQuickActionsStrip : public QWidget {
    Q_OBJECT
public:
    using Feedback = std::function<void(const QString& text)>;

    struct Chip {
        QString title;
        QString symbolName;
        QColor tint;
        bool emphasized = false;
        QString help;
        QuorSuiteCommandKind kind = QuorSuiteCommandKind::ramSmartOffload;
        QuorSuiteApp target = QuorSuiteApp::vaskel;
        bool bringToFront = false; // the chips that open a window bring the sibling forward
        QString toastEN;
        QString toastTR;
        bool operator==(const Chip& other) const = default;
    };

    QuorSuiteQuickActionsStrip(QuorSuiteApp currentApp, const std::optional<QuorVirtualMemorySummary>& vmSummary,
                               const std::optional<DrummetLiveStatus>& killStatus, QuorLanguage language, bool compact,
                               Feedback onFeedback, QWidget* parent = nullptr);

    // The chips shown, in order, given the live counts and which siblings are installed.
    static QList<Chip> chips(QuorSuiteApp currentApp, std::optional<qint64> frozenAppCount,
                             std::optional<qint64> problematicCount, QuorLanguage language, bool compact,
                             const std::function<bool(QuorSuiteApp)>& isInstalled);
    static QuorCapsuleLook chipLook(const Chip& chip, bool compact);
    static QString headerTitle(QuorLanguage language);
    // The chip's toast after a delivered command, else what kept it from its target.
    static QString feedbackText(const Chip& chip, QuorSuiteCommandBus::Delivery delivery, QuorLanguage language);

    const QList<Chip>& shownChips() const { return m_chips; }
    QList<QAbstractButton*> chipButtons() const;
    bool isCompact() const { return m_compact; }

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Asks again which siblings are installed and rebuilds the row when the chips changed.
    void refresh();
    void rebuildRow();
    void trigger(const Chip& chip);

    QuorSuiteApp m_currentApp;
    std::optional<qint64> m_frozenAppCount;
    std::optional<qint64> m_problematicCount;
    QuorLanguage m_language;
    bool m_compact;
    Feedback m_onFeedback;
    QList<Chip> m_chips;
    QWidget* m_row = nullptr;
    QList<QuorCapsuleButton*> m_buttons;
};
