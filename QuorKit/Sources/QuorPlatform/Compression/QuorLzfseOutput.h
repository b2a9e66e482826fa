#pragma once

#include "QuorPlatform/Compression/QuorLzfseDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quor::platform::lzfse {

// Extra bytes allocated past the decoded data (and past decoded literals) so that copies may move
// whole 8- or 16-byte words and overshoot the exact end; the overshoot is overwritten or cut off.
inline constexpr std::size_t copySlack = 32;

// The decoded bytes of the whole stream. `limit` is the end of the block being decoded: nothing is
// written at or past it except the wide-copy overshoot, which stays inside the allocation.
struct LzfseOutput {
    std::uint8_t* begin = nullptr;
    std::uint8_t* position = nullptr;
    std::uint8_t* limit = nullptr;
    std::uint8_t* allocationEnd = nullptr;

    std::size_t room() const { return static_cast<std::size_t>(limit - position); }
    std::size_t written() const { return static_cast<std::size_t>(position - begin); }

    // `source` must hold `count` bytes and `sourceEnd` bounds what may be read past them.
    void copyLiterals(const std::uint8_t* source, std::size_t count, const std::uint8_t* sourceEnd)
    {
        if (count > room()) {
            throw LzfseError(QStringLiteral("literals run past the block's size"));
        }
        std::uint8_t* destination = position;
        if (count <= 16 && sourceEnd - source >= 16 && allocationEnd - destination >= 16) {
            std::memcpy(destination, source, 16);
        } else {
            std::memcpy(destination, source, count);
        }
        position += count;
    }

    // Copies `length` bytes from `distance` bytes back; the source may overlap the destination.
    void copyMatch(std::size_t distance, std::size_t length)
    {
        if (length > room()) {
            throw LzfseError(QStringLiteral("a match runs past the block's size"));
        }
        if (distance == 0 || distance > written()) {
            throw LzfseError(QStringLiteral("a match reaches before the start of the data"));
        }
        std::uint8_t* destination = position;
        const std::uint8_t* source = destination - distance;
        position += length;
        if (distance >= 8 && static_cast<std::size_t>(allocationEnd - destination) >= length + 8) {
            // Each 8-byte word is read from bytes that are already final, even when the areas overlap.
            std::uint8_t* const end = destination + length;
            while (destination < end) {
                std::memcpy(destination, source, 8);
                destination += 8;
                source += 8;
            }
            return;
        }
        for (std::size_t i = 0; i < length; ++i) {
            destination[i] = source[i];
        }
    }
};

} // namespace quor::platform::lzfse
