#include "StandaloneProcessor.h"

namespace
{
const juce::String s_preferredDeviceName ("ASIO");
}

StandaloneProcessor::StandaloneProcessor (const AudioDeviceTypeFactory& deviceTypes)
    : UsbPluginAudioProcessor (deviceTypes)
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
    inputDeviceManager.removeAudioCallback (this);
    inputDeviceManager.closeAudioDevice();
    inputDeviceManager.removeChangeListener (this);
}

void StandaloneProcessor::getStateInformation (juce::MemoryBlock&) {}

void StandaloneProcessor::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source != &inputDeviceManager)
    {
        UsbPluginAudioProcessor::changeListenerCallback (source);
        return;
    }
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
    deviceHandler.outputDeviceManager.removeAudioCallback (&deviceHandler);
    deviceHandler.outputDeviceManager.closeAudioDevice();
    deviceHandler.deviceState = DeviceState::Searching;
}
