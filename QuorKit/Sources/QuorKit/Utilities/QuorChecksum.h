#pragma once

#include "QuorPlatform/Core/QuorError.h"

#include <QString>

// SHA-256 of files: the whole content, or a quick fingerprint of the size and the first and last
// samples, for telling large files apart without reading them whole. Both block while they read.
namespace QuorChecksum {

inline constexpr qint64 defaultChunkSize = 1 << 20;
inline constexpr qint64 defaultSampleBytes = 64 << 10;

// 64 lower-case hexadecimal digits. A chunk size of 0 or less uses defaultChunkSize; the digest
// never depends on the chunk size. Throws QuorChecksumError when the file cannot be opened or read.
QString sha256(const QString& path, qint64 chunkSize = defaultChunkSize);

// SHA-256 over the size (8 bytes, little-endian), up to `sampleBytes` from the start and, when the
// file is larger than the sample, `sampleBytes` from the end. A sample size of 0 or less uses
// defaultSampleBytes. Throws QuorChecksumError on a missing or unreadable file.
QString partialFingerprint(const QString& path, qint64 sampleBytes = defaultSampleBytes);

} // namespace QuorChecksum

class QuorChecksumError : public QuorError {
public:
    QuorChecksumError(const QString& path, int errorNumber);
    QString path() const { return m_path; }
    int errorNumber() const { return m_errorNumber; }

private:
    QString m_path;
    int m_errorNumber;
};
