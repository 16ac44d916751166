#include "VirtualAudioDeviceType.h"
#include "VirtualDeviceRegistry.h"
#include "audio/alsa/AlsaAudioDeviceType.h"
#include "audio/alsa/AlsaStreamProbe.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <set>
#include <utility>

namespace
{
using Result = AlsaStreamProbe::Result;

// JUCE's ALSA type lists its sound server's "default" as one duplex device; a sound card's PCM
// next to it is one the probe leaves alone.
const juce::String serverDefault = "Default ALSA Output (currently PipeWire Media Server)";
const juce::String card = "USB Audio, USB Audio; Direct hardware device without any conversions";

/** A virtual stand-in for JUCE's ALSA type, wrapped as the program wraps it, with a probe that
    answers from the test's table and records what it was asked. */
struct WrappedType
{
    explicit WrappedType (std::set<std::pair<juce::String, bool>> stalledStreams, bool withCard = true)
        : stalled (std::move (stalledStreams))
    {
        registry.addDevice (VirtualDeviceDescription::duplex (serverDefault, { "1", "2" }, { "1", "2" }));

        if (withCard)
            registry.addDevice (VirtualDeviceDescription::duplex (card, { "1", "2" }, { "1", "2" }));

        type = std::make_unique<AlsaAudioDeviceType> (std::make_unique<VirtualAudioDeviceType> (registry),
                                                      [this] (const juce::String& name, bool forInput)
                                                      {
                                                          probed.insert ({ name, forInput });
                                                          if (name == card)
                                                              return Result::notChecked;
                                                          return stalled.count ({ name, forInput }) != 0 ? Result::stalled
                                                                                                          : Result::flows;
                                                      });
        type->scanForDevices();
    }

    VirtualDeviceRegistry registry;
    std::set<std::pair<juce::String, bool>> stalled, probed;
    std::unique_ptr<AlsaAudioDeviceType> type;
};

struct CreateCase
{
    const char* label;
    std::set<std::pair<juce::String, bool>> stalled;   // (name, forInput) whose stream does not move
    juce::String output, input;
    bool made;
    std::set<std::pair<juce::String, bool>> probed;
};

void PrintTo (const CreateCase& c, std::ostream* os)
{
    *os << c.label;
}

class AlsaDeviceCreation : public ::testing::TestWithParam<CreateCase> {};
} // namespace

TEST_P (AlsaDeviceCreation, RefusesADeviceWhoseRequestedStreamStalls)
{
    const auto& c = GetParam();
    WrappedType wrapped (c.stalled);

    std::unique_ptr<juce::AudioIODevice> device (wrapped.type->createDevice (c.output, c.input));

    EXPECT_EQ (device != nullptr, c.made);
    EXPECT_EQ (wrapped.probed, c.probed);

    if (device != nullptr)
    {
        EXPECT_EQ (wrapped.type->getIndexOfDevice (device.get(), c.input.isNotEmpty()),
                   wrapped.type->getDeviceNames (c.input.isNotEmpty()).indexOf (c.input.isNotEmpty() ? c.input : c.output));
    }
}

INSTANTIATE_TEST_SUITE_P (AlsaStreams, AlsaDeviceCreation, ::testing::Values (
    CreateCase { "bothStreamsMove", {}, serverDefault, serverDefault, true,
                 { { serverDefault, true }, { serverDefault, false } } },
    CreateCase { "noSourceRefusesTheDuplexDevice", { { serverDefault, true } }, serverDefault, serverDefault, false,
                 { { serverDefault, true } } },
    CreateCase { "noSinkRefusesTheDuplexDevice", { { serverDefault, false } }, serverDefault, serverDefault, false,
                 { { serverDefault, true }, { serverDefault, false } } },
    CreateCase { "noSinkLeavesTheInputAloneOpenable", { { serverDefault, false } }, "", serverDefault, true,
                 { { serverDefault, true } } },
    CreateCase { "noSourceLeavesTheOutputAloneOpenable", { { serverDefault, true } }, serverDefault, "", true,
                 { { serverDefault, false } } },
    CreateCase { "aCardIsLeftToJuce", {}, card, card, true, { { card, true }, { card, false } } },
    CreateCase { "anUnlistedNameIsNeverProbed", {}, "", "Not listed", false, {} }),
    [] (const ::testing::TestParamInfo<CreateCase>& param) { return std::string (param.param.label); });

TEST (AlsaDeviceManager, FirstStartOnAServerWithNoNodesNeverOpensItsDefault)
{
    for (const bool withCard : { false, true })
    {
        SCOPED_TRACE (withCard ? "with a card" : "server only");
        WrappedType wrapped ({ { serverDefault, true }, { serverDefault, false } }, withCard);
        juce::AudioDeviceManager manager;
        manager.addAudioDeviceType (std::move (wrapped.type));

        // As a first start with no saved set-up, which makes JUCE take its type's default device.
        const auto error = manager.initialise (2, 1, nullptr, true);
        auto* device = manager.getCurrentAudioDevice();

        EXPECT_EQ (wrapped.registry.getNumOpens (serverDefault), 0);

        if (withCard)
        {
            EXPECT_TRUE (error.isEmpty()) << error;
            ASSERT_NE (device, nullptr);
            EXPECT_EQ (device->getName(), card);
        }
        else
        {
            EXPECT_TRUE (error.isNotEmpty());
            EXPECT_EQ (device, nullptr);
        }

        manager.closeAudioDevice();
    }
}
