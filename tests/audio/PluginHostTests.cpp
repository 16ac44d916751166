// The processor as a plug-in host sees it: its fixed answers, the state a host stores and hands
// back (untrusted), the host's preparation with its sample rate, host audio buffers and incoming
// MIDI Machine Control.

#include "ChannelIdentitySignal.h"
#include "MessagePump.h"
#include "MeterTestRig.h"
#include "RecordingMidiPortProvider.h"
#include "VirtualDeviceRegistry.h"
#include "gui/EditorFixture.h"
#include "gui/EditorInactiveMessage.h"
#include "i18n/ScopedTranslations.h"

#include "audio/UsbPluginAudioProcessor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <stdexcept>

namespace
{
using Bytes = std::vector<juce::uint8>;

std::unique_ptr<UsbPluginAudioProcessor> makePluginProcessor (VirtualDeviceRegistry& devices)
{
    return std::make_unique<UsbPluginAudioProcessor> (devices.makeFactory(),
                                                      std::make_shared<RecordingMidiPortProvider>());
}

std::vector<int32_t> mappingOf (const UsbPluginAudioProcessor& processor)
{
    return processor.channelMapping;
}

std::vector<int32_t> realtimeMappingOf (const UsbPluginAudioProcessor& processor)
{
    std::vector<int32_t> entries;

    for (int i = 0; i < RealtimeChannelMapping::numEntries; ++i)
        entries.push_back (processor.realtimeMapping.load (i));

    return entries;
}

Bytes makeBlock (juce::uint32 magic, juce::uint32 length, const std::string& text)
{
    Bytes bytes;

    for (auto value : { magic, length })
        for (int i = 0; i < 4; ++i)
            bytes.push_back ((juce::uint8) (value >> (8 * i)));

    bytes.insert (bytes.end(), text.begin(), text.end());
    bytes.push_back (0);
    return bytes;
}

constexpr juce::uint32 stateMagic = 0x02CEDEF5;

Bytes makeBlock (const std::string& text)
{
    return makeBlock (stateMagic, (juce::uint32) text.size(), text);
}

using LocaleValues = std::map<std::string, std::string>;

/** Sets the locale variables a test names and puts all of them back afterwards. */
class ScopedLocaleEnvironment
{
public:
    explicit ScopedLocaleEnvironment (const LocaleValues& values)
    {
        for (const auto* name : names)
        {
            if (const char* value = std::getenv (name))
                saved[name] = value;

            ::unsetenv (name);
        }

        for (const auto& [name, value] : values)
            ::setenv (name.c_str(), value.c_str(), 1);
    }

