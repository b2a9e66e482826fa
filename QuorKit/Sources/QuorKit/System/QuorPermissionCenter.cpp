#include "QuorKit/System/QuorPermissionCenter.h"

#include "QuorPlatform/Permissions/QuorDisplayCapabilities.h"

#include <QDesktopServices>

namespace QuorPermissionCenter {

bool isAccessibilityGranted(bool /*prompt*/)
{
    return quor::platform::DisplayCapabilities::canObserveAndDriveInput();
}

bool isScreenRecordingGranted()
{
    return quor::platform::DisplayCapabilities::canCaptureScreenRegions();
}

void openSystemSettings(QuorSystemPermissionKind kind)
{
    if (const auto url = QuorSystemPermissions::settingsURL(kind)) {
        QDesktopServices::openUrl(*url);
    }
}

} // namespace QuorPermissionCenter
