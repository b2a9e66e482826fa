#include "QuorZubApp/ViewModels/ZubStudioTab.h"

namespace ZubStudioTabs {

const QList<ZubStudioTab>& allCases()
{
    static const QList<ZubStudioTab> cases{ZubStudioTab::playground, ZubStudioTab::actions, ZubStudioTab::history,
                                           ZubStudioTab::settings};
    return cases;
}

QString rawValue(ZubStudioTab tab)
{
    switch (tab) {
    case ZubStudioTab::playground:
        return QStringLiteral("playground");
    case ZubStudioTab::actions:
        return QStringLiteral("actions");
    case ZubStudioTab::history:
        return QStringLiteral("history");
    case ZubStudioTab::settings:
        return QStringLiteral("settings");
    }
    return {};
}

std::optional<ZubStudioTab> fromRawValue(const QString& text)
{
    for (const ZubStudioTab tab : allCases()) {
        if (rawValue(tab) == text) {
            return tab;
        }
    }
    return std::nullopt;
}

} // namespace ZubStudioTabs