    ~ScopedLocaleEnvironment()
    {
        for (const auto* name : names)
        {
            if (const auto found = saved.find (name); found != saved.end())
                ::setenv (name, found->second.c_str(), 1);
            else
                ::unsetenv (name);
        }
    }

private:
    static constexpr const char* names[] = { "LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG" };
    std::map<std::string, std::string> saved;
};

class PluginHost : public ::testing::Test
{
protected:
    ScopedTranslations translations;   // each processor installs the table for the user's language
    VirtualDeviceRegistry devices;
    std::unique_ptr<UsbPluginAudioProcessor> processor = makePluginProcessor (devices);
};

//==============================================================================
TEST_F (PluginHost, AnswersTheHostsFixedQuestions)
{
    EXPECT_EQ (processor->getName(), "Kestro Vantrel Standalone");
    EXPECT_EQ (processor->getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (processor->acceptsMidi());
    EXPECT_FALSE (processor->producesMidi());
    EXPECT_TRUE (processor->hasEditor());
    EXPECT_TRUE (processor->silenceInProducesSilenceOut());
    EXPECT_EQ (processor->hostId, 0);

    EXPECT_EQ (processor->getNumParameters(), 0);
    EXPECT_EQ (processor->getParameterName (0), "");
    EXPECT_EQ (processor->getParameterText (0), "");
    processor->setParameter (0, 0.5f);
    EXPECT_EQ (processor->getParameter (0), 0.0f);

    for (int channel : { 0, 1, 5 })
    {
        EXPECT_EQ (processor->getInputChannelName (channel), juce::String (channel + 1));
        EXPECT_EQ (processor->getOutputChannelName (channel), juce::String (channel + 1));
        EXPECT_TRUE (processor->isInputChannelStereoPair (channel));
        EXPECT_TRUE (processor->isOutputChannelStereoPair (channel));
    }
}

TEST_F (PluginHost, HasOneUnnamedProgramThatCannotBeChanged)
{
    EXPECT_EQ (processor->getNumPrograms(), 1);

    processor->setCurrentProgram (3);
    processor->changeProgramName (0, "Mine");

    EXPECT_EQ (processor->getCurrentProgram(), 0);
    EXPECT_EQ (processor->getProgramName (0), "");
}

TEST_F (PluginHost, AnalysisAndProcessingExtensionReportsWhatIsNotImplemented)
{
    juce::AudioBuffer<float> in (2, 16), out (2, 16);
    const std::function<void()> notImplemented[] = {
        [&] { processor->prepareToAnalyze (16); },
        [&] { processor->analyzeAudio (in); },
        [&] { processor->prepareToProcess (16); },
        [&] { processor->processAudio (in, out); },
    };

    for (const auto& call : notImplemented)
    {
        try
        {
            call();
            ADD_FAILURE() << "no exception";
        }
        catch (const std::logic_error& e)
        {
            EXPECT_STREQ (e.what(), "The method or operation is not implemented.");
        }
    }

    EXPECT_NO_THROW (processor->postAnalyze());
    EXPECT_NO_THROW (processor->postProcess());

    EXPECT_FALSE (processor->aaxModeAudioSuite);
    processor->setAAXModeAudioSuite();
    EXPECT_TRUE (processor->aaxModeAudioSuite);
}

//==============================================================================
using PluginHostState = PluginHost;

TEST_F (PluginHostState, DefaultSettingsGiveTheDocumentedBlock)
{
    juce::MemoryBlock block;
    processor->getStateInformation (block);

    const std::string text = "<root>\n\t<ChannelMapping>0,1,2,3,4,5</ChannelMapping>\n\t<SolvinConnected>0</SolvinConnected>\n</root>\n";
    ASSERT_EQ (text.size(), 99u);
    const auto expected = makeBlock (text);

    ASSERT_EQ (block.getSize(), 108u);
    EXPECT_EQ (Bytes (block.begin(), block.end()), expected);
}

TEST_F (PluginHostState, RoundTripRestoresBothSettingsAndAsksForRouting)
{
    ASSERT_TRUE (processor->setChannelMappingEntry (0, 1, 2));
    ASSERT_TRUE (processor->setChannelMappingEntry (1, 0, 2));
    processor->solvinConnected.setValue (true);

    juce::MemoryBlock block;
    processor->getStateInformation (block);

    auto restored = makePluginProcessor (devices);
    restored->setStateInformation (block.getData(), (int) block.getSize());

    const std::vector<int32_t> expected { 1, 0, 2, 3, 4, 5 };
    EXPECT_EQ (mappingOf (*restored), expected);
    EXPECT_EQ (realtimeMappingOf (*restored), expected);
    EXPECT_EQ (restored->channelMapping.savedList, expected);
    EXPECT_TRUE (restored->solvinConnected.value);
    EXPECT_TRUE (restored->solvinConnected.savedValue);
    EXPECT_TRUE (restored->restoreRouting);
}

struct RestoredMappingCase
{
    const char* what;
    std::string mappingText;
    std::vector<int32_t> expected;   // from the identity, for the processor's two inputs
};

void PrintTo (const RestoredMappingCase& c, std::ostream* os)  { *os << c.what; }

class PluginHostRestoredMapping : public PluginHost,
                                  public ::testing::WithParamInterface<RestoredMappingCase>
{
};

TEST_P (PluginHostRestoredMapping, OnlyEntriesNamingAnInputAreRestored)
{
    const auto& c = GetParam();
    const auto block = makeBlock ("<root><ChannelMapping>" + c.mappingText + "</ChannelMapping></root>");

    processor->setStateInformation (block.data(), (int) block.size());

    EXPECT_EQ (mappingOf (*processor), c.expected);
    EXPECT_EQ (realtimeMappingOf (*processor), c.expected);
    EXPECT_EQ (processor->channelMapping.savedList, c.expected);
}

INSTANTIATE_TEST_SUITE_P (PluginHostTexts, PluginHostRestoredMapping, ::testing::Values (
    RestoredMappingCase { "swapped",            "1,0,1,0,1,0",          { 1, 0, 1, 0, 1, 0 } },
    RestoredMappingCase { "outOfRangeKept",     "1,7,-1,0,2,1",         { 1, 1, 2, 0, 4, 1 } },
    RestoredMappingCase { "extrasIgnored",      "1,0,0,0,0,0,1,1,9",    { 1, 0, 0, 0, 0, 0 } },
    RestoredMappingCase { "shortListPartly",    "1",                    { 1, 1, 2, 3, 4, 5 } },
    RestoredMappingCase { "beyond32Bits",       "99999999999,0",        { 0, 0, 2, 3, 4, 5 } },
    RestoredMappingCase { "emptyKeepsAll",      "",                     { 0, 1, 2, 3, 4, 5 } }),
    [] (const ::testing::TestParamInfo<RestoredMappingCase>& param) { return std::string (param.param.what); });

struct HostileBlockCase
{
    const char* what;
    Bytes bytes;
    bool headerAccepted;   // the text is read: restoreRouting follows "SolvinConnected"
};

void PrintTo (const HostileBlockCase& c, std::ostream* os)  { *os << c.what; }

class PluginHostHostileBlock : public PluginHost,
                               public ::testing::WithParamInterface<HostileBlockCase>
{
};

TEST_P (PluginHostHostileBlock, LeavesTheSettingsAsTheyWere)
{
    ASSERT_TRUE (processor->setChannelMappingEntry (0, 1, 2));
    processor->solvinConnected.setValue (true);
    const auto mappingBefore = mappingOf (*processor);

    // An exact-size heap copy, so that the address sanitizer sees any read past the block.
    const auto& bytes = GetParam().bytes;
    const auto copy = std::make_unique<juce::uint8[]> (std::max<size_t> (bytes.size(), 1));
    std::copy (bytes.begin(), bytes.end(), copy.get());
    processor->setStateInformation (copy.get(), (int) bytes.size());

    EXPECT_EQ (mappingOf (*processor), mappingBefore);
    EXPECT_EQ (realtimeMappingOf (*processor), mappingBefore);
    EXPECT_TRUE (processor->solvinConnected.value);
    EXPECT_EQ (processor->restoreRouting, GetParam().headerAccepted);
}

Bytes truncated (Bytes bytes, size_t size)
{
    bytes.resize (size);
    return bytes;
}

const std::string m_mappingText = "<root><ChannelMapping>0,0,0,0,0,0</ChannelMapping><SolvinConnected>0</SolvinConnected></root>";

INSTANTIATE_TEST_SUITE_P (PluginHostBlocks, PluginHostHostileBlock, ::testing::Values (
    HostileBlockCase { "empty",               {},                                                      false },
    HostileBlockCase { "headerOnly",          truncated (makeBlock (m_mappingText), 8),                false },
    HostileBlockCase { "wrongMagic",          makeBlock (0x02CEDEF4, (juce::uint32) m_mappingText.size(), m_mappingText), false },
    HostileBlockCase { "zeroLength",          makeBlock (stateMagic, 0, m_mappingText),                false },
    HostileBlockCase { "negativeLength",      makeBlock (stateMagic, 0x80000010, m_mappingText),       false },
    HostileBlockCase { "lengthCutsTheText",   makeBlock (stateMagic, 20, m_mappingText),               true },
    HostileBlockCase { "notXml",              makeBlock ("\xff\xfe garbage \xc0\x80 <<<>>>/ &amp"),    true },
    HostileBlockCase { "otherRoot",           makeBlock ("<other><Solvin>0</Solvin></other>"),         true }),
    [] (const ::testing::TestParamInfo<HostileBlockCase>& param) { return std::string (param.param.what); });

TEST_F (PluginHostState, NullDataChangesNothing)
{
    processor->setStateInformation (nullptr, 108);

    EXPECT_EQ (mappingOf (*processor), (std::vector<int32_t> { 0, 1, 2, 3, 4, 5 }));
    EXPECT_FALSE (processor->restoreRouting);
}

//==============================================================================
struct RateCase
{
    double sampleRate;
    const char* refusal;   // null: accepted
};

class PluginHostSampleRate : public PluginHost,
                             public ::testing::WithParamInterface<RateCase>
{
};

TEST_P (PluginHostSampleRate, OnlyTheFourHostRatesActivateTheProcessor)
{
    const ScopedLocaleEnvironment english (LocaleValues { { "LC_ALL", "en_US.UTF-8" } });
    const auto& c = GetParam();

    processor->prepareToPlay (c.sampleRate, 512);

    auto& handler = processor->deviceHandler;
    const juce::ScopedLock sl (handler.stateLock);

    if (c.refusal == nullptr)
    {
        EXPECT_TRUE (processor->pluginActive);
        EXPECT_EQ (processor->inactiveText, "");
        EXPECT_EQ (processor->inputSampleRate, (int) c.sampleRate);
        EXPECT_EQ (handler.inputSampleRate, (int) c.sampleRate);
        EXPECT_EQ (handler.inputChannelCount, 2u);
    }
    else
    {
        EXPECT_FALSE (processor->pluginActive);
        EXPECT_EQ (processor->inactiveText, c.refusal);
        EXPECT_EQ (processor->inputSampleRate, 0);
        EXPECT_EQ (handler.inputSampleRate, 0);
    }
}

INSTANTIATE_TEST_SUITE_P (PluginHostRates, PluginHostSampleRate, ::testing::Values (
    RateCase { 44100.0, nullptr },
    RateCase { 48000.0, nullptr },
    RateCase { 88200.0, nullptr },
    RateCase { 96000.0, nullptr },
    RateCase { 22050.0,  "The samplerate 22.05 kHz is not supported." },
    RateCase { 44100.5,  "The samplerate 44.1005 kHz is not supported." },
    RateCase { 47999.0,  "The samplerate 47.999 kHz is not supported." },
    RateCase { 176400.0, "The samplerate 176.4 kHz is not supported." },
    RateCase { 192000.0, "The samplerate 192 kHz is not supported." }));

struct LocaleCase
{
    LocaleValues environment;
    bool german;
};

class PluginHostRefusalLanguage : public PluginHost,
                                  public ::testing::WithParamInterface<LocaleCase>
{
};

TEST_P (PluginHostRefusalLanguage, RefusalIsWordedInTheLocalesLanguage)
{
    const ScopedLocaleEnvironment locale (GetParam().environment);

    processor->prepareToPlay (22050.0, 512);

    EXPECT_EQ (processor->inactiveText,
               GetParam().german ? juce::String::fromUTF8 ("Die Samplerate 22.05 kHz wird nicht unterst\xc3\xbctzt.")
                                 : juce::String ("The samplerate 22.05 kHz is not supported."));
}

INSTANTIATE_TEST_SUITE_P (PluginHostLocales, PluginHostRefusalLanguage, ::testing::Values (
    LocaleCase { { { "LC_ALL", "de_DE.UTF-8" } },                           true },
    LocaleCase { { { "LC_MESSAGES", "de_AT.UTF-8" }, { "LANG", "en_US" } }, true },
    LocaleCase { { { "LANG", "de_CH" } },                                   true },
    LocaleCase { { { "LC_ALL", "C" }, { "LANG", "de_DE.UTF-8" } },         false },
    LocaleCase { { { "LANGUAGE", "de" }, { "LANG", "en_GB.UTF-8" } },      false },
    LocaleCase { { { "LANG", "dsb_DE.UTF-8" } },                            false },
    LocaleCase { {},                                                        false }));

TEST_F (PluginHost, AcceptedRateAfterARefusalMakesTheProcessorActiveAgain)
{
    processor->prepareToPlay (192000.0, 512);
    ASSERT_FALSE (processor->pluginActive);

    processor->prepareToPlay (48000.0, 512);

    EXPECT_TRUE (processor->pluginActive);
    EXPECT_EQ (processor->inactiveText, "");
}

TEST_F (PluginHost, UnsuitableChannelCountKeepsTheProcessorInactiveButInformsTheMeterHandler)
{
    struct FourInputProcessor : UsbPluginAudioProcessor
    {
        using UsbPluginAudioProcessor::UsbPluginAudioProcessor;
        int _getNumInputChannels() override  { return 4; }
    };

    FourInputProcessor four (devices.makeFactory(), std::make_shared<RecordingMidiPortProvider>());
    four.prepareToPlay (48000.0, 512);

    EXPECT_FALSE (four.pluginActive);
    const juce::ScopedLock sl (four.deviceHandler.stateLock);
    EXPECT_EQ (four.deviceHandler.inputChannelCount, 4u);
    EXPECT_EQ (four.deviceHandler.inputSampleRate, 48000);
}

//==============================================================================
TEST_F (PluginHost, HostAudioPassesThroughAndSurplusOutputsAndMidiAreCleared)
{
    processor->prepareToPlay (48000.0, 16);
    ASSERT_TRUE (processor->pluginActive);

    // Two inputs; channels 2 and 3 are outputs only and hold the host's leftovers.
    auto buffer = ChannelIdentitySignal::makeBlock (4, 0, 16);
    const auto original = ChannelIdentitySignal::makeBlock (2, 0, 16);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.5f), 0);

