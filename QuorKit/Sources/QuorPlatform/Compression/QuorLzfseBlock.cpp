#include "QuorPlatform/Compression/QuorLzfseBlock.h"

#include "QuorPlatform/Compression/QuorFseTables.h"

#include <algorithm>
#include <bit>

namespace quor::platform::lzfse {

namespace {

// Symbol s of the L, M and D streams stands for base[s] plus bits[s] raw bits. The first 16
// lengths are exact; distances come four symbols per bit width (bits = s / 4). Each base is the
// previous one plus the range of the previous symbol.
template <std::size_t N>
struct ValueCoding {
    std::array<std::uint8_t, N> bits{};
    std::array<std::uint32_t, N> bases{};
};

template <std::size_t N>
constexpr ValueCoding<N> makeCoding(const std::array<std::uint8_t, N>& bits)
{
    ValueCoding<N> coding;
    coding.bits = bits;
    std::uint32_t base = 0;
    for (std::size_t s = 0; s < N; ++s) {
        coding.bases[s] = base;
        base += std::uint32_t{1} << bits[s];
    }
    return coding;
}

constexpr auto lCoding = makeCoding<20>({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 5, 8});
constexpr auto mCoding = makeCoding<20>({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 5, 8, 11});
constexpr auto dCoding = [] {
    std::array<std::uint8_t, 64> bits{};
    for (std::size_t s = 0; s < bits.size(); ++s) {
        bits[s] = static_cast<std::uint8_t>(s / 4);
    }
    return makeCoding<64>(bits);
}();

// The most bits one (L, M, D) triple reads: each stream's widest state step plus its widest value.
template <std::size_t N>
constexpr int widestRead(std::uint32_t stateCount, const ValueCoding<N>& coding)
{
    return std::bit_width(stateCount - 1) + *std::max_element(coding.bits.begin(), coding.bits.end());
}
constexpr int lmdMaximumBits = widestRead(lStateCount, lCoding) + widestRead(mStateCount, mCoding)
                             + widestRead(dStateCount, dCoding);
static_assert(lmdMaximumBits <= 56, "one refill must cover a whole triple");
constexpr int literalMaximumBits = std::bit_width(literalStateCount - 1);
static_assert(4 * literalMaximumBits <= 56, "one refill must cover a group of four literals");

[[noreturn]] void fail(const char* what)
{
    throw LzfseError(QString::fromLatin1(what));
}

} // namespace

void LzfseBlock::decode(const LzfseBlockHeader& header, const std::uint8_t* payload, LzfseOutput& output,
                        std::vector<std::uint8_t>& literals)
{
    const std::uint8_t* const literalPayload = payload;
    const std::uint8_t* const lmdPayload = payload + header.literalPayloadBytes;

    // Literals are coded four at a time, so the count is rounded up to whole groups.
    const std::size_t literalSlots = (std::size_t{header.literalCount} + 3) & ~std::size_t{3};
    // Grown, never shrunk or cleared: every slot read is written first, and the slack past the
    // literals holds bytes of an earlier block that only wide copies overshoot into.
    if (literals.size() < literalSlots + copySlack) {
        literals.resize(literalSlots + copySlack);
    }
    {
        const FseLiteralTable table(header.literalFrequencies, literalStateCount);
        FseBitReader reader(literalPayload, literalPayload + header.literalPayloadBytes, header.literalBits);
        std::array<std::uint16_t, 4> states = header.literalStates;
        std::uint8_t* out = literals.data();
        auto decodeGroup = [&]<bool Checked>(std::size_t i) {
            out[i] = table.decode<Checked>(states[0], reader);
            out[i + 1] = table.decode<Checked>(states[1], reader);
            out[i + 2] = table.decode<Checked>(states[2], reader);
            out[i + 3] = table.decode<Checked>(states[3], reader);
        };
        for (std::size_t i = 0; i < literalSlots; i += 4) {
            reader.refill();
            if (reader.available() >= 4 * literalMaximumBits) {
                decodeGroup.operator()<false>(i);
            } else {
                decodeGroup.operator()<true>(i);
            }
        }
    }

    const FseValueTable lTable(header.lFrequencies, lStateCount, lCoding.bits, lCoding.bases);
    const FseValueTable mTable(header.mFrequencies, mStateCount, mCoding.bits, mCoding.bases);
    const FseValueTable dTable(header.dFrequencies, dStateCount, dCoding.bits, dCoding.bases);
    FseBitReader reader(lmdPayload, lmdPayload + header.lmdPayloadBytes, header.lmdBits);
    std::uint16_t lState = header.lState;
    std::uint16_t mState = header.mState;
    std::uint16_t dState = header.dState;
    const std::uint8_t* literal = literals.data();
    const std::uint8_t* const literalEnd = literal + header.literalCount;
    const std::uint8_t* const literalBufferEnd = literals.data() + literals.size();
    std::size_t distance = 0;
    for (std::uint32_t i = 0; i < header.matchCount; ++i) {
        reader.refill();
        std::uint32_t literalLength = 0;
        std::uint32_t matchLength = 0;
        std::uint32_t newDistance = 0;
        if (reader.available() >= lmdMaximumBits) {
            literalLength = lTable.decode<false>(lState, reader);
            matchLength = mTable.decode<false>(mState, reader);
            newDistance = dTable.decode<false>(dState, reader);
        } else {
            literalLength = lTable.decode(lState, reader);
            matchLength = mTable.decode(mState, reader);
            newDistance = dTable.decode(dState, reader);
        }
        // A distance of 0 repeats the previous one.
        if (newDistance != 0) {
            distance = newDistance;
        }
        if (literalLength > static_cast<std::size_t>(literalEnd - literal)) {
            fail("an LZFSE block uses more literals than it holds");
        }
        output.copyLiterals(literal, literalLength, literalBufferEnd);
        literal += literalLength;
        if (matchLength > 0) {
            output.copyMatch(distance, matchLength);
        }
    }
    if (output.position != output.limit) {
        fail("an LZFSE block ends before its size is reached");
    }
}

} // namespace quor::platform::lzfse
