#pragma once

#include "QuorZubApp/ViewModels/ZubStudioModel.h"

#include <QColor>
#include <QList>
#include <QString>

// Every text, colour and state of the studio window's header for one state of the view model.
struct ZubStudioHeaderPresentation {
    struct Tab {
        ZubStudioTab tab = ZubStudioTab::playground;
        QString title;
        QString icon;
        bool isActive = false;
        bool operator==(const Tab& other) const = default;
    };

    // How a header tab button draws, from its active and hover flags.
    struct TabLook {
        bool semibold = false;
        QColor foreground;
        QColor background; // transparent when none
        bool operator==(const TabLook& other) const = default;
    };

    // How the auto-show pill draws, from its enabled and hover flags.
    struct PillLook {
        QColor dot;
        QColor label;
        QColor background;
        bool operator==(const PillLook& other) const = default;
    };

    QString productName; // never localized
    QString versionTooltip;
    QList<Tab> tabs;
    QString autoPillLabel;
    bool autoShowEnabled = false;
    QString ocrTitle;
    bool ocrEnabled = true;

    bool operator==(const ZubStudioHeaderPresentation& other) const = default;

    static ZubStudioHeaderPresentation make(QuorLanguage language, ZubStudioTab selectedTab, qsizetype enabledActions,
                                            qsizetype historyRecords, bool autoShowOnSelection, bool isOCRCapturing);
    static ZubStudioHeaderPresentation make(const ZubStudioModel& model);
    static QString tabTitle(ZubStudioTab tab, QuorLanguage language, qsizetype enabledActions, qsizetype historyRecords);
    static QString tabIcon(ZubStudioTab tab);
    static TabLook tabLook(bool isActive, bool isHovered);
    static PillLook pillLook(bool isEnabled, bool isHovered);
    static const QList<ZubStudioTab>& tabOrder();
    // Below this width the header leaves out the product name and the tab icons, so the studio
    // still fits a small screen; from it on, everything fits in English and Turkish alike.
    static constexpr int compactBelow = 1140;
    static bool isCompact(int width) { return width < compactBelow; }
};