    processor->processBlock (buffer, midi);

    EXPECT_TRUE (midi.isEmpty());

    for (int channel = 0; channel < 4; ++channel)
        for (int i = 0; i < 16; ++i)
            ASSERT_EQ (buffer.getSample (channel, i), channel < 2 ? original.getSample (channel, i) : 0.0f)
                << "channel " << channel << ", sample " << i;
}

class PluginHostMeterPath : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
        ASSERT_TRUE (rig.processor->setChannelMappingEntry (0, 1, 2));
        ASSERT_TRUE (rig.processor->setChannelMappingEntry (1, 0, 2));
        ASSERT_TRUE (rig.setRouting (true));
    }

    juce::AudioBuffer<float> playMeterBlock()
    {
        juce::AudioBuffer<float> played;
        EXPECT_TRUE (rig.registry.processBlock (MeterTestRig::meterName, {}, 64, &played));
        return played;
    }

    ScopedTranslations translations;
    MeterTestRig rig;
};

TEST_F (PluginHostMeterPath, ActiveProcessorSendsTheMappedHostChannelsToTheMeter)
{
    auto buffer = ChannelIdentitySignal::makeBlock (2, 0, 64);
    juce::MidiBuffer midi;
    rig.processor->processBlock (buffer, midi);

    const auto played = playMeterBlock();
    ASSERT_GE (played.getNumChannels(), 2);

    for (int i = 0; i < 64; ++i)
    {
        ASSERT_EQ (played.getSample (0, i), ChannelIdentitySignal::sampleFor (1, i)) << "sample " << i;
        ASSERT_EQ (played.getSample (1, i), ChannelIdentitySignal::sampleFor (0, i)) << "sample " << i;
    }
}

