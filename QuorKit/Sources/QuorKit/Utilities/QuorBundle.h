#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

// The running application's identity and resources: what a macOS bundle provides. The information
// dictionary keeps the familiar keys ("CFBundleIdentifier", "CFBundleName", "CFBundleDisplayName",
// "CFBundleShortVersionString", "CFBundleVersion") so callers read one thing on every platform.
class QuorBundle {
public:
    QuorBundle() = default;
    QuorBundle(QVariantMap infoDictionary, std::optional<QString> resourceDirectory);

    // This program: identity from the build, resources from QUORZUB_RESOURCES, else
    // <executable>/../share/quorzub when it exists.
    static const QuorBundle& main();

    const QVariantMap& infoDictionary() const { return m_info; }
    QString bundleIdentifier() const;
    std::optional<QString> resourceDirectory() const { return m_resourceDirectory; }

    // Path of resource `name` + "." + `extension` (extension may be empty), optionally in a
    // subfolder of the resources; nothing when the file does not exist.
    std::optional<QString> pathForResource(const QString& name, const QString& extension,
                                           const QString& subdirectory = {}) const;

private:
    QVariantMap m_info;
    std::optional<QString> m_resourceDirectory;
};
