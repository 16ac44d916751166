// The processor's own duties: its settings, the theme it shares with other processors, and what it
// does with the meter handler's broadcasts.

#include "RecordingMidiPortProvider.h"
#include "VirtualDeviceRegistry.h"

#include "audio/UsbPluginAudioProcessor.h"
#include "lookandfeel/KestroLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
class Processor : public ::testing::Test
{
protected:
    // No device and no MIDI port: nothing of the platform's is touched.
    std::unique_ptr<UsbPluginAudioProcessor> makeProcessor()
    {
        return std::make_unique<UsbPluginAudioProcessor> (devices.makeFactory(),
                                                          std::make_shared<RecordingMidiPortProvider>());
    }

    static KestroLookAndFeel* installedTheme()
    {
        return dynamic_cast<KestroLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel());
    }

    VirtualDeviceRegistry devices;
};

TEST_F (Processor, ProcessorsShareOneThemeThatTheLastOneReleases)
{
    auto first = makeProcessor();
    auto* theme = installedTheme();
    ASSERT_NE (theme, nullptr);
    EXPECT_EQ (theme, UsbPluginAudioProcessor::s_lookAndFeel);

    auto second = makeProcessor();
    EXPECT_EQ (installedTheme(), theme);

    first.reset();
    EXPECT_EQ (installedTheme(), theme);

    second.reset();
    EXPECT_EQ (installedTheme(), nullptr);
    EXPECT_EQ (UsbPluginAudioProcessor::s_lookAndFeel, nullptr);
    EXPECT_EQ (UsbPluginAudioProcessor::s_instanceCounter, 0);
}

TEST_F (Processor, SettingsStartAtTheirDefaultsWhichAreAlsoTheirRevertPoints)
{
    auto processor = makeProcessor();

    const std::vector<int32_t> identity { 0, 1, 2, 3, 4, 5 };
    EXPECT_EQ (static_cast<const std::vector<int32_t>&> (processor->channelMapping), identity);
    EXPECT_EQ (processor->channelMapping.savedList, identity);
    EXPECT_FALSE (processor->solvinConnected.value);
    EXPECT_FALSE (processor->solvinConnected.savedValue);

    // Registered, and so saved, in this order.
    ASSERT_EQ (processor->attributes.size(), 2u);
    EXPECT_EQ (processor->attributes[0].get(), &processor->channelMapping);
    EXPECT_EQ (processor->attributes[1].get(), &processor->solvinConnected);
    EXPECT_EQ (processor->channelMapping.key, L"ChannelMapping");
    EXPECT_EQ (processor->channelMapping.displayName, L"Input Routing");
    EXPECT_EQ (processor->solvinConnected.key, L"SolvinConnected");
    EXPECT_EQ (processor->solvinConnected.displayName, L"Solvin Connected");

    for (int i = 0; i < RealtimeChannelMapping::numEntries; ++i)
        EXPECT_EQ (processor->realtimeMapping.load (i), i);
}

TEST_F (Processor, MappingAcceptsOnlyEntriesNamingAnActiveInput)
{
    auto processor = makeProcessor();

    struct Case { size_t index; int inputChannel; int numActiveInputs; bool accepted; };
    const Case cases[] = {
        { 0, 1, 2, true },  { 1, 0, 2, true },  { 5, 5, 6, true },
        { 0, 2, 2, false }, { 0, -1, 2, false }, { 6, 0, 6, false }, { 0, 6, 8, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "entry " << c.index << " = " << c.inputChannel << " of " << c.numActiveInputs);
        const auto before = processor->realtimeMapping.load (juce::jmin ((int) c.index, 5));

        EXPECT_EQ (processor->setChannelMappingEntry (c.index, c.inputChannel, c.numActiveInputs), c.accepted);

        if (c.accepted)
        {
            EXPECT_EQ (processor->channelMapping[c.index], c.inputChannel);
            EXPECT_EQ (processor->realtimeMapping.load ((int) c.index), c.inputChannel);
        }
        else
        {
            EXPECT_EQ (processor->realtimeMapping.load (juce::jmin ((int) c.index, 5)), before);
        }
    }

    EXPECT_EQ (processor->channelMapping.size(), 6u);
}

struct RestoreCase
{
    int deviceState;
    bool restoreRouting;
    int expectedRequest;
};

class ProcessorRestoreRouting : public Processor,
                                public ::testing::WithParamInterface<RestoreCase>
{
};

TEST_P (ProcessorRestoreRouting, HandlerBroadcastRequestsRoutingOnlyWhenAskedAndTheMeterIsReady)
{
    auto processor = makeProcessor();
    auto& handler = processor->deviceHandler;

    handler.deviceState = GetParam().deviceState;
    handler.requestedState = 0;
    processor->restoreRouting = GetParam().restoreRouting;

    processor->changeListenerCallback (&handler);

    EXPECT_EQ (handler.requestedState.load(), GetParam().expectedRequest);
    EXPECT_FALSE (processor->restoreRouting);
}

INSTANTIATE_TEST_SUITE_P (States, ProcessorRestoreRouting,
                          ::testing::Values (RestoreCase { DeviceState::DeviceReady, true, DeviceState::Routing },
                                             RestoreCase { DeviceState::Searching, true, 0 },
                                             RestoreCase { DeviceState::UnsupportedFormat, true, 0 },
                                             RestoreCase { DeviceState::DeviceReady, false, 0 }));
} // namespace
