#include "QuorKit/UI/Suite/QuorVirtualMemoryHeaderPill.h"

#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Suite/QuorSuiteApp.h"
#include "QuorKit/UI/Suite/QuorSuiteColors.h"

QuorVirtualMemoryHeaderPill::QuorVirtualMemoryHeaderPill(const QuorVirtualMemorySummary& summary,
                                                         QuorLanguage language, std::function<void()> onTap,
                                                         QWidget* parent)
    : QuorCapsuleButton(capsuleLook(look(summary, language)), parent), m_look(look(summary, language)),
      m_onTap(std::move(onTap))
{
    setHelpText(m_look.help);
    connect(this, &QAbstractButton::clicked, this, [this] {
        // The host may delete the pill from its action: call through a copy that outlives it.
        if (const std::function<void()> onTap = m_onTap) {
            onTap();
        } else {
            QuorSuiteApps::launch(QuorSuiteApp::vaskel);
        }
    });
}

QuorVirtualMemoryHeaderPill::Look QuorVirtualMemoryHeaderPill::look(const QuorVirtualMemorySummary& summary,
                                                                    QuorLanguage language)
{
    const bool vmActive = summary.isVaskelVirtualExpansionActive();
    Look look;
    if (summary.pressureLevel == QStringLiteral("critical")) {
        look.statusColor = QuorGlassTokens::danger();
    } else if (vmActive) {
        look.statusColor = QuorSuiteColors::memoryViolet();
    } else if (summary.pressureLevel == QStringLiteral("warning")) {
        look.statusColor = QuorGlassTokens::warning();
    } else {
        look.statusColor = QuorSuiteColors::swapCyan();
    }
    look.symbolName = vmActive ? QStringLiteral("externaldrive.badge.timemachine") : QStringLiteral("memorychip");
    const QString badge = summary.compactBadgeText();
    look.title = quorText(QStringLiteral("VM"), QStringLiteral("Sanal Bellek"), {}, language)
        + (badge.isEmpty() ? QStringLiteral(" ON") : QStringLiteral(": ") + badge);
    look.help = quorText(QStringLiteral("Virtual Memory active — click to open Vaskel"),
                         QStringLiteral("Sanal Bellek aktif — Vaskel ile yönetmek için tıklayın"), {}, language);
    return look;
}

QuorCapsuleLook QuorVirtualMemoryHeaderPill::capsuleLook(const Look& look)
{
    QuorCapsuleLook capsule;
    capsule.text = look.title;
    capsule.font = QuorFonts::monospaced(11, QFont::DemiBold);
    capsule.foreground = look.statusColor;
    capsule.symbolName = look.symbolName;
    capsule.symbolSize = 10;
    capsule.dot = look.statusColor;
    capsule.dotSize = 6;
    capsule.fill = QuorSuiteColors::withOpacity(look.statusColor, 0.20);
    capsule.border = QuorSuiteColors::withOpacity(look.statusColor, 0.45);
    capsule.paddingH = 9;
    capsule.paddingV = 4;
    return capsule;
}
