#pragma once

#include "QuorKit/Utilities/QuorSettings.h"
#include "QuorPlatform/Core/QuorError.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <utility>

// A location the user picked could not be remembered.
class QuorSecurityBookmarkError : public QuorError {
public:
    explicit QuorSecurityBookmarkError(const QString& path);
};

// Remembers locations the user picked, under one settings key chosen by the owner, as a map from
// the location's standardized path to its bookmark. Linux has no sandbox to grant access, so a
// bookmark is the path itself, a bookmark resolves while its path exists, and scoped access is
// simply running the work.
class QuorSecurityBookmarkStore {
public:
    QuorSecurityBookmarkStore(QString storageKey, QuorSettings defaults);
    QuorSecurityBookmarkStore(const QuorSecurityBookmarkStore&) = delete;
    QuorSecurityBookmarkStore& operator=(const QuorSecurityBookmarkStore&) = delete;

    // Stores a bookmark under the location's standardized path, replacing an older one. Throws
    // QuorSecurityBookmarkError, storing nothing, when the location does not exist.
    void saveBookmark(const QString& location);

    // Every stored location that still exists, sorted by path. Entries that no longer resolve are
    // left out but stay stored.
    QStringList resolveAllBookmarks() const;

    // Forgets the bookmark stored under exactly `path` (not standardized).
    void removeBookmark(const QString& path);

    // Runs `body` with access to `location` and passes on its result or its exception.
    template <typename Body>
    decltype(auto) withScopedAccess(const QString& location, Body&& body) const
    {
        Q_UNUSED(location);
        return std::forward<Body>(body)();
    }

private:
    QVariantMap storedBookmarks() const;

    QuorSettings m_defaults;
    QString m_storageKey;
    mutable QMutex m_lock;
};
