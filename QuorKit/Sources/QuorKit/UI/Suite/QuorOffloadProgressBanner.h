#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Suite/VaskelOffloadLiveProgress.h"

#include <QColor>
#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;

// One run of the memory tool's smart offload as it publishes it: state, step badge, phase, byte
// progress and percentage, a bar, the phase's detail and four step pills; Cancel while it runs, a
// close button once it has ended. The compact form drops the pills and tightens sizes. Phase and
// detail texts come from another process and are shown as plain text.
class QuorOffloadProgressBanner : public QWidget {
    Q_OBJECT
public:
    enum class TrailingButton { none, cancel, dismiss };

    struct StepPill {
        QString title;
        QString symbolName;
        QColor color;
        double fillOpacity = 0.06;
        bool emphasized = false; // done or current
        bool operator==(const StepPill& other) const = default;
    };

    struct Presentation {
        QColor accent;
        bool showsActivity = false; // a spinner instead of the done seal
        QString stepBadge;
        QString phaseTitle;
        std::optional<QString> byteProgress;
        QString percentText;
        TrailingButton trailingButton = TrailingButton::none;
        double fraction = 0; // clamped to 0...1
        std::optional<QString> detail;
        QList<StepPill> stepPills; // empty in the compact form
        bool operator==(const Presentation& other) const = default;
    };

    QuorOffloadProgressBanner(const VaskelOffloadLiveProgress& progress, QuorLanguage language, bool compact,
                              std::function<void()> onCancel = {}, std::function<void()> onDismiss = {},
                              QWidget* parent = nullptr);

    static Presentation presentation(const VaskelOffloadLiveProgress& progress, QuorLanguage language, bool compact,
                                     bool hasCancel, bool hasDismiss);
    // The published fraction as a whole percentage: clamped to 0...1 first (a published value may
    // lie outside, or not be a number), then rounded with halves away from zero.
    static qint64 percent(double fractionCompleted);

    const Presentation& currentPresentation() const { return m_presentation; }
    QAbstractButton* trailingButton() const { return m_trailingButton; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Presentation m_presentation;
    bool m_compact;
    QAbstractButton* m_trailingButton = nullptr;
};
