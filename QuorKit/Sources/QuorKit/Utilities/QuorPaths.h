#pragma once

#include <QString>

// Where the suite keeps its files. The user's data folder ($XDG_DATA_HOME, else ~/.local/share)
// plays the part of Application Support; the maker's folder "Tallowmer" lies inside it.
namespace QuorPaths {
QString applicationSupportDirectory();
QString tallowmerDirectory();
// tallowmerDirectory() + "/" + appName, e.g. ~/.local/share/Tallowmer/QuorZub.
QString appDirectory(const QString& appName);
// The user's configuration folder ($XDG_CONFIG_HOME, else ~/.config).
QString configDirectory();
// The user's cache folder ($XDG_CACHE_HOME, else ~/.cache).
QString cacheDirectory();
} // namespace QuorPaths
