#include "ExampleSettingsOwner.h"

#include "settings/ProcessorStateBlock.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace
{
    using Bytes = std::vector<uint8_t>;

    constexpr uint32_t m_magic = 0x02CEDEF5;

    const std::string m_fullText = "<root><ChannelMapping>2,1</ChannelMapping><SolvinConnected>0</SolvinConnected></root>";

    void appendLittleEndian (Bytes& bytes, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back ((uint8_t) (value >> (8 * i)));
    }

    Bytes makeBlock (uint32_t magic, uint32_t length, const std::string& text, bool terminated)
    {
        Bytes bytes;
        appendLittleEndian (bytes, magic);
        appendLittleEndian (bytes, length);
        bytes.insert (bytes.end(), text.begin(), text.end());

        if (terminated)
            bytes.push_back (0);

        return bytes;
    }

    Bytes makeBlock (const std::string& text)
    {
        return makeBlock (m_magic, (uint32_t) text.size(), text, true);
    }

    // Hands the reader a heap copy of exactly the block's size, so that the address sanitizer
    // catches any read past its end.
    bool readExactBlock (Data& owner, const Bytes& bytes)
    {
        const auto copy = std::make_unique<uint8_t[]> (std::max<size_t> (bytes.size(), 1));
        std::copy (bytes.begin(), bytes.end(), copy.get());
        return readStateBlock (owner, copy.get(), (int) bytes.size());
    }

    std::vector<int32_t> listOf (const IntListAttribute& attribute)
    {
        return attribute;
    }

    // Values away from their revert points, so that a test sees whether a read moved them.
    void moveAwayFromDefaults (ExampleSettingsOwner& owner)
    {
        owner.channelMapping.assign ({ 3, 3 });
        owner.solvinConnected.value = true;
    }
}

TEST (SettingsStateBlock, DefaultSettingsGiveTheDocumentedBlock)
{
    ExampleSettingsOwner owner;
    juce::MemoryBlock block;
    writeStateBlock (owner, block);

    const std::string text = "<root>\n\t<ChannelMapping>0,1,2,3,4,5</ChannelMapping>\n\t<SolvinConnected>0</SolvinConnected>\n</root>\n";
    ASSERT_EQ (block.getSize(), 108u);
    const auto* bytes = static_cast<const uint8_t*> (block.getData());
    EXPECT_EQ (Bytes (bytes, bytes + 8), (Bytes { 0xF5, 0xDE, 0xCE, 0x02, 0x63, 0x00, 0x00, 0x00 }));
    EXPECT_EQ (std::string (bytes + 8, bytes + 107), text);
    EXPECT_EQ (bytes[107], 0);

    ExampleSettingsOwner restored;
    moveAwayFromDefaults (restored);
    EXPECT_TRUE (readStateBlock (restored, block.getData(), (int) block.getSize()));
    EXPECT_EQ (listOf (restored.channelMapping), (std::vector<int32_t> { 0, 1, 2, 3, 4, 5 }));
    EXPECT_FALSE (restored.solvinConnected.value);
}

TEST (SettingsStateBlock, ChangedSettingsSurviveARoundTrip)
{
    ExampleSettingsOwner saved;
    saved.channelMapping.assign ({ 1, 0, 5, 4, 3, 2 });
    saved.solvinConnected.setValue (true);

    juce::MemoryBlock block;
    writeStateBlock (saved, block);

    ExampleSettingsOwner restored;
    ASSERT_TRUE (readStateBlock (restored, block.getData(), (int) block.getSize()));
    EXPECT_EQ (listOf (restored.channelMapping), listOf (saved.channelMapping));
    EXPECT_EQ (restored.channelMapping.savedList, listOf (saved.channelMapping));
    EXPECT_TRUE (restored.solvinConnected.value);
    EXPECT_TRUE (restored.solvinConnected.savedValue);
}

struct RejectedBlockCase
{
    const char* name;
    Bytes bytes;
};

class SettingsStateBlockRejected : public ::testing::TestWithParam<RejectedBlockCase> {};

TEST_P (SettingsStateBlockRejected, ChangesNothing)
{
    ExampleSettingsOwner owner;
    moveAwayFromDefaults (owner);

    EXPECT_FALSE (readExactBlock (owner, GetParam().bytes));

    EXPECT_EQ (listOf (owner.channelMapping), (std::vector<int32_t> { 3, 3 }));
    EXPECT_EQ (owner.channelMapping.savedList, (std::vector<int32_t> { 0, 1, 2, 3, 4, 5 }));
    EXPECT_TRUE (owner.solvinConnected.value);
    EXPECT_FALSE (owner.solvinConnected.savedValue);
}

INSTANTIATE_TEST_SUITE_P (Settings, SettingsStateBlockRejected, ::testing::Values (
    RejectedBlockCase { "Empty", {} },
    RejectedBlockCase { "HeaderOnly", makeBlock (m_magic, 99, "", false) },
    RejectedBlockCase { "WrongMagic", makeBlock (0x02CEDEF4, (uint32_t) m_fullText.size(), m_fullText, true) },
    RejectedBlockCase { "ByteSwappedMagic", makeBlock (0xF5DECE02, (uint32_t) m_fullText.size(), m_fullText, true) },
    RejectedBlockCase { "ZeroLength", makeBlock (m_magic, 0, m_fullText, true) },
    RejectedBlockCase { "TopBitSet", makeBlock (m_magic, 0x80000000, m_fullText, true) },
    RejectedBlockCase { "MinusOne", makeBlock (m_magic, 0xFFFFFFFF, m_fullText, true) }),
    [] (const auto& testCase) { return std::string (testCase.param.name); });

