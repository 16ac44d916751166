#include "StandaloneProcessor.h"

#include "ChannelMode.h"
#include "JackAudioDevice.h"
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

bool StandaloneProcessor::mapsInputCount (int numInputs) noexcept
{
    return numInputs == 2 || numInputs == 6;
}

void StandaloneProcessor::getStateInformation (juce::MemoryBlock&) {}

void StandaloneProcessor::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source != &inputDeviceManager)
    {
        UsbPluginAudioProcessor::changeListenerCallback (source);
        return;
    }

    _closeInputThatHasLeft();

    // One call may stand for several coalesced changes; only the device open now counts. A
    // device whose server has gone counts as none: it is about to be closed.
    auto* device = inputDeviceManager.getCurrentAudioDevice();

    if (device != nullptr && ! JackAudioDevice::hasLostServer (device))
    {
        const int n = device->getActiveInputChannels().countNumberOfSetBits();
        inputSampleRate = (int) device->getCurrentSampleRate();
        channelMode = channelModeForInputCount (n);

        if (channelMode == ChannelMode::None)
        {
            numActiveInputs = 0;
        }
        else if (keepRestoredMapping && ! mapsInputCount (n))
        {
            // The audio path reads no mapping entry for this count (JACK opens a device with
            // the ports connected so far, and restarts it as the others connect): the restored
            // mapping waits for a count it is used with.
            numActiveInputs = n;
        }
        else
        {
            numActiveInputs = n;
            const bool keep = keepRestoredMapping && startsWithPermutation (channelMapping, n);

            const ScopedChannelMappingWrite reset (*this);

            for (int i = 0; i < n; ++i)
                setChannelMappingEntry ((size_t) i, keep ? channelMapping[(size_t) i] : i, n);

            keepRestoredMapping = false;
        }

        channelMapping.saveState();
    }

    if (auto* editor = dynamic_cast<UsbPluginAudioProcessorEditor*> (getActiveEditor()))
        editor->postMessage (new UpdateRoutingMessage());
}

bool StandaloneProcessor::_closeInputThatHasLeft()
{
    auto* device = inputDeviceManager.getCurrentAudioDevice();
    auto* type = inputDeviceManager.getCurrentDeviceTypeObject();
    const auto inputName = inputDeviceManager.getAudioDeviceSetup().inputDeviceName;

    if (device == nullptr || type == nullptr || inputName.isEmpty() || device->getName() == inputName
        || type->getDeviceNames (true).contains (inputName))
        return false;

    // The user's choice stays the manager's saved set-up, for config.xml and the next start.
    inputDeviceManager.closeAudioDevice();
    const auto saved = inputDeviceManager.createStateXml();
    inputDeviceManager.initialise (2, 1, saved.get(), true, s_preferredDeviceName, nullptr);
    return true;
}

void StandaloneProcessor::audioDeviceIOCallbackWithContext (const float* const* inputChannelData, int numInputChannels,
                                                            float* const* outputChannelData, int numOutputChannels,
                                                            int numSamples,
                                                            const juce::AudioIODeviceCallbackContext&)
{
    const int active = numActiveInputs.load();
    if (mapsInputCount (active) && numInputChannels == active)
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

    // A stop may be the audio server's end (on the server's thread); the message thread then
    // closes the device.
    lostInputCloser.triggerAsyncUpdate();
}

void StandaloneProcessor::LostInputCloser::handleAsyncUpdate()
{
    auto& manager = processor.inputDeviceManager;

    if (! JackAudioDevice::hasLostServer (manager.getCurrentAudioDevice()))
        return;

    // The user's choice stays the manager's saved set-up, for config.xml and the next start.
    manager.closeAudioDevice();
    manager.sendChangeMessage();
}
