#include "QuorKit/Utilities/QuorChecksum.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Reads never hold more than this much at once, whatever size the caller asks for.
constexpr qint64 bufferLimit = 8 << 20;

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path) : m_path(path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0) {
            throw QuorChecksumError(path, errno);
        }
    }
    ~ReadOnlyFile() { ::close(m_fd); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Reads up to `length` bytes (fewer only at the end of the file) into the hash. Returns false
    // when the file ended before anything was read.
    bool feed(QCryptographicHash& hash, qint64 length)
    {
        QByteArray buffer(static_cast<qsizetype>(std::min(length, bufferLimit)), Qt::Uninitialized);
        qint64 left = length;
        bool readAny = false;
        while (left > 0) {
            const auto wanted = static_cast<size_t>(std::min<qint64>(left, buffer.size()));
            const ssize_t got = ::read(m_fd, buffer.data(), wanted);
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                throw QuorChecksumError(m_path, errno);
            }
            if (got == 0) {
                break;
            }
            hash.addData(QByteArrayView(buffer.constData(), got));
            left -= got;
            readAny = true;
        }
        return readAny;
    }

    // The size of the opened file itself, so size and samples always describe the same file.
    qint64 size() const
    {
        struct stat info {};
        if (::fstat(m_fd, &info) != 0) {
            throw QuorChecksumError(m_path, errno);
        }
        return static_cast<qint64>(info.st_size);
    }

    void seek(qint64 offset)
    {
        if (::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
            throw QuorChecksumError(m_path, errno);
        }
    }

private:
    QString m_path;
    int m_fd = -1;
};

QString hexDigest(const QCryptographicHash& hash)
{
    return QString::fromLatin1(hash.result().toHex());
}
} // namespace

namespace QuorChecksum {

QString sha256(const QString& path, qint64 chunkSize)
{
    const qint64 chunk = chunkSize > 0 ? chunkSize : defaultChunkSize;
    ReadOnlyFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    while (file.feed(hash, chunk)) {
    }
    return hexDigest(hash);
}

QString partialFingerprint(const QString& path, qint64 sampleBytes)
{
    const qint64 sample = sampleBytes > 0 ? sampleBytes : defaultSampleBytes;
    ReadOnlyFile file(path);
    const qint64 size = file.size();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    std::array<char, 8> sizeBytes{};
    qToLittleEndian<qint64>(size, sizeBytes.data());
    hash.addData(QByteArrayView(sizeBytes.data(), static_cast<qsizetype>(sizeBytes.size())));
    file.feed(hash, sample);
    if (sample < size) {
        file.seek(size - sample);
        file.feed(hash, sample);
    }
    return hexDigest(hash);
}

} // namespace QuorChecksum

QuorChecksumError::QuorChecksumError(const QString& path, int errorNumber)
    : QuorError(QStringLiteral("The file “%1” couldn’t be read: %2.").arg(path, QString::fromLocal8Bit(std::strerror(errorNumber))),
                QStringLiteral("“%1” dosyası okunamadı: %2.").arg(path, QString::fromLocal8Bit(std::strerror(errorNumber)))),
      m_path(path), m_errorNumber(errorNumber)
{
}