TEST (SettingsStateBlock, NullOrNegativelySizedInputIsIgnored)
{
    ExampleSettingsOwner owner;
    moveAwayFromDefaults (owner);
    const auto block = makeBlock (m_fullText);

    EXPECT_FALSE (readStateBlock (owner, nullptr, 100));
    EXPECT_FALSE (readStateBlock (owner, block.data(), -1));
    EXPECT_FALSE (readStateBlock (owner, block.data(), std::numeric_limits<int>::min()));
    EXPECT_EQ (listOf (owner.channelMapping), (std::vector<int32_t> { 3, 3 }));
    EXPECT_TRUE (owner.solvinConnected.value);
}

struct AcceptedBlockCase
{
    const char* name;
    Bytes bytes;
    std::vector<int32_t> expectedMapping;
    bool expectedConnected;
};

class SettingsStateBlockAccepted : public ::testing::TestWithParam<AcceptedBlockCase> {};

TEST_P (SettingsStateBlockAccepted, LoadsWhatTheTextHoldsAndMovesEveryRevertPoint)
{
    ExampleSettingsOwner owner;
    moveAwayFromDefaults (owner);

    EXPECT_TRUE (readExactBlock (owner, GetParam().bytes));

    EXPECT_EQ (listOf (owner.channelMapping), GetParam().expectedMapping);
    EXPECT_EQ (owner.channelMapping.savedList, GetParam().expectedMapping);
    EXPECT_EQ (owner.solvinConnected.value, GetParam().expectedConnected);
    EXPECT_EQ (owner.solvinConnected.savedValue, GetParam().expectedConnected);
}

INSTANTIATE_TEST_SUITE_P (Settings, SettingsStateBlockAccepted, ::testing::Values (
    AcceptedBlockCase { "Complete", makeBlock (m_fullText), { 2, 1 }, false },
    AcceptedBlockCase { "LengthBeyondBlock", makeBlock (m_magic, 100000, m_fullText, true), { 2, 1 }, false },
    AcceptedBlockCase { "NoTerminatingZero", makeBlock (m_magic, (uint32_t) m_fullText.size(), m_fullText, false), { 2, 1 }, false },
    AcceptedBlockCase { "CutInsideSecondElement",
                        makeBlock (m_magic, 1000, "<root><ChannelMapping>2,1</ChannelMapping><SolvinConnected>0", false), { 2, 1 }, true },
    AcceptedBlockCase { "LengthShorterThanText", makeBlock (m_magic, 42, m_fullText, true), { 2, 1 }, true },
    AcceptedBlockCase { "ZeroByteEndsText",
                        makeBlock (m_magic, 200, std::string ("<root><ChannelMapping>2,1</ChannelMapping>") + '\0' + "<SolvinConnected>0</SolvinConnected>", true),
                        { 2, 1 }, true },
    AcceptedBlockCase { "FirstByteZero", makeBlock (m_magic, 200, std::string (1, '\0') + m_fullText, true), { 3, 3 }, true },
    AcceptedBlockCase { "NoElement", makeBlock ("just text"), { 3, 3 }, true },
    AcceptedBlockCase { "MalformedUtf8",
                        makeBlock ("<root><ChannelMapping>4\x81\x81\x81,5\xFF</ChannelMapping><SolvinConnected>1\xC0\x80</SolvinConnected></root>"),
                        { 4, 5 }, false },
    AcceptedBlockCase { "SequenceCutAtBlockEnd",
                        makeBlock (m_magic, 1000, "<root><ChannelMapping>6</ChannelMapping>\xE2\x82", false), { 6 }, true },
    AcceptedBlockCase { "NonAsciiText",
                        makeBlock ("<root><ChannelMapping>7</ChannelMapping><\xC3\xA4\xE2\x82\xAC\xF0\x9F\x8E\xB5>1</x></root>"), { 7 }, true }),
    [] (const auto& testCase) { return std::string (testCase.param.name); });

TEST (SettingsStateBlock, ArbitraryBytesNeverBreakTheReader)
{
    const std::vector<std::string> fragments { "<root>", "<ChannelMapping>", "</ChannelMapping>", "<SolvinConnected>",
                                               "</SolvinConnected>", "1", ",", "-", "99999999999", "&amp;", "&", ";",
                                               "<", ">", "/", "?", std::string (1, '\0'), "\xFF", "\xC0\x80", "\xE2\x82",
                                               "\x81\x81", "\xF4\x90\x80\x80", "\xED\xA0\x80" };
    std::mt19937 random (8128);
    std::uniform_int_distribution<size_t> pickFragment (0, fragments.size() - 1), count (0, 24);
    std::uniform_int_distribution<uint32_t> anyLength;

    for (int round = 0; round < 3000; ++round)
    {
        std::string text;

        for (auto n = count (random); n > 0; --n)
            text += fragments[pickFragment (random)];

        const auto length = round % 3 == 0 ? anyLength (random) : (uint32_t) text.size();
        const auto block = makeBlock (m_magic, length, text, round % 2 == 0);

        ExampleSettingsOwner owner;

        if (readExactBlock (owner, block))
        {
            EXPECT_EQ (owner.channelMapping.savedList, listOf (owner.channelMapping));
            EXPECT_EQ (owner.solvinConnected.savedValue, owner.solvinConnected.value);
        }
    }
}
