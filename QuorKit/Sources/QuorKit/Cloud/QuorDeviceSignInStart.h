#pragma once

#include <QJsonObject>
#include <QString>

// The gateway's answer that starts a device-code sign-in (the device authorization grant).
struct QuorDeviceSignInStart {
    QString deviceCode;
    QString userCode;
    QString verificationURI;
    QString verificationURIComplete;
    qint64 expiresIn = 0; // seconds
    qint64 interval = 0;  // seconds

    // Every member is required; throws QuorDecodingError.
    static QuorDeviceSignInStart fromJson(const QJsonObject& object);
    QJsonObject toJson() const;

    bool operator==(const QuorDeviceSignInStart& other) const = default;
};
