#pragma once

#include "QuorPlatform/Dictionary/QuorDictzipFile.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace quor::platform {

// One dictd database: a ".index" file of "headword TAB offset TAB length" lines (numbers in dictd's
// base-64 digits) and a ".dict" or ".dict.dz" text. Headwords are matched the way dictd matches
// them: case-folded unless the database says it is case sensitive, and reduced to letters, digits
// and spaces unless it keeps all characters. The index is read on the first look-up. Not safe to
// share between threads.
class DictdDatabase {
public:
    DictdDatabase(QString indexPath, QString dictPath);
    ~DictdDatabase();

    QString name() const;

    // Every entry of the headword, joined by a blank line; nothing when the database lacks it or
    // cannot be read.
    std::optional<QString> define(const QString& term);

    // Value of a dictd base-64 number ("BdrF5" is 24555897); nothing for a bad digit or overflow.
    static std::optional<qint64> decodeNumber(QByteArrayView digits);

private:
    struct Entry {
        qint64 keyStart;
        qint32 keyLength;
        qint32 length;
        qint64 offset;
    };

    bool load();
    QByteArray normalize(QByteArrayView headword) const;
    QByteArrayView keyOf(const Entry& entry) const;

    QString m_indexPath;
    QString m_dictPath;
    bool m_loaded = false;
    bool m_usable = false;
    bool m_caseSensitive = false;
    bool m_allChars = false;
    bool m_utf8 = false;
    QByteArray m_keys;
    std::vector<Entry> m_entries;
    std::unique_ptr<DictzipFile> m_text;
};

} // namespace quor::platform
