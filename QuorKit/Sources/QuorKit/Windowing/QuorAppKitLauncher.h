#pragma once

#include "QuorKit/Windowing/QuorAppMenuController.h"

#include <memory>

class QObject;

// Runs a suite application that builds its menu bar with QuorAppMenuController. The delegate and
// the menu controller live for the rest of the process. This desktop has no menu bar of the
// application's own: the application places menuController()->mainMenu() in its main window.
namespace QuorAppKitLauncher {

// Keeps `delegate`, builds the menu controller with the other arguments and runs the event loop;
// returns its exit code when the application quits. Needs the QApplication to exist.
int run(const QString& appName, std::unique_ptr<QObject> delegate, std::function<QuorLanguage()> language,
        std::function<QString()> settingsTitle, std::function<void()> onOpenSettings,
        const QList<QuorMenuElement>& fileMenuItems, const std::optional<QuorEditMenuOverrides>& editOverrides,
        const QList<QuorCustomMenu>& customMenus, const QString& closeWindowKeyEquivalent,
        Qt::KeyboardModifiers closeWindowModifiers);

// The controller run() made; nullptr before.
QuorAppMenuController* menuController();
QObject* delegate();

} // namespace QuorAppKitLauncher
