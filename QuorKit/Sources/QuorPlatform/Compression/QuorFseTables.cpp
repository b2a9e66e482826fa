#include "QuorPlatform/Compression/QuorFseTables.h"

#include <bit>

namespace quor::platform::lzfse {

namespace {

// Spreads the states over the symbols in symbol order: a symbol of frequency f owns f consecutive
// states. From a state, the next state is `delta` plus a number of bits read from the stream: the
// first states of a symbol read k bits, the rest k - 1, where f << k first reaches the state count.
template <typename Fill>
void spreadStates(std::span<const std::uint16_t> frequencies, std::uint32_t stateCount, Fill&& fill)
{
    checkFrequencies(frequencies, stateCount);
    const int stateZeros = std::countl_zero(stateCount);
    std::uint32_t position = 0;
    for (std::size_t symbol = 0; symbol < frequencies.size(); ++symbol) {
        const std::uint32_t frequency = frequencies[symbol];
        if (frequency == 0) {
            continue;
        }
        const int k = std::countl_zero(frequency) - stateZeros;
        const std::uint32_t longCount = ((2 * stateCount) >> k) - frequency;
        for (std::uint32_t j = 0; j < frequency; ++j, ++position) {
            if (j < longCount) {
                fill(position, symbol, k, ((frequency + j) << k) - stateCount);
            } else {
                fill(position, symbol, k - 1, (j - longCount) << (k - 1));
            }
        }
    }
}

} // namespace

void checkFrequencies(std::span<const std::uint16_t> frequencies, std::uint32_t stateCount)
{
    std::uint32_t sum = 0;
    for (const std::uint16_t frequency : frequencies) {
        sum += frequency;
    }
    if (sum > stateCount) {
        throw LzfseError(QStringLiteral("a frequency table has more counts than states"));
    }
}

FseLiteralTable::FseLiteralTable(std::span<const std::uint16_t> frequencies, std::uint32_t stateCount)
    : m_entries(stateCount), m_stateMask(stateCount - 1)
{
    spreadStates(frequencies, stateCount, [this](std::uint32_t position, std::size_t symbol, int bits, std::uint32_t delta) {
        m_entries[position] = Entry{static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(symbol),
                                    static_cast<std::uint16_t>(delta)};
    });
}

FseValueTable::FseValueTable(std::span<const std::uint16_t> frequencies, std::uint32_t stateCount,
                             std::span<const std::uint8_t> valueBits, std::span<const std::uint32_t> valueBases)
    : m_entries(stateCount), m_stateMask(stateCount - 1)
{
    spreadStates(frequencies, stateCount,
                 [&](std::uint32_t position, std::size_t symbol, int bits, std::uint32_t delta) {
                     m_entries[position] = Entry{static_cast<std::uint8_t>(bits + valueBits[symbol]), valueBits[symbol],
                                                 static_cast<std::uint16_t>(delta), valueBases[symbol]};
                 });
}

} // namespace quor::platform::lzfse
