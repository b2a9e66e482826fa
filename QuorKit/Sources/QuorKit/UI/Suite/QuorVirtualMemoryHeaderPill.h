#pragma once

#include "QuorKit/Design/QuorCapsuleButton.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Suite/QuorVirtualMemorySummary.h"

#include <QColor>

#include <functional>

// A header capsule telling at a glance whether the memory tool's virtual memory expansion is on
// and how hard memory is pressed; a click opens the memory tool, or runs the host's own action.
class QuorVirtualMemoryHeaderPill : public QuorCapsuleButton {
    Q_OBJECT
public:
    struct Look {
        QColor statusColor;
        QString symbolName;
        QString title;
        QString help;
        bool operator==(const Look& other) const = default;
    };

    QuorVirtualMemoryHeaderPill(const QuorVirtualMemorySummary& summary, QuorLanguage language,
                                std::function<void()> onTap = {}, QWidget* parent = nullptr);

    static Look look(const QuorVirtualMemorySummary& summary, QuorLanguage language);
    static QuorCapsuleLook capsuleLook(const Look& look);

    const Look& pillLook() const { return m_look; }

private:
    Look m_look;
    std::function<void()> m_onTap;
};
