#pragma once

#include "QuorPlatform/Compression/QuorLzfseOutput.h"

#include <cstddef>
#include <cstdint>

namespace quor::platform::lzfse {

// The LZVN coding of one "bvxn" block: byte-aligned opcodes that each carry a few literals and/or
// one match, ended by an end-of-stream opcode.
class LzvnBlock {
public:
    // Decodes `payload` into `output` up to its limit; throws LzfseError when the opcodes are
    // malformed, reach outside the payload or the output, or do not fill the block exactly.
    static void decode(const std::uint8_t* payload, std::size_t size, LzfseOutput& output);
};

} // namespace quor::platform::lzfse
