#include "QuorKit/System/QuorPermissionCenter.h"

#include "QuorKit/System/QuorBinaryLocator.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorPlatform/Permissions/QuorDisplayCapabilities.h"

#include <QDesktopServices>

namespace QuorPermissionCenter {

bool isAccessibilityGranted(bool /*prompt*/)
{
    return quor::platform::DisplayCapabilities::canObserveAndDriveInput();
}

bool isScreenRecordingGranted()
{
    // The region-capture tool the screen capture runs, found the way the capture finds it.
    return quor::platform::DisplayCapabilities::hasDisplay()
           && QuorBinaryLocator::locate(QStringLiteral("maim"), QuorBundle::main(), {}).has_value();
}

void openSystemSettings(QuorSystemPermissionKind kind)
{
    if (const auto url = QuorSystemPermissions::settingsURL(kind)) {
        QDesktopServices::openUrl(*url);
    }
}

} // namespace QuorPermissionCenter
