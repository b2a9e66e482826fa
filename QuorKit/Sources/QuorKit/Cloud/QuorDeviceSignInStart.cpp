#include "QuorKit/Cloud/QuorDeviceSignInStart.h"

#include "QuorKit/Utilities/QuorJson.h"

QuorDeviceSignInStart QuorDeviceSignInStart::fromJson(const QJsonObject& object)
{
    QuorDeviceSignInStart start;
    start.deviceCode = QuorJson::requireString(object, QStringLiteral("device_code"));
    start.userCode = QuorJson::requireString(object, QStringLiteral("user_code"));
    start.verificationURI = QuorJson::requireString(object, QStringLiteral("verification_uri"));
    start.verificationURIComplete = QuorJson::requireString(object, QStringLiteral("verification_uri_complete"));
    start.expiresIn = QuorJson::requireInt64(object, QStringLiteral("expires_in"));
    start.interval = QuorJson::requireInt64(object, QStringLiteral("interval"));
    return start;
}

QJsonObject QuorDeviceSignInStart::toJson() const
{
    return QJsonObject{
        {QStringLiteral("device_code"), deviceCode},
        {QStringLiteral("user_code"), userCode},
        {QStringLiteral("verification_uri"), verificationURI},
        {QStringLiteral("verification_uri_complete"), verificationURIComplete},
        {QStringLiteral("expires_in"), expiresIn},
        {QStringLiteral("interval"), interval},
    };
}
