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
    void refill()
    {
        std::size_t bytes = static_cast<std::size_t>(63 - m_count) >> 3;
        const auto available = static_cast<std::size_t>(m_next - m_start);
        if (bytes > available) {
            bytes = available;
        }
        if (bytes == 0) {
            return;
        }
        m_next -= bytes;
        const int bits = static_cast<int>(bytes) * 8;
        std::uint64_t incoming = 0;
        if (m_end - m_next >= 8) {
            incoming = qFromLittleEndian<std::uint64_t>(m_next) & ((std::uint64_t{1} << bits) - 1);
        } else {
            for (std::size_t i = bytes; i-- > 0;) {
                incoming = (incoming << 8) | m_next[i];
            }
        }
        m_accumulator = (m_accumulator << bits) | incoming;
        m_count += bits;
    }

    // The next `bits` bits (0..56) as an unsigned number.
    std::uint32_t pull(int bits)
    {
        if (bits > m_count) {
            throw LzfseError(QStringLiteral("a bit stream ends early"));
        }
        m_count -= bits;
        const auto value = static_cast<std::uint32_t>(m_accumulator >> m_count);
        m_accumulator &= (std::uint64_t{1} << m_count) - 1;
        return value;
    }

private:
    const std::uint8_t* m_start;
    const std::uint8_t* m_end;
    const std::uint8_t* m_next;
    std::uint64_t m_accumulator = 0;
    int m_count = 0;
};

} // namespace quor::platform::lzfse
