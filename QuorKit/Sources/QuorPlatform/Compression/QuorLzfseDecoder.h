#pragma once

#include "QuorPlatform/Core/QuorError.h"

#include <QByteArray>

namespace quor::platform {

// A stream that is not valid LZFSE, or whose output would pass the size cap.
class LzfseError : public QuorError {
public:
    explicit LzfseError(const QString& detail);
};

// Decoder for LZFSE streams (blocks "bvx-", "bvxn", "bvx1", "bvx2", ended by "bvx$").
class LzfseDecoder {
public:
    static constexpr qsizetype defaultMaximumOutput = 64 * 1024 * 1024;

    // The decoded bytes; throws LzfseError for anything malformed or larger than `maximumOutput`.
    static QByteArray decode(const QByteArray& stream, qsizetype maximumOutput = defaultMaximumOutput);
};

} // namespace quor::platform
