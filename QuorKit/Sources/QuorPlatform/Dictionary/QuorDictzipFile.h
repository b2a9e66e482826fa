#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace quor::platform {

// Random access to a dictzip file: a gzip file whose "RA" extra field lists chunks of raw deflate
// data that inflate independently, so any byte range is read by inflating only its chunks. A plain
// uncompressed file is read directly. Not safe to share between threads.
class DictzipFile {
public:
    // The largest range one read returns; dictionary entries are a few kilobytes.
    static constexpr qint64 maximumRead = 4 * 1024 * 1024;

    // Nothing when the file cannot be opened or its header is malformed.
    static std::unique_ptr<DictzipFile> open(const QString& path);

    // `length` bytes of the uncompressed text from `offset`; nothing for a range outside the text,
    // one longer than maximumRead, or damaged data.
    std::optional<QByteArray> read(qint64 offset, qint64 length);

    bool isCompressed() const { return m_chunkLength > 0; }

private:
    DictzipFile() = default;
    bool readHeader();
    std::optional<QByteArray> chunk(qsizetype index);

    QFile m_file;
    qint64 m_chunkLength = 0;
    // File offsets of each chunk's compressed data, with the end of the last one appended.
    std::vector<qint64> m_chunkStarts;
    qsizetype m_cachedIndex = -1;
    QByteArray m_cachedChunk;
};

} // namespace quor::platform
