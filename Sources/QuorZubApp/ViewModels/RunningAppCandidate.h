#pragma once

#include <QString>

// A running application offered for exclusion from automatic selection.
struct RunningAppCandidate {
    // The bundle identifier lower-cased.
    QString id;
    // The application's name, else its bundle identifier.
    QString name;
    // The bundle identifier as the workspace reports it.
    QString bundleID;

    bool operator==(const RunningAppCandidate& other) const = default;
};
