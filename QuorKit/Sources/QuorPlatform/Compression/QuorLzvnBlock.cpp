#include "QuorPlatform/Compression/QuorLzvnBlock.h"

#include <array>

namespace quor::platform::lzfse {

namespace {

enum class Opcode : std::uint8_t {
    smallDistance,    // LLMMMDDD DDDDDDDD
    mediumDistance,   // 101LLMMM DDDDDDMM DDDDDDDD
    largeDistance,    // LLMMM111 DDDDDDDD DDDDDDDD
    previousDistance, // LLMMM110
    smallMatch,       // 1111MMMM
    largeMatch,       // 11110000 MMMMMMMM
    smallLiteral,     // 1110LLLL
    largeLiteral,     // 11100000 LLLLLLLL
    nop,
    endOfStream,
    undefined,
};

constexpr Opcode classify(unsigned op)
{
    if (op == 0x06) {
        return Opcode::endOfStream;
    }
    if (op == 0x0E || op == 0x16) {
        return Opcode::nop;
    }
    if ((op & 0xF0) == 0x70 || (op & 0xF0) == 0xD0) {
        return Opcode::undefined;
    }
    if (op < 0x40 && (op & 7) == 6) {
        return Opcode::undefined; // a previous-distance match would carry no literals here
    }
    if ((op & 0xE0) == 0xA0) {
        return Opcode::mediumDistance;
    }
    if (op == 0xE0) {
        return Opcode::largeLiteral;
    }
    if ((op & 0xF0) == 0xE0) {
        return Opcode::smallLiteral;
    }
    if (op == 0xF0) {
        return Opcode::largeMatch;
    }
    if ((op & 0xF0) == 0xF0) {
        return Opcode::smallMatch;
    }
    if ((op & 7) == 7) {
        return Opcode::largeDistance;
    }
    if ((op & 7) == 6) {
        return Opcode::previousDistance;
    }
    return Opcode::smallDistance;
}

constexpr std::array<Opcode, 256> opcodeTable = [] {
    std::array<Opcode, 256> table{};
    for (unsigned op = 0; op < 256; ++op) {
        table[op] = classify(op);
    }
    return table;
}();

[[noreturn]] void fail(const char* what)
{
    throw LzfseError(QString::fromLatin1(what));
}

// The opcode cursor and the output of one block, with the checks every opcode needs.
class LzvnCursor {
public:
    LzvnCursor(const std::uint8_t* payload, std::size_t size, LzfseOutput& output)
        : p(payload), m_end(payload + size), m_output(output)
    {
    }

    [[gnu::always_inline]] void need(std::size_t bytes) const
    {
        if (static_cast<std::size_t>(m_end - p) < bytes) {
            fail("an LZVN opcode runs past the block");
        }
    }

    [[gnu::always_inline]] void literals(std::size_t count)
    {
        need(count);
        m_output.copyLiterals(p, count, m_end);
        p += count;
    }

    [[gnu::always_inline]] void match(std::size_t distance, std::size_t length)
    {
        m_previousDistance = distance;
        m_output.copyMatch(distance, length);
    }

    [[gnu::always_inline]] void repeatMatch(std::size_t length) { m_output.copyMatch(m_previousDistance, length); }

    bool filled() const { return m_output.position == m_output.limit; }

    const std::uint8_t* p;

private:
    const std::uint8_t* const m_end;
    LzfseOutput& m_output;
    std::size_t m_previousDistance = 0;
};

} // namespace

void LzvnBlock::decode(const std::uint8_t* payload, std::size_t size, LzfseOutput& output)
{
    LzvnCursor in(payload, size, output);
    while (true) {
        in.need(1);
        const unsigned op = *in.p;
        switch (opcodeTable[op]) {
        case Opcode::smallDistance: {
            in.need(2);
            const std::size_t distance = (static_cast<std::size_t>(op & 7) << 8) | in.p[1];
            in.p += 2;
            in.literals(op >> 6);
            in.match(distance, ((op >> 3) & 7) + 3);
            break;
        }
        case Opcode::mediumDistance: {
            in.need(3);
            const std::size_t length = (((op & 7) << 2) | (in.p[1] & 3)) + 3;
            const std::size_t distance = (static_cast<std::size_t>(in.p[2]) << 6) | (in.p[1] >> 2);
            in.p += 3;
            in.literals((op >> 3) & 3);
            in.match(distance, length);
            break;
        }
        case Opcode::largeDistance: {
            in.need(3);
            const std::size_t distance = in.p[1] | (static_cast<std::size_t>(in.p[2]) << 8);
            in.p += 3;
            in.literals(op >> 6);
            in.match(distance, ((op >> 3) & 7) + 3);
            break;
        }
        case Opcode::previousDistance:
            in.p += 1;
            in.literals(op >> 6);
            in.repeatMatch(((op >> 3) & 7) + 3);
            break;
        case Opcode::smallMatch:
            in.p += 1;
            in.repeatMatch(op & 15);
            break;
        case Opcode::largeMatch:
            in.need(2);
            in.p += 2;
            in.repeatMatch(in.p[-1] + 16u);
            break;
        case Opcode::smallLiteral:
            in.p += 1;
            in.literals(op & 15);
            break;
        case Opcode::largeLiteral:
            in.need(2);
            in.p += 2;
            in.literals(in.p[-1] + 16u);
            break;
        case Opcode::nop:
            in.p += 1;
            break;
        case Opcode::endOfStream:
            if (!in.filled()) {
                fail("an LZVN block ends before its size is reached");
            }
            return;
        case Opcode::undefined:
            fail("an LZVN block holds an undefined opcode");
        }
    }
}

} // namespace quor::platform::lzfse
