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

} // namespace

void LzvnBlock::decode(const std::uint8_t* payload, std::size_t size, LzfseOutput& output)
{
    const std::uint8_t* p = payload;
    const std::uint8_t* const end = payload + size;
    std::size_t previousDistance = 0;

    auto need = [&](std::size_t bytes) {
        if (static_cast<std::size_t>(end - p) < bytes) {
            fail("an LZVN opcode runs past the block");
        }
    };
    auto literals = [&](std::size_t count) {
        need(count);
        output.copyLiterals(p, count, end);
        p += count;
    };
    auto match = [&](std::size_t distance, std::size_t length) {
        previousDistance = distance;
        output.copyMatch(distance, length);
    };

    while (true) {
        need(1);
        const unsigned op = *p;
        switch (opcodeTable[op]) {
        case Opcode::smallDistance: {
            need(2);
            const std::size_t distance = (static_cast<std::size_t>(op & 7) << 8) | p[1];
            p += 2;
            literals(op >> 6);
            match(distance, ((op >> 3) & 7) + 3);
            break;
        }
        case Opcode::mediumDistance: {
            need(3);
            const std::size_t length = (((op & 7) << 2) | (p[1] & 3)) + 3;
            const std::size_t distance = (static_cast<std::size_t>(p[2]) << 6) | (p[1] >> 2);
            p += 3;
            literals((op >> 3) & 3);
            match(distance, length);
            break;
        }
        case Opcode::largeDistance: {
            need(3);
            const std::size_t distance = p[1] | (static_cast<std::size_t>(p[2]) << 8);
            p += 3;
            literals(op >> 6);
            match(distance, ((op >> 3) & 7) + 3);
            break;
        }
        case Opcode::previousDistance:
            p += 1;
            literals(op >> 6);
            match(previousDistance, ((op >> 3) & 7) + 3);
            break;
        case Opcode::smallMatch:
            p += 1;
            match(previousDistance, op & 15);
            break;
        case Opcode::largeMatch:
            need(2);
            p += 2;
            match(previousDistance, p[-1] + 16u);
            break;
        case Opcode::smallLiteral:
            p += 1;
            literals(op & 15);
            break;
        case Opcode::largeLiteral:
            need(2);
            p += 2;
            literals(p[-1] + 16u);
            break;
        case Opcode::nop:
            p += 1;
            break;
        case Opcode::endOfStream:
            if (output.position != output.limit) {
                fail("an LZVN block ends before its size is reached");
            }
            return;
        case Opcode::undefined:
            fail("an LZVN block holds an undefined opcode");
        }
    }
}

} // namespace quor::platform::lzfse
