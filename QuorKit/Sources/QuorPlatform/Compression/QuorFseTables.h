#pragma once

#include "QuorPlatform/Compression/QuorFseBitReader.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quor::platform::lzfse {

// Decoding table of the literal stream: each state names its byte and how to reach the next state.
class FseLiteralTable {
public:
    FseLiteralTable(std::span<const std::uint16_t> frequencies, std::uint32_t stateCount);

    // `Checked` false: the caller made sure the reader holds the bits of the widest state step.
    template <bool Checked = true>
    [[gnu::always_inline]] std::uint8_t decode(std::uint16_t& state, FseBitReader& reader) const
    {
        const Entry entry = m_entries[state];
        const std::uint32_t bits = Checked ? reader.pull(entry.bits) : reader.pullUnchecked(entry.bits);
        state = static_cast<std::uint16_t>((entry.delta + bits) & m_stateMask);
        return entry.symbol;
    }

private:
    struct Entry {
        std::uint8_t bits = 0;
        std::uint8_t symbol = 0;
        std::uint16_t delta = 0;
    };
    std::vector<Entry> m_entries;
    std::uint32_t m_stateMask;
};

// Decoding table of one of the L, M and D streams: each state names a symbol, i.e. a base value
// plus a number of raw bits read together with the next state's bits.
class FseValueTable {
public:
    FseValueTable(std::span<const std::uint16_t> frequencies, std::uint32_t stateCount,
                  std::span<const std::uint8_t> valueBits, std::span<const std::uint32_t> valueBases);

    // `Checked` false: the caller made sure the reader holds the entry's bits.
    template <bool Checked = true>
    [[gnu::always_inline]] std::uint32_t decode(std::uint16_t& state, FseBitReader& reader) const
    {
        const Entry entry = m_entries[state];
        const std::uint32_t bits = Checked ? reader.pull(entry.totalBits) : reader.pullUnchecked(entry.totalBits);
        state = static_cast<std::uint16_t>((entry.delta + (bits >> entry.valueBits)) & m_stateMask);
        return entry.base + (bits & ((std::uint32_t{1} << entry.valueBits) - 1));
    }

private:
    struct Entry {
        std::uint8_t totalBits = 0;
        std::uint8_t valueBits = 0;
        std::uint16_t delta = 0;
        std::uint32_t base = 0;
    };
    std::vector<Entry> m_entries;
    std::uint32_t m_stateMask;
};

// The sum of the frequencies must not pass the number of states; throws LzfseError otherwise.
void checkFrequencies(std::span<const std::uint16_t> frequencies, std::uint32_t stateCount);

} // namespace quor::platform::lzfse
