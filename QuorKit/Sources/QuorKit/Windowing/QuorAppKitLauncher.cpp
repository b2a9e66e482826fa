#include "QuorKit/Windowing/QuorAppKitLauncher.h"

#include <QApplication>

namespace {
struct Storage {
    std::unique_ptr<QObject> delegate;
    std::unique_ptr<QuorAppMenuController> menuController;
};

Storage& storage()
{
    static Storage instance;
    return instance;
}
} // namespace

namespace QuorAppKitLauncher {

int run(const QString& appName, std::unique_ptr<QObject> delegate, std::function<QuorLanguage()> language,
        std::function<QString()> settingsTitle, std::function<void()> onOpenSettings,
        const QList<QuorMenuElement>& fileMenuItems, const std::optional<QuorEditMenuOverrides>& editOverrides,
        const QList<QuorCustomMenu>& customMenus, const QString& closeWindowKeyEquivalent,
        Qt::KeyboardModifiers closeWindowModifiers)
{
    Storage& kept = storage();
    // Widgets must go while the application object still exists.
    static const bool releasedWithTheApplication = [] {
        qAddPostRoutine([] {
            storage().menuController.reset();
            storage().delegate.reset();
        });
        return true;
    }();
    Q_UNUSED(releasedWithTheApplication);
    kept.delegate = std::move(delegate);
    kept.menuController = std::make_unique<QuorAppMenuController>(
        appName, std::move(language), std::move(settingsTitle), std::move(onOpenSettings), fileMenuItems,
        editOverrides, customMenus, closeWindowKeyEquivalent, closeWindowModifiers);
    return QApplication::exec();
}

QuorAppMenuController* menuController()
{
    return storage().menuController.get();
}

QObject* delegate()
{
    return storage().delegate.get();
}

} // namespace QuorAppKitLauncher
