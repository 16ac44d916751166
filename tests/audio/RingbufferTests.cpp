// The ring between the two audio clocks, at its edges: full against empty, wrapping, overrun and
// underrun. Every case checks the samples that come out against a model of what went in.

#include "audio/AudioRingbuffer.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace
{
struct Step
{
    enum Kind { write, writeSilence, read } kind;
    size_t count;
    size_t expectedTransferred;
};

struct RingCase
{
    const char* what;
    size_t capacity;
    std::vector<Step> steps;
    size_t fill, readPosition, writePosition;
    bool full;
};

void PrintTo (const RingCase& c, std::ostream* os)  { *os << c.what; }

class RingbufferEdges : public ::testing::TestWithParam<RingCase> {};

TEST_P (RingbufferEdges, StoresTheStartOfEachBlockAndReadsItBackInOrder)
{
    const auto& c = GetParam();
    AudioRingbuffer ring (c.capacity);

    std::deque<float> stored;   // what the ring must hold, oldest first
    float nextValue = 1.0f;

    for (size_t s = 0; s < c.steps.size(); ++s)
    {
        const auto& step = c.steps[s];
        std::vector<float> block (step.count);

        if (step.kind == Step::write)
        {
            for (auto& sample : block)
                sample = nextValue++;

            ASSERT_EQ (ring.write (block.data(), step.count), step.expectedTransferred) << "step " << s;
            stored.insert (stored.end(), block.begin(), block.begin() + (std::ptrdiff_t) step.expectedTransferred);
        }
        else if (step.kind == Step::writeSilence)
        {
            ASSERT_EQ (ring.writeSilence (step.count), step.expectedTransferred) << "step " << s;
            stored.insert (stored.end(), step.expectedTransferred, 0.0f);
        }
        else
        {
            std::fill (block.begin(), block.end(), -1.0f);
            ASSERT_EQ (ring.read (block.data(), step.count), step.expectedTransferred) << "step " << s;

            for (size_t i = 0; i < step.expectedTransferred; ++i)
            {
                ASSERT_EQ (block[i], stored.front()) << "step " << s << ", sample " << i;
                stored.pop_front();
            }

            for (size_t i = step.expectedTransferred; i < step.count; ++i)
                ASSERT_EQ (block[i], -1.0f) << "read past the fill, step " << s;
        }
    }

    EXPECT_EQ (ring.getFill(), c.fill);
    EXPECT_EQ (ring.getFreeSpace(), c.capacity - c.fill);
    EXPECT_EQ (ring.getReadPosition(), c.readPosition);
    EXPECT_EQ (ring.getWritePosition(), c.writePosition);
    EXPECT_EQ (ring.isFull(), c.full);
    EXPECT_EQ (stored.size(), c.fill);
}

using S = Step;

INSTANTIATE_TEST_SUITE_P (RingbufferCases, RingbufferEdges, ::testing::Values (
    RingCase { "freshRingIsEmpty",                 8, { { S::read, 4, 0 } },                                   0, 0, 0, false },
    RingCase { "writeIntoEmpty",                   8, { { S::write, 5, 5 } },                                  5, 0, 5, false },
    RingCase { "fillingExactlySetsFull",           8, { { S::write, 8, 8 } },                                  8, 0, 0, true },
    RingCase { "fullRingStoresNothingMore",        8, { { S::write, 8, 8 }, { S::write, 3, 0 } },              8, 0, 0, true },
    RingCase { "nextReadClearsFull",               8, { { S::write, 8, 8 }, { S::read, 1, 1 } },               7, 1, 0, false },
    RingCase { "blockLargerThanFreeSpaceKeepsItsStart", 8, { { S::write, 6, 6 }, { S::write, 5, 2 } },         8, 0, 0, true },
    RingCase { "writeEndingAtTheArrayEndWrapsToZero", 8, { { S::write, 5, 5 }, { S::read, 5, 5 }, { S::write, 3, 3 } }, 3, 5, 0, false },
    RingCase { "writeCrossingTheEndContinuesAtZero", 8, { { S::write, 6, 6 }, { S::read, 6, 6 }, { S::write, 5, 5 } }, 5, 6, 3, false },
    RingCase { "readCrossingTheEndContinuesAtZero", 8, { { S::write, 6, 6 }, { S::read, 6, 6 }, { S::write, 5, 5 }, { S::read, 5, 5 } }, 0, 3, 3, false },
    RingCase { "underrunReadsOnlyTheFill",         8, { { S::write, 3, 3 }, { S::read, 5, 3 } },               0, 3, 3, false },
    RingCase { "wrappedFullRingReadsEverything",   8, { { S::write, 5, 5 }, { S::read, 5, 5 }, { S::write, 9, 8 }, { S::read, 8, 8 } }, 0, 5, 5, false },
    RingCase { "silenceTakesRoomLikeSamples",      8, { { S::write, 3, 3 }, { S::writeSilence, 7, 5 }, { S::read, 8, 8 } }, 0, 0, 0, false },
    RingCase { "meterSizedRingFillsTo30720",   30720, { { S::write, 30000, 30000 }, { S::write, 1000, 720 } }, 30720, 0, 0, true }),
    [] (const ::testing::TestParamInfo<RingCase>& param) { return std::string (param.param.what); });
} // namespace