TEST_F (PluginHostMeterPath, InactiveProcessorSendsNothing)
{
    rig.processor->pluginActive = false;

    auto buffer = ChannelIdentitySignal::makeBlock (2, 0, 64);
    juce::MidiBuffer midi;
    rig.processor->processBlock (buffer, midi);

    const auto played = playMeterBlock();

    for (int channel = 0; channel < played.getNumChannels(); ++channel)
        EXPECT_EQ (played.getMagnitude (channel, 0, played.getNumSamples()), 0.0f) << "channel " << channel;
}

//==============================================================================
struct MachineControlCase
{
    const char* what;
    Bytes bytes;
    bool playingBefore;
    bool playingAfter;
};

void PrintTo (const MachineControlCase& c, std::ostream* os)  { *os << c.what; }

class PluginHostMachineControl : public PluginHost,
                                 public ::testing::WithParamInterface<MachineControlCase>
{
};

TEST_P (PluginHostMachineControl, OnlyStartAndStopChangeTheTransportState)
{
    const auto& c = GetParam();
    processor->remotePlaying = c.playingBefore;

    processor->handleIncomingMidiMessage (nullptr, juce::MidiMessage (c.bytes.data(), (int) c.bytes.size()));

    EXPECT_EQ (processor->remotePlaying.load(), c.playingAfter);
}

