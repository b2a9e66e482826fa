#include "QuorPlatform/Compression/QuorLzfseBlockHeader.h"

#include "QuorPlatform/Compression/QuorFseTables.h"

#include <QtEndian>

namespace quor::platform::lzfse {

namespace {

[[noreturn]] void fail(const char* what)
{
    throw LzfseError(QString::fromLatin1(what));
}

std::uint32_t bitsAt(std::uint64_t word, int offset, int width)
{
    return static_cast<std::uint32_t>((word >> offset) & ((std::uint64_t{1} << width) - 1));
}

// One frequency of the packed tables, from the low bits of `bits`: a prefix code whose shortest
// words stand for the small counts that most symbols have.
//   ...0  2 bits: 0 or 1          ..001 / ..101  3 bits: 2 or 3
//   xx011 5 bits: 4..7            0111 + 4 bits:  8 bits: 8..23
//   1111 + 10 bits: 14 bits: 24..1047
std::uint32_t frequencyCode(std::uint32_t bits, int& length)
{
    if ((bits & 1) == 0) {
        length = 2;
        return (bits >> 1) & 1;
    }
    if ((bits & 3) == 1) {
        length = 3;
        return 2 + ((bits >> 2) & 1);
    }
    if ((bits & 7) == 3) {
        length = 5;
        return 4 + ((bits >> 3) & 3);
    }
    if ((bits & 15) == 7) {
        length = 8;
        return 8 + ((bits >> 4) & 15);
    }
    length = 14;
    return 24 + ((bits >> 4) & 1023);
}

template <std::size_t N>
void readFrequencies(std::array<std::uint16_t, N>& table, const std::uint8_t*& p, const std::uint8_t* end,
                     std::uint32_t& accumulator, int& count)
{
    for (std::uint16_t& frequency : table) {
        while (count <= 24 && p < end) {
            accumulator |= static_cast<std::uint32_t>(*p++) << count;
            count += 8;
        }
        int length = 0;
        const std::uint32_t value = frequencyCode(accumulator, length);
        if (length > count) {
            fail("the frequency tables run past the block header");
        }
        accumulator >>= length;
        count -= length;
        frequency = static_cast<std::uint16_t>(value);
    }
}

} // namespace

LzfseBlockHeader LzfseBlockHeader::parseVersion1(const std::uint8_t* data, std::size_t available)
{
    if (available < version1HeaderSize) {
        fail("an LZFSE block header is cut off");
    }
    auto u32 = [data](std::size_t offset) { return qFromLittleEndian<std::uint32_t>(data + offset); };
    auto u16 = [data](std::size_t offset) { return qFromLittleEndian<std::uint16_t>(data + offset); };
    LzfseBlockHeader header;
    header.rawBytes = u32(4);
    // Offset 8 repeats the payload size, the sum of the two payloads that follow.
    header.literalCount = u32(12);
    header.matchCount = u32(16);
    header.literalPayloadBytes = u32(20);
    header.lmdPayloadBytes = u32(24);
    header.literalBits = qFromLittleEndian<std::int32_t>(data + 28);
    for (std::size_t i = 0; i < 4; ++i) {
        header.literalStates[i] = u16(32 + 2 * i);
    }
    header.lmdBits = qFromLittleEndian<std::int32_t>(data + 40);
    header.lState = u16(44);
    header.mState = u16(46);
    header.dState = u16(48);
    std::size_t offset = 50;
    for (auto* table : {header.lFrequencies.data(), header.mFrequencies.data()}) {
        for (std::size_t i = 0; i < 20; ++i, offset += 2) {
            table[i] = u16(offset);
        }
    }
    for (std::uint16_t& frequency : header.dFrequencies) {
        frequency = u16(offset);
        offset += 2;
    }
    for (std::uint16_t& frequency : header.literalFrequencies) {
        frequency = u16(offset);
        offset += 2;
    }
    header.headerBytes = version1HeaderSize;
    header.validate();
    return header;
}

LzfseBlockHeader LzfseBlockHeader::parseVersion2(const std::uint8_t* data, std::size_t available)
{
    if (available < version2FixedSize) {
        fail("an LZFSE block header is cut off");
    }
    const auto word0 = qFromLittleEndian<std::uint64_t>(data + 8);
    const auto word1 = qFromLittleEndian<std::uint64_t>(data + 16);
    const auto word2 = qFromLittleEndian<std::uint64_t>(data + 24);
    LzfseBlockHeader header;
    header.rawBytes = qFromLittleEndian<std::uint32_t>(data + 4);
    header.literalCount = bitsAt(word0, 0, 20);
    header.literalPayloadBytes = bitsAt(word0, 20, 20);
    header.matchCount = bitsAt(word0, 40, 20);
    header.literalBits = static_cast<int>(bitsAt(word0, 60, 3)) - 7;
    for (int i = 0; i < 4; ++i) {
        header.literalStates[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(bitsAt(word1, 10 * i, 10));
    }
    header.lmdPayloadBytes = bitsAt(word1, 40, 20);
    header.lmdBits = static_cast<int>(bitsAt(word1, 60, 3)) - 7;
    header.headerBytes = bitsAt(word2, 0, 32);
    header.lState = static_cast<std::uint16_t>(bitsAt(word2, 32, 10));
    header.mState = static_cast<std::uint16_t>(bitsAt(word2, 42, 10));
    header.dState = static_cast<std::uint16_t>(bitsAt(word2, 52, 10));
    if (header.headerBytes < version2FixedSize || header.headerBytes > available) {
        fail("an LZFSE block header has an impossible size");
    }

    const std::uint8_t* p = data + version2FixedSize;
    const std::uint8_t* const end = data + header.headerBytes;
    std::uint32_t accumulator = 0;
    int count = 0;
    readFrequencies(header.lFrequencies, p, end, accumulator, count);
    readFrequencies(header.mFrequencies, p, end, accumulator, count);
    readFrequencies(header.dFrequencies, p, end, accumulator, count);
    readFrequencies(header.literalFrequencies, p, end, accumulator, count);
    // The tables fill the header exactly, up to the padding of their last byte.
    if (p != end || count >= 8) {
        fail("the frequency tables do not fill the block header");
    }
    header.validate();
    return header;
}

void LzfseBlockHeader::validate() const
{
    if (literalCount > maximumLiteralsPerBlock || matchCount > maximumMatchesPerBlock) {
        fail("an LZFSE block holds too many literals or matches");
    }
    if (literalBits < -7 || literalBits > 0 || lmdBits < -7 || lmdBits > 0) {
        fail("an LZFSE block's final bit counts are out of range");
    }
    for (const std::uint16_t state : literalStates) {
        if (state >= literalStateCount) {
            fail("an LZFSE block's literal state is out of range");
        }
    }
    if (lState >= lStateCount || mState >= mStateCount || dState >= dStateCount) {
        fail("an LZFSE block's match state is out of range");
    }
    checkFrequencies(lFrequencies, lStateCount);
    checkFrequencies(mFrequencies, mStateCount);
    checkFrequencies(dFrequencies, dStateCount);
    checkFrequencies(literalFrequencies, literalStateCount);
}

} // namespace quor::platform::lzfse
