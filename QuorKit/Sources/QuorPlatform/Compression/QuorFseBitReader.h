#pragma once

#include "QuorPlatform/Compression/QuorLzfseDecoder.h"

#include <QtEndian>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quor::platform::lzfse {

// Reads an FSE bit stream from its last byte towards its first. The encoder wrote the stream
// forwards, so the bits it wrote last come out first: they are the high bits of the accumulator,
// which is refilled with the bytes just below the ones already taken.
class FseBitReader {
public:
    // `extraBits` (-7..0) is minus the number of unused high bits in the stream's last byte; those
    // bits must be zero.
    FseBitReader(const std::uint8_t* start, const std::uint8_t* end, int extraBits)
        : m_start(start), m_end(end), m_next(end)
    {
        if (extraBits < -7 || extraBits > 0) {
            throw LzfseError(QStringLiteral("a bit stream's final bit count is out of range"));
        }
        // With no unused bits, leave the lowest of the eight bytes for the first refill, so the
        // accumulator never holds 64 bits.
        const int bytes = extraBits == 0 ? 7 : 8;
        if (end - start < bytes) {
            throw LzfseError(QStringLiteral("a bit stream is too short"));
        }
        m_next = end - bytes;
        m_accumulator = 0;
        for (int i = bytes - 1; i >= 0; --i) {
            m_accumulator = (m_accumulator << 8) | m_next[i];
        }
        m_count = bytes * 8 + extraBits;
        if ((m_accumulator >> m_count) != 0) {
            throw LzfseError(QStringLiteral("a bit stream's padding bits are not zero"));
        }
    }

    // Brings the accumulator to at least 56 bits while the stream has bytes left.
    [[gnu::always_inline]] void refill()
    {
        const auto bytes = static_cast<std::size_t>(63 - m_count) >> 3;
        if (static_cast<std::size_t>(m_next - m_start) >= 8 && bytes > 0) {
            // The common case: a whole word lies below the bytes already taken, so one load brings
            // them in; the bits that do not fit are shifted out of the top.
            m_next -= bytes;
            const int bits = static_cast<int>(bytes) * 8;
            m_accumulator = (m_accumulator << bits) | (qFromLittleEndian<std::uint64_t>(m_next - (8 - bytes)) >> (64 - bits));
            m_count += bits;
            return;
        }
        refillNearStart(bytes);
    }

    // The number of bits left in the accumulator; pullUnchecked may take that many.
    int available() const { return m_count; }

    // The next `bits` bits (0..56) as an unsigned number.
    [[gnu::always_inline]] std::uint32_t pull(int bits)
    {
        if (bits > m_count) {
            throw LzfseError(QStringLiteral("a bit stream ends early"));
        }
        return pullUnchecked(bits);
    }

    // As pull, for callers that checked `available()` for the bits of several pulls at once.
    [[gnu::always_inline]] std::uint32_t pullUnchecked(int bits)
    {
        m_count -= bits;
        // The bits above the count are spent ones; the mask drops them.
        return static_cast<std::uint32_t>((m_accumulator >> m_count) & ((std::uint64_t{1} << bits) - 1));
    }

private:
    // Fewer than eight bytes remain below the ones taken: read them one by one.
    void refillNearStart(std::size_t bytes)
    {
        const auto remaining = static_cast<std::size_t>(m_next - m_start);
        if (bytes > remaining) {
            bytes = remaining;
        }
        if (bytes == 0) {
            return;
        }
        m_next -= bytes;
        std::uint64_t incoming = 0;
        for (std::size_t i = bytes; i-- > 0;) {
            incoming = (incoming << 8) | m_next[i];
        }
        const int bits = static_cast<int>(bytes) * 8;
        m_accumulator = (m_accumulator << bits) | incoming;
        m_count += bits;
    }

    const std::uint8_t* m_start;
    const std::uint8_t* m_end;
    const std::uint8_t* m_next;
    std::uint64_t m_accumulator = 0;
    int m_count = 0;
};

} // namespace quor::platform::lzfse
