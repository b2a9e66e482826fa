#include "QuorKit/System/QuorSecurityBookmarks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString standardizedPath(const QString& location)
{
    return QDir::cleanPath(QFileInfo(location).absoluteFilePath());
}

} // namespace

QuorSecurityBookmarkError::QuorSecurityBookmarkError(const QString& path)
    : QuorError(QStringLiteral("A bookmark for '%1' could not be created: it does not exist.").arg(path),
                QStringLiteral("'%1' için yer imi oluşturulamadı: böyle bir öğe yok.").arg(path))
{
}

QuorSecurityBookmarkStore::QuorSecurityBookmarkStore(QString storageKey, QuorSettings defaults)
    : m_defaults(std::move(defaults)), m_storageKey(std::move(storageKey))
{
}

// The stored map, or an empty one when the value is not a map of bytes as a whole.
QVariantMap QuorSecurityBookmarkStore::storedBookmarks() const
{
    const QVariant stored = m_defaults.value(m_storageKey);
    if (stored.typeId() != QMetaType::QVariantMap) {
        return {};
    }
    QVariantMap bookmarks = stored.toMap();
    for (const QVariant& bookmark : std::as_const(bookmarks)) {
        if (bookmark.typeId() != QMetaType::QByteArray) {
            return {};
        }
    }
    return bookmarks;
}

void QuorSecurityBookmarkStore::saveBookmark(const QString& location)
{
    const QString path = standardizedPath(location);
    if (!QFileInfo::exists(path)) {
        throw QuorSecurityBookmarkError(path);
    }
    const QMutexLocker locker(&m_lock);
    QVariantMap bookmarks = storedBookmarks();
    bookmarks.insert(path, QFile::encodeName(path));
    m_defaults.setValue(m_storageKey, bookmarks);
}

QStringList QuorSecurityBookmarkStore::resolveAllBookmarks() const
{
    QVariantMap bookmarks;
    {
        const QMutexLocker locker(&m_lock);
        bookmarks = storedBookmarks();
    }
    QStringList resolved;
    for (const QVariant& bookmark : std::as_const(bookmarks)) {
        const QString path = QFile::decodeName(bookmark.toByteArray());
        if (QDir::isAbsolutePath(path) && QFileInfo::exists(path)) {
            resolved.append(path);
        }
    }
    resolved.sort();
    return resolved;
}

void QuorSecurityBookmarkStore::removeBookmark(const QString& path)
{
    const QMutexLocker locker(&m_lock);
    QVariantMap bookmarks = storedBookmarks();
    bookmarks.remove(path);
    m_defaults.setValue(m_storageKey, bookmarks);
}
