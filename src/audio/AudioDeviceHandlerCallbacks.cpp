#include "AudioDeviceHandler.h"

#include <algorithm>

// The handler's audio side: the input's blocks into the rings, the meter's callback out of them,
// and the meter device's start, stop and errors as JUCE reports them.

//==============================================================================
void AudioDeviceHandler::processAudio (const juce::AudioBuffer<float>& buffer) noexcept
{
    processAudio (buffer.getArrayOfReadPointers(), buffer.getNumChannels(), buffer.getNumSamples());
}

void AudioDeviceHandler::processAudio (const float* const* channels, int numChannels, int numSamples) noexcept
{
    inputBlockCount.fetch_add (1, std::memory_order_relaxed);

    if (! outputActive.load() || ! routingEnabled || numSamples <= 0)
        return;

    const juce::ScopedLock sl (ringLock);

    if (ringCount == 0)
        return;

    // Every ring takes the same count, so the channels stay sample-aligned; an overrun drops the
    // end of the block from all of them.
    auto numToWrite = (size_t) numSamples;

    for (size_t i = 0; i < ringCount; ++i)
        numToWrite = std::min (numToWrite, rings[i]->getFreeSpace());

    if (numToWrite == 0)
        return;

    for (size_t i = 0; i < ringCount; ++i)
    {
        const float* channel = (channels != nullptr && i < (size_t) juce::jmax (0, numChannels)) ? channels[i] : nullptr;

        if (channel != nullptr)
            rings[i]->write (channel, numToWrite);
        else
            rings[i]->writeSilence (numToWrite);
    }
}

void AudioDeviceHandler::audioDeviceIOCallbackWithContext (const float* const*, int,
                                                           float* const* outputChannelData, int numOutputChannels,
                                                           int numSamples,
                                                           const juce::AudioIODeviceCallbackContext&)
{
    meterCallbackCount.fetch_add (1, std::memory_order_relaxed);

    if (numSamples <= 0)
        return;

    size_t numPlayed = 0;

    if (outputActive.load() && routingEnabled)
    {
        const juce::ScopedLock sl (ringLock);

        // Rings built for another channel count than this block's (a start not yet seen) play
        // nothing rather than the wrong channels.
        if (ringCount != 0 && ringCount == (size_t) numOutputChannels)
        {
            auto available = (size_t) numSamples;

            for (size_t j = 0; j < ringCount; ++j)
                available = std::min (available, rings[j]->getFill());

            // All rings advance by the same count, so they stay aligned with each other.
            for (size_t j = 0; j < ringCount; ++j)
                rings[j]->read (outputChannelData[j], available);

            numPlayed = available;
        }
    }

    // An underrun is completed with zeros; with nothing to play the whole block is silent.
    for (int j = 0; j < numOutputChannels; ++j)
        if (auto* output = outputChannelData[j])
            juce::FloatVectorOperations::clear (output + numPlayed, numSamples - (int) numPlayed);
}

void AudioDeviceHandler::audioDeviceAboutToStart (juce::AudioIODevice* device)
{
    const auto numOutputs = (size_t) device->getActiveOutputChannels().countNumberOfSetBits();
    const auto name = device->getName();
    const auto rate = juce::roundToInt (device->getCurrentSampleRate());

    bool isTarget = false;

    {
        const juce::ScopedLock sl (ringLock);
        isTarget = routingTarget.deviceName.isNotEmpty() && name == routingTarget.deviceName
                && rate == routingTarget.sampleRate && (int) numOutputs >= routingTarget.numOutputs;
    }

    // Allocated and freed outside ringLock, so the audio threads never wait for the heap.
    std::vector<std::unique_ptr<AudioRingbuffer>> freshRings;

    if (isTarget)
        for (size_t i = 0; i < numOutputs; ++i)
            freshRings.push_back (std::make_unique<AudioRingbuffer> ((size_t) ringSize));

    {
        const juce::ScopedLock sl (ringLock);
        rings.swap (freshRings);
        ringCount = rings.size();
        outputActive = isTarget;
    }

    if (! isTarget)
    {
        strayDeviceOpen = true;
        notify();
    }
}

void AudioDeviceHandler::audioDeviceStopped()
{
    outputActive = false;

    // Whether the meter went away or the framework is only restarting it is decided on the
    // handler thread, once whoever stops it has finished (the handler's own closing and the input
    // side's stop set the state themselves).
    if (deviceState == DeviceState::Routing)
    {
        meterStoppedWhileRouting = true;
        notify();
    }
}

void AudioDeviceHandler::audioDeviceError (const juce::String& errorMessage)
{
    // JUCE reports errors under its callback lock, so two never overlap.
    lastError = errorMessage;
}

void AudioDeviceHandler::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source == &outputDeviceManager)
        notify();
}
