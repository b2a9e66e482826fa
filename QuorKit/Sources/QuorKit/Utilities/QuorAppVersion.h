#pragma once

#include "QuorKit/Utilities/QuorSemVer.h"

#include <QString>

#include <optional>

class QuorBundle;

// The running build of an application: its marketing version and its build number.
struct QuorAppVersion {
    QString shortVersion;
    QString buildNumber;

    // "v1.4.2"
    QString tag() const;
    // "v1.4.2 (57)"
    QString detailedDisplay() const;
    std::optional<QuorSemVer> semVer() const;

    // "CFBundleShortVersionString" and "CFBundleVersion" of the bundle, trimmed; a missing,
    // non-text or blank value takes its fallback, which is used exactly as given.
    static QuorAppVersion current(const QuorBundle& bundle, const QString& fallbackVersion,
                                  const QString& fallbackBuild);

    bool operator==(const QuorAppVersion& other) const = default;
};
