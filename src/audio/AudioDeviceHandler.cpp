#include "AudioDeviceHandler.h"

AudioDeviceHandler::AudioDeviceHandler (juce::MidiInputCallback* owner, const AudioDeviceTypeFactory& deviceTypes)
    : juce::Thread ("USB Audio Device Handler"),
      midiInputCallback (owner)
{
    addAudioDeviceTypes (outputDeviceManager, deviceTypes);
    outputDeviceManager.addChangeListener (this);
}

AudioDeviceHandler::~AudioDeviceHandler()
{
    outputDeviceManager.removeChangeListener (this);
}

void AudioDeviceHandler::run()
{
    while (! threadShouldExit())
    {
        wait (-1);

        if (threadShouldExit())
            break;
    }

    outputDeviceManager.removeAudioCallback (this);
    outputDeviceManager.closeAudioDevice();
}

void AudioDeviceHandler::processAudio (const float* const*, int, int) noexcept {}

void AudioDeviceHandler::audioDeviceIOCallbackWithContext (const float* const*, int,
                                                           float* const* outputChannelData, int numOutputChannels,
                                                           int numSamples,
                                                           const juce::AudioIODeviceCallbackContext&)
{
    for (int channel = 0; channel < numOutputChannels; ++channel)
        if (outputChannelData[channel] != nullptr)
            juce::FloatVectorOperations::clear (outputChannelData[channel], numSamples);
}

void AudioDeviceHandler::audioDeviceAboutToStart (juce::AudioIODevice*) {}

void AudioDeviceHandler::audioDeviceStopped()
{
    outputActive = false;
}

void AudioDeviceHandler::audioDeviceError (const juce::String& errorMessage)
{
    lastError = errorMessage;
}

void AudioDeviceHandler::changeListenerCallback (juce::ChangeBroadcaster*) {}

void AudioDeviceHandler::_updateDeviceState (bool) {}

void AudioDeviceHandler::prepareForDevices (unsigned long numChannels, int sampleRate)
{
    const juce::ScopedLock sl (stateLock);
    inputChannelCount = numChannels;
    inputSampleRate = sampleRate;
}
