// The meter's MIDI port: which port the handler opens once it has found the meter, and the remote
// commands as they leave through it. The ports are recording stand-ins behind the handler's seam.

#include "MessagePump.h"
#include "MeterTestRig.h"
#include "RecordingMidiPortProvider.h"

#include "audio/MeterRemoteCommand.h"
#include "audio/UsbPluginAudioProcessor.h"

#include <gtest/gtest.h>

namespace
{
/** The processor with a virtual meter and recording MIDI ports; the test stands in for the input
    side and tells the handler a stereo 48 kHz input. */
class MidiRig
{
public:
    explicit MidiRig (const juce::StringArray& portNames)
    {
        registry.addDevice (MeterTestRig::meterDescription());
        ports->setPorts (portNames);
        processor = std::make_unique<UsbPluginAudioProcessor> (registry.makeFactory(), ports);
        handler().prepareForDevices (2, 48000);
        handler().startThread();
    }

    ~MidiRig()  { processor.reset(); }

    AudioDeviceHandler& handler() const  { return processor->deviceHandler; }

    bool waitForState (int state) const
    {
        return pumpMessagesUntil ([&] { return handler().deviceState == state; });
    }

    /** What the editor does for a remote button. */
    void sendAsTheEditorDoes (const MeterRemoteCommand& command) const
    {
        const juce::ScopedLock sl (handler().stateLock);

        if (handler().midiOutput != nullptr)
            handler().midiOutput->sendMessageNow (command.createMessage());
    }

    VirtualDeviceRegistry registry;
    std::shared_ptr<RecordingMidiPortProvider> ports = std::make_shared<RecordingMidiPortProvider>();
    std::unique_ptr<UsbPluginAudioProcessor> processor;
};

const MeterRemoteCommand& startCommand()  { return MeterRemoteCommand::m_sRemoteCommands[0]; }

//==============================================================================
struct PortCase
{
    const char* what;
    std::vector<const char*> ports;
    const char* expectedPort;   // empty: no port is opened
    int expectedOpens;
};

void PrintTo (const PortCase& c, std::ostream* os)  { *os << c.what; }

class MeterMidiPortChoice : public ::testing::TestWithParam<PortCase> {};

TEST_P (MeterMidiPortChoice, OpensEveryMeterPortInTurnAndKeepsTheLast)
{
    const auto& c = GetParam();
    juce::StringArray names;

    for (auto* name : c.ports)
        names.add (name);

    MidiRig rig (names);
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    EXPECT_EQ (rig.ports->getNumOpens(), c.expectedOpens);

    const juce::String expected (c.expectedPort);
    EXPECT_EQ (rig.handler().hasMidiOutput(), expected.isNotEmpty());

    rig.sendAsTheEditorDoes (startCommand());
    const auto sent = rig.ports->getSentMessages();

    if (expected.isEmpty())
    {
        EXPECT_TRUE (sent.empty()) << "a command without a port must be dropped";
        return;
    }

    ASSERT_EQ (sent.size(), 1u);
    EXPECT_EQ (sent[0].portIdentifier, RecordingMidiPortProvider::identifierFor (expected));
    EXPECT_EQ (rig.ports->getOpenPortSerials().size(), 1u) << "a replaced port must be closed";
}

INSTANTIATE_TEST_SUITE_P (MeterMidiPorts, MeterMidiPortChoice, ::testing::Values (
    PortCase { "laterMeterPortWins",           { "KM7-Solvin", "Synth", "XMOS USB Audio 2.0" }, "XMOS USB Audio 2.0", 2 },
    PortCase { "nameContainingTheMeterQualifies", { "USB KM7-Solvin Port 1" },                 "USB KM7-Solvin Port 1", 1 },
    PortCase { "otherLetterCaseDoesNotQualify", { "km7-solvin" },                               "", 0 },
    PortCase { "xcoreBoardQualifies",          { "xCORE USB Audio MIDI 1" },                    "xCORE USB Audio MIDI 1", 1 },
    PortCase { "ownPortAndPv4Qualify",         { "PV4 MIDI", "Kestro MIDI Out" },               "Kestro MIDI Out", 2 },
    PortCase { "noMeterPort",                  { "Synth", "Through" },                          "", 0 }),
    [] (const ::testing::TestParamInfo<PortCase>& param) { return std::string (param.param.what); });

//==============================================================================
TEST (MeterMidiRemoteCommands, SixCommandsLeaveAsMachineControlMessagesWithTheMetersCodes)
{
    MidiRig rig ({ "KM7-Solvin" });
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));

    for (const auto& command : MeterRemoteCommand::m_sRemoteCommands)
    {
        EXPECT_EQ (command.createMessage().getTimeStamp(), 0.0);
        rig.sendAsTheEditorDoes (command);
    }

    // The meter's codes, not the standard's meaning of them ("Stop" would be 0x01 there).
    const std::vector<std::pair<juce::String, juce::uint8>> expected {
        { "Start", 0x06 }, { "Stop", 0x07 }, { "Reset Loudness", 0x05 },
        { "Time", 0x04 }, { "Ref +", 0x02 }, { "Ref -", 0x01 } };

    const auto sent = rig.ports->getSentMessages();
    ASSERT_EQ (sent.size(), expected.size());

    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ (juce::String (MeterRemoteCommand::m_sRemoteCommands[i].caption), expected[i].first);
        EXPECT_EQ (sent[i].bytes, (std::vector<juce::uint8> { 0xf0, 0x7f, 0x00, 0x06, expected[i].second, 0xf7 }))
            << expected[i].first;
    }
}

TEST (MeterMidiFailedOpen, AFailedOpenKeepsThePortThatWasOpen)
{
    MidiRig rig ({ "KM7-Solvin" });
    auto& handler = rig.handler();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    ASSERT_EQ (rig.ports->getOpenPortSerials(), std::set<int> { 1 });

    // An unsupported input in DeviceReady gives UnsupportedFormat and reopens the MIDI port.
    rig.ports->failNextOpens ("KM7-Solvin");
    const auto attemptsBefore = rig.ports->getNumOpenAttempts();
    handler.prepareForDevices (4, 48000);
    ASSERT_TRUE (rig.waitForState (DeviceState::UnsupportedFormat));
    ASSERT_EQ (rig.ports->getNumOpenAttempts(), attemptsBefore + 1);

    EXPECT_TRUE (handler.hasMidiOutput());
    EXPECT_EQ (rig.ports->getOpenPortSerials(), std::set<int> { 1 });
    rig.sendAsTheEditorDoes (startCommand());
    ASSERT_EQ (rig.ports->getSentMessages().size(), 1u);
    EXPECT_EQ (rig.ports->getSentMessages().back().portSerial, 1);

    // An open that succeeds replaces the port.
    handler.prepareForDevices (2, 48000);
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    EXPECT_EQ (rig.ports->getOpenPortSerials(), std::set<int> { 2 });
    rig.sendAsTheEditorDoes (startCommand());
    EXPECT_EQ (rig.ports->getSentMessages().back().portSerial, 2);
}
} // namespace
