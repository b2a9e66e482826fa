#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Suite/QuorSuiteApp.h"
#include "QuorKit/Suite/QuorSuiteCommandKind.h"
#include "QuorKit/Suite/QuorVirtualMemorySummary.h"

#include <QColor>
#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;

// A glass card of the machine's memory: status badges, the memory tool's command buttons (while it
// is installed), a physical and a virtual gauge, and pills for swap, disk pools, sparse disks, RAM
// disks and frozen applications. Texts that come from the memory tool (pool and disk names) are
// shown as plain text. Whether the memory tool is installed is asked each time the card shows and
// at every press; a press that could not reach it says why.
class QuorVirtualMemoryGaugeCard : public QWidget {
    Q_OBJECT
public:
    using Feedback = std::function<void(const QString& text)>;

    struct ActionButton {
        QString title;
        QString symbolName;
        bool isActive = false;
        QuorSuiteCommandKind kind = QuorSuiteCommandKind::ramSmartOffload;
        bool bringToFront = false;
        std::optional<QString> feedback; // none: the button reports nothing
        bool operator==(const ActionButton& other) const = default;
    };
    struct Gauge {
        QString title;
        QString valueText;
        double fraction = 0;
        QColor tint;
        bool operator==(const Gauge& other) const = default;
    };
    struct StatPill {
        QString label;
        QString value;
        std::optional<QString> detail;
        QColor tint;
        bool operator==(const StatPill& other) const = default;
    };
    struct Presentation {
        QColor statusColor;
        QString title;
        QString stateBadge;
        bool showsLiveBadge = false;
        std::optional<QString> effectiveBadge;
        QList<ActionButton> buttons; // empty while the memory tool is not installed
        QList<Gauge> gauges;
        QList<StatPill> pills;
        bool operator==(const Presentation& other) const = default;
    };

    QuorVirtualMemoryGaugeCard(const QuorVirtualMemorySummary& summary, QuorLanguage language,
                               const QColor& accentColor, QuorSuiteApp sourceApp, Feedback onFeedback,
                               QWidget* parent = nullptr);

    static Presentation presentation(const QuorVirtualMemorySummary& summary, QuorLanguage language,
                                     const QColor& accentColor, bool vaskelInstalled);
    // A percentage for display: clamped to 0...100 first (not a number counts as 0), then rounded
    // with halves away from zero.
    static qint64 roundedPercent(double percent);

    const Presentation& currentPresentation() const { return m_presentation; }
    QList<QAbstractButton*> actionButtons() const;
    // Whether the badges and the buttons share one row at the current width.
    bool isHeaderOneRow() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void press(const ActionButton& button);
    // Shows the buttons exactly while the memory tool is installed, asked anew.
    void refreshInstallState();

    QuorVirtualMemorySummary m_summary;
    QuorLanguage m_language;
    QColor m_accentColor;
    QuorSuiteApp m_sourceApp;
    Feedback m_onFeedback;
    Presentation m_presentation;
    QWidget* m_header = nullptr;
    QList<QAbstractButton*> m_buttons;
};
