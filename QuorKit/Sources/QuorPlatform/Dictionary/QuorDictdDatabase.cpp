#include "QuorPlatform/Dictionary/QuorDictdDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>

namespace quor::platform {

namespace {
// An index larger than this is not a dictionary anyone installed on purpose.
constexpr qint64 maximumIndexSize = 256LL * 1024 * 1024;

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Header entries describe the database itself and are no words to look up.
bool isHeaderEntry(QByteArrayView headword)
{
    return headword.startsWith("00-database-") || headword.startsWith("00database");
}

bool hasHeaderEntry(const QByteArray& index, const char* name)
{
    const QByteArray line = QByteArray(name) + '\t';
    return index.startsWith(line) || index.contains('\n' + line);
}

QString decodeText(const QByteArray& bytes, bool utf8)
{
    if (utf8) {
        return QString::fromUtf8(bytes);
    }
    // Older databases may be Latin-1; take UTF-8 when the bytes are valid UTF-8.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    return decoder.hasError() ? QString::fromLatin1(bytes) : text;
}
} // namespace

DictdDatabase::DictdDatabase(QString indexPath, QString dictPath)
    : m_indexPath(std::move(indexPath)), m_dictPath(std::move(dictPath))
{
}

DictdDatabase::~DictdDatabase() = default;

QString DictdDatabase::name() const
{
    return QFileInfo(m_indexPath).completeBaseName();
}

std::optional<qint64> DictdDatabase::decodeNumber(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 10) {
        return std::nullopt;
    }
    qint64 value = 0;
    for (const char c : digits) {
        int digit = -1;
        if (c >= 'A' && c <= 'Z') {
            digit = c - 'A';
        } else if (c >= 'a' && c <= 'z') {
            digit = c - 'a' + 26;
        } else if (c >= '0' && c <= '9') {
            digit = c - '0' + 52;
        } else if (c == '+') {
            digit = 62;
        } else if (c == '/') {
            digit = 63;
        } else {
            return std::nullopt;
        }
        value = value * 64 + digit;
    }
    return value;
}

QByteArray DictdDatabase::normalize(QByteArrayView headword) const
{
    QByteArray result;
    result.reserve(headword.size());
    if (isAscii(headword)) {
        bool pendingSpace = false;
        for (const char c : headword) {
            if (isSpace(c)) {
                pendingSpace = !result.isEmpty();
                continue;
            }
            const bool alphanumeric = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            if (!m_allChars && !alphanumeric) {
                continue;
            }
            if (pendingSpace) {
                result.append(' ');
                pendingSpace = false;
            }
            result.append(!m_caseSensitive && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
        }
        return result;
    }
    QString text = QString::fromUtf8(headword).simplified();
    if (!m_allChars) {
        text.removeIf([](QChar c) { return !c.isLetterOrNumber() && c != u' ' && !c.isSurrogate(); });
        text = text.simplified();
    }
    if (!m_caseSensitive) {
        text = text.toLower();
    }
    return text.toUtf8();
}

QByteArrayView DictdDatabase::keyOf(const Entry& entry) const
{
    return QByteArrayView(m_keys.constData() + entry.keyStart, entry.keyLength);
}

bool DictdDatabase::load()
{
    QFile indexFile(m_indexPath);
    if (!indexFile.open(QIODevice::ReadOnly) || indexFile.size() > maximumIndexSize) {
        return false;
    }
    const QByteArray index = indexFile.readAll();
    m_allChars = hasHeaderEntry(index, "00-database-allchars") || hasHeaderEntry(index, "00databaseallchars");
    m_caseSensitive = hasHeaderEntry(index, "00-database-case-sensitive");
    m_utf8 = hasHeaderEntry(index, "00-database-utf8") || hasHeaderEntry(index, "00databaseutf8");

    qsizetype lineStart = 0;
    while (lineStart < index.size()) {
        qsizetype lineEnd = index.indexOf('\n', lineStart);
        if (lineEnd < 0) {
            lineEnd = index.size();
        }
        const QByteArrayView line(index.constData() + lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        const qsizetype firstTab = line.indexOf('\t');
        const qsizetype secondTab = firstTab < 0 ? -1 : line.indexOf('\t', firstTab + 1);
        if (secondTab < 0) {
            continue;
        }
        qsizetype thirdTab = line.indexOf('\t', secondTab + 1);
        if (thirdTab < 0) {
            thirdTab = line.endsWith('\r') ? line.size() - 1 : line.size();
        }
        const QByteArrayView headword = line.first(firstTab);
        const auto offset = decodeNumber(line.sliced(firstTab + 1, secondTab - firstTab - 1));
        const auto length = decodeNumber(line.sliced(secondTab + 1, thirdTab - secondTab - 1));
        if (!offset || !length || *length > DictzipFile::maximumRead || isHeaderEntry(headword)) {
            continue;
        }
        const QByteArray key = normalize(headword);
        if (key.isEmpty()) {
            continue;
        }
        m_entries.push_back(Entry{m_keys.size(), static_cast<qint32>(key.size()), static_cast<qint32>(*length), *offset});
        m_keys.append(key);
    }
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [this](const Entry& a, const Entry& b) { return keyOf(a) < keyOf(b); });

    m_text = DictzipFile::open(m_dictPath);
    return m_text != nullptr && !m_entries.empty();
}

std::optional<QString> DictdDatabase::define(const QString& term)
{
    if (!m_loaded) {
        m_loaded = true;
        m_usable = load();
    }
    if (!m_usable) {
        return std::nullopt;
    }
    const QByteArray key = normalize(term.toUtf8());
    if (key.isEmpty()) {
        return std::nullopt;
    }
    const auto less = [this](const Entry& entry, QByteArrayView wanted) { return keyOf(entry) < wanted; };
    auto it = std::lower_bound(m_entries.begin(), m_entries.end(), QByteArrayView(key), less);
    QStringList definitions;
    // Some databases list one entry twice under a headword (or under two spellings that match
    // alike): its text is shown once, where the index first names it.
    QSet<std::pair<qint64, qint32>> shown;
    for (; it != m_entries.end() && keyOf(*it) == QByteArrayView(key); ++it) {
        if (shown.contains({it->offset, it->length})) {
            continue;
        }
        shown.insert({it->offset, it->length});
        const auto bytes = m_text->read(it->offset, it->length);
        if (bytes) {
            definitions.append(decodeText(*bytes, m_utf8));
        }
    }
    if (definitions.isEmpty()) {
        return std::nullopt;
    }
    return definitions.join(QStringLiteral("\n\n"));
}

} // namespace quor::platform
