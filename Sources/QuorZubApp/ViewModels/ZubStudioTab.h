#pragma once

#include <QList>
#include <QString>

#include <optional>

// The page the studio window shows.
enum class ZubStudioTab { playground, actions, history, settings };

namespace ZubStudioTabs {

const QList<ZubStudioTab>& allCases();
// "playground", "actions", "history", "settings"; also the tab's identity.
QString rawValue(ZubStudioTab tab);
inline QString id(ZubStudioTab tab) { return rawValue(tab); }
std::optional<ZubStudioTab> fromRawValue(const QString& text);

} // namespace ZubStudioTabs
