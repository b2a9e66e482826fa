#pragma once

#include "QuorPlatform/Compression/QuorLzfseDecoder.h"

#include <algorithm>
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
    [[gnu::always_inline]] void copyLiterals(const std::uint8_t* source, std::size_t count, const std::uint8_t* sourceEnd)
    {
        if (count > room()) {
            throw LzfseError(QStringLiteral("literals run past the block's size"));
        }
        std::uint8_t* destination = position;
        position += count;
        if (static_cast<std::size_t>(sourceEnd - source) >= count + 16
            && static_cast<std::size_t>(allocationEnd - destination) >= count + 16) {
            copyWords<16>(destination, source, count);
        } else {
            std::memcpy(destination, source, count);
        }
    }

    // Copies `length` bytes from `distance` bytes back; the source may overlap the destination.
    [[gnu::always_inline]] void copyMatch(std::size_t distance, std::size_t length)
    {
        if (length > room()) {
            throw LzfseError(QStringLiteral("a match runs past the block's size"));
        }
        if (distance == 0 || distance > written()) {
            throw LzfseError(QStringLiteral("a match reaches before the start of the data"));
        }
        std::uint8_t* destination = position;
        position += length;
        if (static_cast<std::size_t>(allocationEnd - destination) < length + 16) {
            copyBytes(destination, distance, length);
        } else if (distance >= 16) {
            copyWords<16>(destination, destination - distance, length);
        } else if (distance >= 8) {
            copyWords<8>(destination, destination - distance, length);
        } else {
            copyShortDistance(destination, distance, length);
        }
    }

private:
    // Moves whole words of `Width` bytes, overshooting `count` by less than a word. With an overlap,
    // each word is still read from bytes that are already final as long as the distance is at
    // least `Width`.
    template <std::size_t Width>
    [[gnu::always_inline]] static void copyWords(std::uint8_t* destination, const std::uint8_t* source, std::size_t count)
    {
        std::uint8_t* const end = destination + count;
        do {
            std::memcpy(destination, source, Width);
            destination += Width;
            source += Width;
        } while (destination < end);
    }

    static void copyBytes(std::uint8_t* destination, std::size_t distance, std::size_t length)
    {
        for (std::size_t i = 0; i < length; ++i) {
            destination[i] = destination[i - distance];
        }
    }

    // A distance under 8 repeats a short pattern. Once a whole multiple of it of at least 8 bytes
    // is written, the rest repeats at that multiple, which whole words can copy.
    static void copyShortDistance(std::uint8_t* destination, std::size_t distance, std::size_t length)
    {
        std::size_t period = distance;
        while (period < 8) {
            period *= 2;
        }
        const std::size_t head = std::min(length, period);
        copyBytes(destination, distance, head);
        if (length > head) {
            copyWords<8>(destination + head, destination + head - period, length - head);
        }
    }
};

} // namespace quor::platform::lzfse
