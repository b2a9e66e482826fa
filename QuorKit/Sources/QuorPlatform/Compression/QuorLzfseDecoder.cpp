#include "QuorPlatform/Compression/QuorLzfseDecoder.h"

#include "QuorPlatform/Compression/QuorLzfseBlock.h"
#include "QuorPlatform/Compression/QuorLzfseBlockHeader.h"
#include "QuorPlatform/Compression/QuorLzfseOutput.h"
#include "QuorPlatform/Compression/QuorLzvnBlock.h"

#include <QtEndian>

#include <cstring>
#include <optional>
#include <vector>

namespace quor::platform {

LzfseError::LzfseError(const QString& detail)
    : QuorError(QStringLiteral("The compressed language pack is damaged (%1).").arg(detail),
                QStringLiteral("Sıkıştırılmış dil paketi bozuk (%1).").arg(detail))
{
}

namespace {

using namespace lzfse;

constexpr std::uint32_t magic(const char (&text)[5])
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[0]))
        | static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 8
        | static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 16
        | static_cast<std::uint32_t>(static_cast<unsigned char>(text[3])) << 24;
}

constexpr std::uint32_t endOfStreamMagic = magic("bvx$");
constexpr std::uint32_t uncompressedMagic = magic("bvx-");
constexpr std::uint32_t lzvnMagic = magic("bvxn");
constexpr std::uint32_t version1Magic = magic("bvx1");
constexpr std::uint32_t version2Magic = magic("bvx2");

enum class BlockKind { uncompressed, lzvn, lzfse };

struct Block {
    BlockKind kind;
    std::uint32_t rawBytes;
    const std::uint8_t* payload;
    std::size_t payloadBytes;
    std::optional<LzfseBlockHeader> header;
};

[[noreturn]] void fail(const QString& what)
{
    throw LzfseError(what);
}

// Walks the block headers, checking that every block lies inside the stream and that the decoded
// size stays within the cap, before anything is allocated or decoded.
std::vector<Block> frameBlocks(const std::uint8_t* data, std::size_t size, std::size_t maximumOutput,
                               std::size_t& totalOutput)
{
    std::vector<Block> blocks;
    std::size_t offset = 0;
    totalOutput = 0;
    while (true) {
        const std::size_t available = size - offset;
        if (available < 4) {
            fail(QStringLiteral("the stream ends without its end marker"));
        }
        const std::uint8_t* const start = data + offset;
        const auto kind = qFromLittleEndian<std::uint32_t>(start);
        if (kind == endOfStreamMagic) {
            return blocks;
        }
        Block block{};
        std::size_t blockBytes = 0;
        if (kind == uncompressedMagic) {
            if (available < 8) {
                fail(QStringLiteral("a block header is cut off"));
            }
            block = Block{BlockKind::uncompressed, qFromLittleEndian<std::uint32_t>(start + 4), start + 8, 0, {}};
            block.payloadBytes = block.rawBytes;
            blockBytes = 8 + block.payloadBytes;
        } else if (kind == lzvnMagic) {
            if (available < 12) {
                fail(QStringLiteral("a block header is cut off"));
            }
            block = Block{BlockKind::lzvn, qFromLittleEndian<std::uint32_t>(start + 4), start + 12,
                          qFromLittleEndian<std::uint32_t>(start + 8), {}};
            blockBytes = 12 + block.payloadBytes;
        } else if (kind == version1Magic || kind == version2Magic) {
            LzfseBlockHeader header = kind == version1Magic ? LzfseBlockHeader::parseVersion1(start, available)
                                                            : LzfseBlockHeader::parseVersion2(start, available);
            block = Block{BlockKind::lzfse, header.rawBytes, start + header.headerBytes,
                          header.blockBytes() - header.headerBytes, header};
            blockBytes = header.blockBytes();
        } else {
            fail(QStringLiteral("unknown block at offset %1").arg(offset));
        }
        if (blockBytes > available) {
            fail(QStringLiteral("a block runs past the end of the stream"));
        }
        if (block.rawBytes > maximumOutput - totalOutput) {
            fail(QStringLiteral("the decoded data would exceed %1 bytes").arg(maximumOutput));
        }
        totalOutput += block.rawBytes;
        offset += blockBytes;
        blocks.push_back(std::move(block));
    }
}

} // namespace

QByteArray LzfseDecoder::decode(const QByteArray& stream, qsizetype maximumOutput)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(stream.constData());
    std::size_t total = 0;
    const std::vector<Block> blocks = frameBlocks(data, static_cast<std::size_t>(stream.size()),
                                                  static_cast<std::size_t>(std::max<qsizetype>(maximumOutput, 0)), total);
    if (total == 0) {
        return QByteArray();
    }

    QByteArray result(static_cast<qsizetype>(total + copySlack), Qt::Uninitialized);
    auto* begin = reinterpret_cast<std::uint8_t*>(result.data());
    LzfseOutput output{begin, begin, begin, begin + total + copySlack};
    std::vector<std::uint8_t> literals;
    for (const Block& block : blocks) {
        output.limit = output.position + block.rawBytes;
        switch (block.kind) {
        case BlockKind::uncompressed:
            std::memcpy(output.position, block.payload, block.rawBytes);
            output.position = output.limit;
            break;
        case BlockKind::lzvn:
            LzvnBlock::decode(block.payload, block.payloadBytes, output);
            break;
        case BlockKind::lzfse:
            LzfseBlock::decode(*block.header, block.payload, output, literals);
            break;
        }
    }
    result.truncate(static_cast<qsizetype>(total));
    return result;
}

} // namespace quor::platform