INSTANTIATE_TEST_SUITE_P (PluginHostMessages, PluginHostMachineControl, ::testing::Values (
    MachineControlCase { "startAllDevices",   { 0xf0, 0x7f, 0x7f, 0x06, 0x06, 0xf7 },       false, true },
    MachineControlCase { "startDeviceZero",   { 0xf0, 0x7f, 0x00, 0x06, 0x06, 0xf7 },       false, true },
    MachineControlCase { "stop",              { 0xf0, 0x7f, 0x00, 0x06, 0x07, 0xf7 },       true,  false },
    MachineControlCase { "stopWithMoreBytes", { 0xf0, 0x7f, 0x10, 0x06, 0x07, 0x00, 0xf7 }, true,  false },
    MachineControlCase { "timeKeepsPlaying",  { 0xf0, 0x7f, 0x00, 0x06, 0x04, 0xf7 },       true,  true },
    MachineControlCase { "timeKeepsStopped",  { 0xf0, 0x7f, 0x00, 0x06, 0x04, 0xf7 },       false, false },
    MachineControlCase { "notMachineControl", { 0xf0, 0x7f, 0x00, 0x05, 0x07, 0xf7 },       true,  true },
    MachineControlCase { "nonRealTime",       { 0xf0, 0x7e, 0x00, 0x06, 0x07, 0xf7 },       true,  true },
    MachineControlCase { "tooShort",          { 0xf0, 0x7f, 0x00, 0x06, 0xf7 },             false, false },
    MachineControlCase { "noteOn",            { 0x90, 0x06, 0x07 },                         true,  true }),
    [] (const ::testing::TestParamInfo<MachineControlCase>& param) { return std::string (param.param.what); });

