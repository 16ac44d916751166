#include "StandaloneProcessor.h"

#include "ChannelMode.h"
#include "UpdateRoutingMessage.h"
#include "gui/UsbPluginAudioProcessorEditor.h"

#include <algorithm>

namespace
{
const juce::String s_preferredDeviceName ("ASIO");

int channelModeForInputCount (int numInputs)
{
    switch (numInputs)
    {
        case 1:  return ChannelMode::Mono;
        case 2:  return ChannelMode::Stereo;
        case 6:  return ChannelMode::FivePointOne;
        default: return ChannelMode::None;
    }
}

bool startsWithPermutation (const std::vector<int32_t>& mapping, int n)
{
    if (n > (int) mapping.size())
        return false;

    std::vector<int32_t> first (mapping.begin(), mapping.begin() + n);
    std::sort (first.begin(), first.end());

    for (int i = 0; i < n; ++i)
        if (first[(size_t) i] != i)
            return false;

    return true;
}
} // namespace

StandaloneProcessor::StandaloneProcessor (const AudioDeviceTypeFactory& deviceTypes,
                                          std::shared_ptr<MidiPortProvider> midiPorts)
    : UsbPluginAudioProcessor (deviceTypes, std::move (midiPorts))
{
    availableInputChannels = 6;
    pluginActive = true;

    addAudioDeviceTypes (inputDeviceManager, deviceTypes);
    inputDeviceManager.addChangeListener (this);
    inputDeviceManager.addAudioCallback (this);
    inputDeviceManager.initialise (2, 1, savedDeviceState.get(), true, s_preferredDeviceName, nullptr);
}

StandaloneProcessor::~StandaloneProcessor()
{
    // Removing the callback stops a running input, which closes the meter output (through
    // audioDeviceStopped) before the base destructor stops the handler thread.
    inputDeviceManager.removeChangeListener (this);
    inputDeviceManager.removeAudioCallback (this);
    inputDeviceManager.closeAudioDevice();
    savedDeviceState.reset();
}

void StandaloneProcessor::getStateInformation (juce::MemoryBlock&) {}

void StandaloneProcessor::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source != &inputDeviceManager)
    {
        UsbPluginAudioProcessor::changeListenerCallback (source);
        return;
    }

    // One call may stand for several coalesced changes; only the device open now counts.
    if (auto* device = inputDeviceManager.getCurrentAudioDevice())
    {
        const int n = device->getActiveInputChannels().countNumberOfSetBits();
        inputSampleRate = (int) device->getCurrentSampleRate();
        channelMode = channelModeForInputCount (n);

        if (channelMode == ChannelMode::None)
        {
            numActiveInputs = 0;
        }
        else
        {
            numActiveInputs = n;
            const bool keep = keepRestoredMapping && startsWithPermutation (channelMapping, n);

            for (int i = 0; i < n; ++i)
                setChannelMappingEntry ((size_t) i, keep ? channelMapping[(size_t) i] : i, n);
        }

        channelMapping.saveState();
    }

    keepRestoredMapping = false;

    if (auto* editor = dynamic_cast<UsbPluginAudioProcessorEditor*> (getActiveEditor()))
        editor->postMessage (new UpdateRoutingMessage());
}

void StandaloneProcessor::audioDeviceIOCallbackWithContext (const float* const* inputChannelData, int numInputChannels,
                                                            float* const* outputChannelData, int numOutputChannels,
                                                            int numSamples,
                                                            const juce::AudioIODeviceCallbackContext&)
{
    const int active = numActiveInputs.load();
    if ((active == 2 || active == 6) && numInputChannels == active)
        processBlock (inputChannelData, numInputChannels, numSamples);

    // The input device's own output plays nothing.
    for (int channel = 0; channel < numOutputChannels; ++channel)
        if (outputChannelData[channel] != nullptr)
            juce::FloatVectorOperations::clear (outputChannelData[channel], numSamples);
}

void StandaloneProcessor::audioDeviceAboutToStart (juce::AudioIODevice* device)
{
    numActiveInputs = device->getActiveInputChannels().countNumberOfSetBits();
    inputSampleRate = (int) device->getCurrentSampleRate();
    deviceHandler.prepareForDevices ((unsigned long) numActiveInputs.load(), inputSampleRate);
}

void StandaloneProcessor::audioDeviceStopped()
{
    // The meter output carries this input's audio, so it stops with it; routing stays off until
    // the user switches it on again. The handler does it, so that its own thread's work on the
    // meter device never overlaps.
    deviceHandler.inputDeviceStopped();
}
