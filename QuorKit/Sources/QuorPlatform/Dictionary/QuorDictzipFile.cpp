#include "QuorPlatform/Dictionary/QuorDictzipFile.h"

#include <zlib.h>

#include <limits>

namespace quor::platform {

namespace {
constexpr unsigned char flagExtra = 0x04;
constexpr unsigned char flagName = 0x08;
constexpr unsigned char flagComment = 0x10;
constexpr unsigned char flagHeaderCrc = 0x02;

quint16 littleEndian16(const char* bytes)
{
    return static_cast<quint16>(static_cast<unsigned char>(bytes[0]) | (static_cast<unsigned char>(bytes[1]) << 8));
}

// Reads past a zero-terminated header field; false at end of file.
bool skipZeroTerminated(QFile& file)
{
    char c = 1;
    while (c != 0) {
        if (!file.getChar(&c)) {
            return false;
        }
    }
    return true;
}

// Inflates one raw-deflate chunk into at most `capacity` bytes.
std::optional<QByteArray> inflateRaw(const QByteArray& compressed, qint64 capacity)
{
    QByteArray output(static_cast<qsizetype>(capacity), Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return std::nullopt;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = reinterpret_cast<Bytef*>(output.data());
    stream.avail_out = static_cast<uInt>(output.size());
    const int status = inflate(&stream, Z_SYNC_FLUSH);
    const auto produced = static_cast<qsizetype>(stream.total_out);
    inflateEnd(&stream);
    if (status != Z_OK && status != Z_STREAM_END && !(status == Z_BUF_ERROR && produced > 0)) {
        return std::nullopt;
    }
    output.truncate(produced);
    return output;
}
} // namespace

std::unique_ptr<DictzipFile> DictzipFile::open(const QString& path)
{
    std::unique_ptr<DictzipFile> file(new DictzipFile);
    file->m_file.setFileName(path);
    if (!file->m_file.open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    const QByteArray magic = file->m_file.peek(2);
    if (magic == QByteArray("\x1f\x8b", 2)) {
        if (!file->readHeader()) {
            return nullptr;
        }
    }
    return file;
}

bool DictzipFile::readHeader()
{
    const QByteArray fixed = m_file.read(10);
    if (fixed.size() != 10 || static_cast<unsigned char>(fixed[2]) != Z_DEFLATED) {
        return false;
    }
    const auto flags = static_cast<unsigned char>(fixed[3]);
    if ((flags & flagExtra) == 0) {
        // A gzip file without the chunk table cannot be read at random.
        return false;
    }
    const QByteArray lengthBytes = m_file.read(2);
    if (lengthBytes.size() != 2) {
        return false;
    }
    const QByteArray extra = m_file.read(littleEndian16(lengthBytes.constData()));
    if (extra.size() != littleEndian16(lengthBytes.constData())) {
        return false;
    }
    std::vector<qint64> chunkSizes;
    for (qsizetype position = 0; position + 4 <= extra.size();) {
        const quint16 fieldLength = littleEndian16(extra.constData() + position + 2);
        const qsizetype data = position + 4;
        if (data + fieldLength > extra.size()) {
            return false;
        }
        if (extra[position] == 'R' && extra[position + 1] == 'A' && fieldLength >= 6) {
            const quint16 version = littleEndian16(extra.constData() + data);
            m_chunkLength = littleEndian16(extra.constData() + data + 2);
            const quint16 count = littleEndian16(extra.constData() + data + 4);
            if (version != 1 || m_chunkLength == 0 || fieldLength < 6 + 2 * count) {
                return false;
            }
            for (quint16 i = 0; i < count; ++i) {
                chunkSizes.push_back(littleEndian16(extra.constData() + data + 6 + 2 * i));
            }
        }
        position = data + fieldLength;
    }
    if (m_chunkLength == 0 || chunkSizes.empty()) {
        m_chunkLength = 0;
        return false;
    }
    if (((flags & flagName) != 0 && !skipZeroTerminated(m_file)) ||
        ((flags & flagComment) != 0 && !skipZeroTerminated(m_file)) ||
        ((flags & flagHeaderCrc) != 0 && m_file.read(2).size() != 2)) {
        return false;
    }
    qint64 start = m_file.pos();
    m_chunkStarts.push_back(start);
    for (const qint64 size : chunkSizes) {
        start += size;
        m_chunkStarts.push_back(start);
    }
    return m_chunkStarts.back() <= m_file.size();
}

std::optional<QByteArray> DictzipFile::chunk(qsizetype index)
{
    if (index == m_cachedIndex) {
        return m_cachedChunk;
    }
    const qint64 start = m_chunkStarts[static_cast<size_t>(index)];
    const qint64 size = m_chunkStarts[static_cast<size_t>(index) + 1] - start;
    if (!m_file.seek(start)) {
        return std::nullopt;
    }
    const QByteArray compressed = m_file.read(size);
    if (compressed.size() != size) {
        return std::nullopt;
    }
    auto inflated = inflateRaw(compressed, m_chunkLength);
    if (!inflated) {
        return std::nullopt;
    }
    m_cachedIndex = index;
    m_cachedChunk = *inflated;
    return inflated;
}

std::optional<QByteArray> DictzipFile::read(qint64 offset, qint64 length)
{
    if (offset < 0 || length < 0 || length > maximumRead || offset > std::numeric_limits<qint64>::max() - length) {
        return std::nullopt;
    }
    if (!isCompressed()) {
        if (offset + length > m_file.size() || !m_file.seek(offset)) {
            return std::nullopt;
        }
        QByteArray bytes = m_file.read(length);
        return bytes.size() == length ? std::optional<QByteArray>(bytes) : std::nullopt;
    }
    const auto chunkCount = static_cast<qint64>(m_chunkStarts.size()) - 1;
    if (length == 0) {
        return offset <= chunkCount * m_chunkLength ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    }
    const qint64 first = offset / m_chunkLength;
    const qint64 last = (offset + length - 1) / m_chunkLength;
    if (last >= chunkCount) {
        return std::nullopt;
    }
    QByteArray text;
    text.reserve(static_cast<qsizetype>(length));
    for (qint64 index = first; index <= last; ++index) {
        const auto data = chunk(static_cast<qsizetype>(index));
        if (!data) {
            return std::nullopt;
        }
        const qint64 from = index == first ? offset - first * m_chunkLength : 0;
        const qint64 take = std::min<qint64>(data->size() - from, length - text.size());
        if (from > data->size() || take <= 0) {
            return std::nullopt;
        }
        text.append(data->constData() + from, static_cast<qsizetype>(take));
        // Only the last chunk may be short; a short chunk in the middle means damaged data.
        if (text.size() < length && data->size() < m_chunkLength) {
            return std::nullopt;
        }
    }
    return text.size() == length ? std::optional<QByteArray>(text) : std::nullopt;
}

} // namespace quor::platform
