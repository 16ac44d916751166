// The channel modes, the logical channels each lists for the routing editor, the label tables
// and the channel-count check a plug-in host's preparation makes.

#include "audio/ChannelMode.h"
#include "audio/LogicalChannelTables.h"
#include "audio/UsbPluginAudioProcessor.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
/** The labels of a list of logical channels, joined by blanks. */
std::string labelsOf (const std::vector<int>& channels, const std::array<std::wstring, numLogicalChannels>& table)
{
    std::wstring joined;

    for (auto channel : channels)
    {
        if (! juce::isPositiveAndBelow (channel, numLogicalChannels))
            return "index out of the table";

        joined += (joined.empty() ? L"" : L" ") + table[(size_t) channel];
    }

    return juce::String (joined.c_str()).toStdString();
}

struct ModeRows
{
    int mode;
    const char* labels;
};

void PrintTo (const ModeRows& value, std::ostream* os) { *os << "mode " << value.mode; }

class ChannelTablesModes : public ::testing::TestWithParam<ModeRows>
{
};

TEST_P (ChannelTablesModes, ListTheRoutingRowsOfEachMode)
{
    UsbPluginAudioProcessor processor;
    processor.channelMode = GetParam().mode;

    EXPECT_EQ (labelsOf (processor.getLogicalChannelsUnmapped(), LogicalChannelLabels), GetParam().labels);
}

INSTANTIATE_TEST_SUITE_P (ChannelTables, ChannelTablesModes,
    ::testing::Values (ModeRows { ChannelMode::None, "" },
                       ModeRows { ChannelMode::Mono, "M" },
                       ModeRows { ChannelMode::Stereo, "L R" },
                       ModeRows { ChannelMode::Lcrs, "L R C S" },
                       ModeRows { ChannelMode::FivePointZero, "L R C LS RS" },
                       ModeRows { ChannelMode::FivePointOne, "L R C LFE LS RS" },
                       ModeRows { ChannelMode::SevenPointOneSdds, "L R C LFE LS RS LC RC" },
                       ModeRows { ChannelMode::SevenPointOne, "L R C LFE LSR RSR LSS RSS" },
                       // Ids without a list of their own fall back to mono.
                       ModeRows { 2, "M" },
                       ModeRows { 14, "M" },
                       ModeRows { -1, "M" }),
    [] (const auto& testCase) { return "Mode" + std::to_string (testCase.index); });

TEST (ChannelTables, DescriptionsNameTheFiveOneRowsAsStored)
{
    UsbPluginAudioProcessor processor;
    processor.channelMode = ChannelMode::FivePointOne;

    EXPECT_EQ (labelsOf (processor.getLogicalChannelsUnmapped(), LogicalChannelDescriptions),
               "Left Right Centre Low Frequency Effects Left Surround Right Surround");
}

TEST (ChannelTables, LabelTablesAreParallelAndSpellTheirNamesAsStored)
{
    std::set<std::wstring> distinctLabels (LogicalChannelLabels.begin(), LogicalChannelLabels.end());
    EXPECT_EQ (distinctLabels.size(), (size_t) numLogicalChannels) << "a label names one position only";

    for (int k = 0; k < 24; ++k)
    {
        EXPECT_EQ (LogicalChannelLabels[(size_t) (12 + k)], std::to_wstring (k + 1));
        EXPECT_EQ (LogicalChannelDescriptions[(size_t) (12 + k)], std::to_wstring (k + 1));
    }

    for (size_t index : { 2u, 42u, 43u, 54u, 55u, 56u })
        EXPECT_NE (LogicalChannelDescriptions[index].find (L"Centre"), std::wstring::npos) << index;

    for (size_t index : { 7u, 8u })
        EXPECT_NE (LogicalChannelDescriptions[index].find (L"Center"), std::wstring::npos) << index;

    EXPECT_EQ (LogicalChannelLabels[11], L"M");
    EXPECT_EQ (LogicalChannelDescriptions[11], L"Mono");
    EXPECT_EQ (LogicalChannelLabels[36], L"LSS");
    EXPECT_EQ (LogicalChannelDescriptions[59], L"Low Frequency Effects 2");
    EXPECT_EQ (ChannelLayerLabels[1], L"Middle Layer");
}

//==============================================================================
/** A processor whose input buses report a chosen channel count. */
class ProcessorWithInputs : public UsbPluginAudioProcessor
{
public:
    int _getNumInputChannels() override { return numInputs; }
    int numInputs = 2;
};

struct HostChannels
{
    int numInputs;
    bool modeChosen;
    size_t requiredBefore;
    bool expectedResult;
    int expectedMode;
    size_t expectedRequired;
};

void PrintTo (const HostChannels& value, std::ostream* os)
{
    *os << value.numInputs << " inputs" << (value.modeChosen ? ", mode chosen" : "");
}

class ChannelTablesHostCheck : public ::testing::TestWithParam<HostChannels>
{
};

TEST_P (ChannelTablesHostCheck, DerivesModeFromInputCountUnlessChosen)
{
    const auto& host = GetParam();
    ProcessorWithInputs processor;
    processor.numInputs = host.numInputs;
    processor.channelModeChosen = host.modeChosen;
    processor.requiredInputChannels = host.requiredBefore;
    processor.channelMode = ChannelMode::SevenPointOne;   // a value no input count gives

    EXPECT_EQ (processor._validateChannelConfig(), host.expectedResult);
    EXPECT_EQ (processor.channelMode, host.expectedMode);
    EXPECT_EQ (processor.availableInputChannels, (size_t) host.numInputs);
    EXPECT_EQ (processor.requiredInputChannels, host.expectedRequired);
}

INSTANTIATE_TEST_SUITE_P (ChannelTables, ChannelTablesHostCheck,
    ::testing::Values (HostChannels { 1, false, 0, true, ChannelMode::Mono, 1 },
                       HostChannels { 2, false, 0, true, ChannelMode::Stereo, 2 },
                       HostChannels { 6, false, 0, true, ChannelMode::FivePointOne, 6 },
                       HostChannels { 4, false, 0, false, ChannelMode::SevenPointOne, 4 },
                       HostChannels { 0, false, 0, false, ChannelMode::SevenPointOne, 0 },
                       // A chosen mode only asks whether the host offers enough inputs.
                       HostChannels { 6, true, 8, false, ChannelMode::SevenPointOne, 8 },
                       HostChannels { 8, true, 8, true, ChannelMode::SevenPointOne, 8 }));

TEST (ChannelTables, HostCheckCountsTheProcessorsOwnInputBuses)
{
    UsbPluginAudioProcessor processor;   // one stereo input bus
    processor.channelMode = ChannelMode::None;

    EXPECT_TRUE (processor._validateChannelConfig());
    EXPECT_EQ (processor.channelMode, ChannelMode::Stereo);
}
} // namespace
