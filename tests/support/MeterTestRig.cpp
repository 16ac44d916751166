#include "MeterTestRig.h"

#include "MessagePump.h"
#include "ScanOnceDeviceType.h"

const juce::String MeterTestRig::micName ("Virtual Mic");
const juce::String MeterTestRig::speakersName ("Virtual Speakers");
const juce::String MeterTestRig::meterName ("KM7-Solvin Output");

VirtualDeviceDescription MeterTestRig::micDescription()
{
    auto mic = VirtualDeviceDescription::input (micName, 6);
    mic.sampleRates = { 44099.0, 44100.0, 48000.0, 50000.0, 96000.0, 96001.0 };
    return mic;
}

VirtualDeviceDescription MeterTestRig::meterDescription (const juce::String& name)
{
    auto meter = VirtualDeviceDescription::output (name, 6);
    meter.sampleRates = { 44100.0, 48000.0, 50000.0, 96000.0 };
    return meter;
}

MeterTestRig::MeterTestRig (const Options& options)
{
    if (options.withSpeakers)
    {
        auto speakers = VirtualDeviceDescription::output (speakersName, 2);
        speakers.sampleRates = micDescription().sampleRates;
        registry.addDevice (speakers);
    }

    registry.addDevice (micDescription());

    for (const auto& output : options.outputs)
        registry.addDevice (output);

    const auto deviceTypes = options.deviceTypes ? options.deviceTypes (registry)
                           : options.scanOnceDeviceTypes ? ScanOnceDeviceType::makeFactory (registry)
                                                         : registry.makeFactory();
    processor = std::make_unique<StandaloneProcessor> (deviceTypes);
    broadcasts = std::make_unique<BroadcastRecorder> (processor->deviceHandler);

    if (options.manualClock)
        processor->deviceHandler.millisecondCounter = clock.reader();

    openInput (options.inputChannels, options.sampleRate);
    processor->deviceHandler.startThread();
}

MeterTestRig::~MeterTestRig()
{
    broadcasts.reset();
    processor.reset();
}

juce::String MeterTestRig::openInput (int numChannels, double sampleRate)
{
    auto& manager = processor->inputDeviceManager;
    auto setup = manager.getAudioDeviceSetup();
    setup.inputDeviceName = micName;
    setup.outputDeviceName = {};
    setup.inputChannels.clear();
    setup.inputChannels.setRange (0, numChannels, true);
    setup.useDefaultInputChannels = false;
    setup.outputChannels.clear();
    setup.useDefaultOutputChannels = false;
    setup.sampleRate = sampleRate;
    setup.bufferSize = 256;
    return manager.setAudioDeviceSetup (setup, true);
}

bool MeterTestRig::waitForState (int state, int timeoutMs) const
{
    return pumpMessagesUntil ([&] { return handler().deviceState == state; }, timeoutMs);
}

bool MeterTestRig::setRouting (bool on, int timeoutMs) const
{
    handler().requestedState = on ? DeviceState::Routing : DeviceState::DeviceReady;
    handler().notify();
    return waitForState (on ? DeviceState::Routing : DeviceState::DeviceReady, timeoutMs);
}

bool MeterTestRig::requestRoutingAndWaitForRefusal (int moreOpensThan, bool& sawRouting, int timeoutMs) const
{
    const auto opensBefore = registry.getNumOpens (meterName);
    const auto broadcastsBefore = broadcasts->states.size();
    handler().requestedState = DeviceState::Routing;
    handler().notify();

    const bool refused = waitForRefusal (opensBefore, moreOpensThan, timeoutMs);
    sawRouting = broadcasts->sawState (DeviceState::Routing, broadcastsBefore);
    return refused;
}

bool MeterTestRig::waitForRefusal (int opensBefore, int moreOpensThan, int timeoutMs) const
{
    auto& h = handler();

    return pumpMessagesUntil ([&]
    {
        return registry.getNumOpens (meterName) > opensBefore + moreOpensThan
            && registry.findOpenDevice (meterName) == nullptr
            && h.deviceState == DeviceState::DeviceReady
            && h.requestedState == 0;
    }, timeoutMs);
}

bool MeterTestRig::waitForClockReads (int count, int timeoutMs) const
{
    const auto target = clock.getNumReads() + count;
    return pumpMessagesUntil ([&] { return clock.getNumReads() >= target; }, timeoutMs);
}
