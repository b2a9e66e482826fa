#pragma once

#include "QuorZubHarness.h"

#include "QuorZubCore/Models/ZubConfig.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"

#include <QJsonObject>
#include <QPoint>
#include <QString>

#include <optional>

// What the end-to-end tests share about the program's windows and its floating bar.
namespace quorzub_bar {

inline const QString studioTitle = QStringLiteral("QuorZub — by Tallowmer");
inline const QString barTitle = QStringLiteral("QuorZub");

// The offline backend, no auto-hide, and only the actions a test clicks.
ZubConfig testConfig(const QList<ZubActionKind>& wanted, bool autoShow = true);

// Where a control of the bar is on screen: the same content laid out here, on the same display and
// fonts, at the bar's size. A null point when the bar has no such control.
QPoint barControl(const X11Windows::Client& shown, const ZubConfig& config, const QString& text,
                  const QString& objectName, const std::optional<ZubExecutionResult>& result = std::nullopt);

// The result a history record holds, as the bar showed it.
ZubExecutionResult resultOf(const QJsonObject& record);

// Waits until the studio of a program just started is on screen and has the focus, as launching
// leaves it.
bool waitUntilLaunched(const QuorZubInstance& zub, const X11Windows& windows);

// The bar once it is on screen at the size the program gives it for `config`'s actions: the pill
// row, or the card of `result`. Nothing when it never got there.
std::optional<X11Windows::Client> waitForBar(const QuorZubInstance& zub, const X11Windows& windows,
                                             const ZubConfig& config,
                                             const std::optional<ZubExecutionResult>& result = std::nullopt);

} // namespace quorzub_bar
