#pragma once

#include "QuorKit/Suite/QuorSuiteApp.h"
#include "QuorKit/Suite/QuorSuiteCommandKind.h"

#include <QDateTime>
#include <QJsonObject>
#include <QUuid>

#include <optional>

// One command from a suite application to another, as it waits in the target's command file.
struct QuorSuiteCommandEnvelope {
    QUuid id;
    QDateTime timestamp;
    QuorSuiteApp sourceApp = QuorSuiteApp::drummet;
    QuorSuiteApp targetApp = QuorSuiteApp::drummet;
    QuorSuiteCommandKind kind = QuorSuiteCommandKind::ramSmartOffload;
    std::optional<qint32> targetPID;
    std::optional<QString> targetName;
    std::optional<QString> payload;

    bool operator==(const QuorSuiteCommandEnvelope& other) const = default;

    // Absent optionals are left out; the timestamp is written in UTC to the whole second.
    QJsonObject toJson() const;
    // Throws QuorDecodingError on a missing or mistyped key, an unknown application or kind, or a
    // process id outside 32 bits.
    static QuorSuiteCommandEnvelope fromJson(const QJsonObject& object);
};
