#pragma once

#include "QuorPlatform/Compression/QuorLzfseBlockHeader.h"
#include "QuorPlatform/Compression/QuorLzfseOutput.h"

#include <cstdint>
#include <vector>

namespace quor::platform::lzfse {

// The LZFSE coding of one "bvx1"/"bvx2" block: an FSE-coded stream of literal bytes (four
// interleaved states) and an FSE-coded stream of (literal count, match length, distance) triples.
class LzfseBlock {
public:
    // Decodes the payloads that follow the header at `payload` into `output` up to its limit.
    // `literals` is scratch space reused between blocks. Throws LzfseError for malformed data.
    static void decode(const LzfseBlockHeader& header, const std::uint8_t* payload, LzfseOutput& output,
                       std::vector<std::uint8_t>& literals);
};

} // namespace quor::platform::lzfse
