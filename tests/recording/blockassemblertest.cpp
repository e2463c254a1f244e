// Sample bytes as a capture receives them, in pieces of any size, come out
// as blocks of the given format and size, every byte in order; a gap comes
// out as silence, and a flush hands over the block begun.
#include "recording/blockassembler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace skywell;

namespace
{

struct Case {
    const char *name;
    WaveFormat format;
    std::size_t blockBytes;
    // The pieces added in turn; a negative one is a gap of that many bytes.
    std::vector<int> pieces;
    bool flush;
    // Blocks the hand-over takes before it refuses one (-1: all).
    int accepted;
    // Sample bytes of each block handed over, the refused one included.
    std::vector<std::uint32_t> blocks;
};

TEST(BlockAssembler, FillsBlocksOfTheFormatWithEveryByteInOrder)
{
    const WaveFormat cd = WaveFormat::pcm(44100, 2, 16);
    const WaveFormat dvd = WaveFormat::pcm(48000, 2, 16);
    const WaveFormat mono8 = WaveFormat::pcm(8000, 1, 8);
    const Case cases[] = {
        {"one short of a block", cd, 1024, {1023}, false, -1, {}},
        {"exactly a block", cd, 1024, {1024}, false, -1, {1024}},
        {"one past a block", cd, 1024, {1025}, false, -1, {1024}},
        {"one past, flushed", cd, 1024, {1025}, true, -1, {1024, 1}},
        {"small pieces across blocks", dvd, 1024, {500, 500, 500, 500, 28}, true, -1, {1024, 1004}},
        {"one piece of several blocks", dvd, 1024, {3 * 1024 + 4}, true, -1, {1024, 1024, 1024, 4}},
        {"a gap inside a block", cd, 1024, {100, -800, 200}, true, -1, {1024, 76}},
        {"8-bit mono", mono8, 800, {1600}, true, -1, {800, 800}},
        {"nothing to flush", cd, 1024, {2048}, true, -1, {1024, 1024}},
        {"a refused block drops the rest", cd, 1024, {4000}, true, 1, {1024, 1024}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<CaptureBlockPtr> out;
        BlockAssembler assembler(c.format, c.blockBytes, [&](CaptureBlockPtr block) {
            out.push_back(std::move(block));
            return c.accepted < 0 || int(out.size()) <= c.accepted;
        });
        // Bytes counting up, with zeros for the gaps.
        std::vector<std::uint8_t> expected;
        bool refused = false;
        for (const int piece : c.pieces) {
            std::vector<std::uint8_t> bytes(std::size_t(std::abs(piece)));
            for (std::size_t i = 0; piece > 0 && i < bytes.size(); ++i)
                bytes[i] = std::uint8_t((expected.size() + i) % 251 + 1);
            expected.insert(expected.end(), bytes.begin(), bytes.end());
            refused = !assembler.add(piece < 0 ? nullptr : bytes.data(), bytes.size()) || refused;
        }
        if (c.flush && !refused) {
            EXPECT_TRUE(assembler.flush());
        }
        EXPECT_EQ(refused, c.accepted >= 0);

        ASSERT_EQ(out.size(), c.blocks.size());
        std::size_t at = 0;
        for (std::size_t i = 0; i < out.size(); ++i) {
            const CaptureBlock &block = *out[i];
            EXPECT_EQ(block.format(), c.format);
            EXPECT_EQ(block.sampleBytes(), c.blocks[i]);
            EXPECT_EQ(block.capacity(), c.blocks[i]);
            ASSERT_LE(at + block.sampleBytes(), expected.size());
            EXPECT_TRUE(std::equal(block.samples(), block.samples() + block.sampleBytes(), expected.begin() + at));
            at += block.sampleBytes();
        }
    }
}

} // namespace