//==============================================================================
/** The plug-in path's processor with an editor that records the inactive-state messages it gets. */
class PluginHostEditor : public EditorFixture
{
protected:
    struct RecordingEditor : UsbPluginAudioProcessorEditor
    {
        using UsbPluginAudioProcessorEditor::UsbPluginAudioProcessorEditor;

        void handleMessage (const juce::Message& message) override
        {
            if (auto* inactive = dynamic_cast<const EditorInactiveMessage*> (&message))
                received.push_back ({ inactive->inactive, inactive->text });

            UsbPluginAudioProcessorEditor::handleMessage (message);
        }

        std::vector<std::pair<bool, juce::String>> received;
    };

    struct PluginProcessor : UsbPluginAudioProcessor
    {
        using UsbPluginAudioProcessor::UsbPluginAudioProcessor;

        juce::AudioProcessorEditor* createEditor() override
        {
            const juce::ScopedLock sl (processorLock);
            return new RecordingEditor (*this);
        }
    };

    std::unique_ptr<UsbPluginAudioProcessor> makeProcessor() override
    {
        return std::make_unique<PluginProcessor> (registry.makeFactory(), std::make_shared<RecordingMidiPortProvider>());
    }

    void SetUp() override
    {
        EditorFixture::SetUp();

        if (! IsSkipped() && ! HasFatalFailure())
            stopTheMeterSide();
    }

    RecordingEditor& recorder()  { return dynamic_cast<RecordingEditor&> (*editor); }
};

TEST_F (PluginHostEditor, EditorHearsOfEveryRefusalButOnlyOfTheFirstActivation)
{
    const ScopedLocaleEnvironment english (LocaleValues { { "LC_ALL", "en_US.UTF-8" } });
    const juce::String refusal ("The samplerate 22.05 kHz is not supported.");

    processor->prepareToPlay (48000.0, 512);   // inactive before: told
    processor->prepareToPlay (48000.0, 512);   // already active: not told
    processor->prepareToPlay (22050.0, 512);
    processor->prepareToPlay (22050.0, 512);   // every refusal is told
    processor->prepareToPlay (96000.0, 512);

    const std::vector<std::pair<bool, juce::String>> expected {
        { false, "" }, { true, refusal }, { true, refusal }, { false, "" }
    };

    ASSERT_TRUE (pumpMessagesUntil ([&] { return recorder().received.size() >= expected.size(); }, 5000));
    pumpMessagesFor (100);
    EXPECT_EQ (recorder().received, expected);
}

TEST_F (PluginHostEditor, MachineControlCommandsRefreshStartAndStopFromTheTransportState)
{
    struct Step
    {
        Bytes bytes;
        bool startEnabled;
        bool stopEnabled;
    };

    // remotePlaying starts true; the time command changes nothing but still refreshes.
    const Step steps[] = {
        { { 0xf0, 0x7f, 0x00, 0x06, 0x04, 0xf7 }, false, true },
        { { 0xf0, 0x7f, 0x7f, 0x06, 0x07, 0xf7 }, true,  false },
        { { 0xf0, 0x7f, 0x7f, 0x06, 0x06, 0xf7 }, false, true },
    };

    for (const auto& step : steps)
    {
        editor->startButton.setEnabled (! step.startEnabled);
        editor->stopButton.setEnabled (! step.stopEnabled);

        processor->handleIncomingMidiMessage (nullptr, juce::MidiMessage (step.bytes.data(), (int) step.bytes.size()));

        EXPECT_TRUE (pumpMessagesUntil ([&] { return editor->startButton.isEnabled() == step.startEnabled
                                                  && editor->stopButton.isEnabled() == step.stopEnabled; }, 2000))
            << "command " << (int) step.bytes[4];
    }

    // Other MIDI leaves the buttons alone.
    editor->startButton.setEnabled (true);
    editor->stopButton.setEnabled (true);
    processor->handleIncomingMidiMessage (nullptr, juce::MidiMessage::noteOn (1, 60, 0.5f));
    pumpMessagesFor (100);
    EXPECT_TRUE (editor->startButton.isEnabled());
    EXPECT_TRUE (editor->stopButton.isEnabled());
}
} // namespace
