#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quor::platform::lzfse {

inline constexpr std::uint32_t literalStateCount = 1024;
inline constexpr std::uint32_t lStateCount = 64;
inline constexpr std::uint32_t mStateCount = 64;
inline constexpr std::uint32_t dStateCount = 256;
inline constexpr std::uint32_t maximumLiteralsPerBlock = 40000;
inline constexpr std::uint32_t maximumMatchesPerBlock = 10000;
// The version-1 header as laid out in the stream: seven 32-bit counts, the literal and L/M/D
// stream states, the 360 frequencies and two bytes of padding.
inline constexpr std::size_t version1HeaderSize = 772;
// The fixed part of the version-2 header; the packed frequency tables follow it.
inline constexpr std::size_t version2FixedSize = 32;

// The header of an LZFSE block ("bvx1" written out in full, "bvx2" packed), in one form.
struct LzfseBlockHeader {
    std::uint32_t rawBytes = 0;
    std::uint32_t literalCount = 0;
    std::uint32_t matchCount = 0;
    std::uint32_t literalPayloadBytes = 0;
    std::uint32_t lmdPayloadBytes = 0;
    int literalBits = 0;
    std::array<std::uint16_t, 4> literalStates{};
    int lmdBits = 0;
    std::uint16_t lState = 0;
    std::uint16_t mState = 0;
    std::uint16_t dState = 0;
    std::array<std::uint16_t, 20> lFrequencies{};
    std::array<std::uint16_t, 20> mFrequencies{};
    std::array<std::uint16_t, 64> dFrequencies{};
    std::array<std::uint16_t, 256> literalFrequencies{};
    // Bytes of the header itself; the literal payload follows, then the L/M/D payload.
    std::size_t headerBytes = 0;

    std::size_t blockBytes() const
    {
        return headerBytes + std::size_t{literalPayloadBytes} + std::size_t{lmdPayloadBytes};
    }

    // Both read `available` bytes at most and throw LzfseError for a header that is cut off or
    // holds values out of range.
    static LzfseBlockHeader parseVersion1(const std::uint8_t* data, std::size_t available);
    static LzfseBlockHeader parseVersion2(const std::uint8_t* data, std::size_t available);

private:
    void validate() const;
};

} // namespace quor::platform::lzfse
