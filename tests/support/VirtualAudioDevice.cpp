#include "VirtualAudioDevice.h"

#include "VirtualDeviceRegistry.h"

#include <cmath>
#include <utility>

namespace
{
    juce::String nameOf (const std::optional<VirtualDeviceDescription>& side)
    {
        return side.has_value() ? side->name : juce::String();
    }

    template <typename Value>
    juce::Array<Value> commonValues (const std::optional<VirtualDeviceDescription>& outputSide,
                                     const std::optional<VirtualDeviceDescription>& inputSide,
                                     juce::Array<Value> VirtualDeviceDescription::* values)
    {
        if (! outputSide.has_value())
            return inputSide.has_value() ? (*inputSide).*values : juce::Array<Value>();

        auto result = (*outputSide).*values;

        if (inputSide.has_value())
            result.removeIf ([&] (Value v) { return ! ((*inputSide).*values).contains (v); });

        return result;
    }

    int nearestOf (const juce::Array<int>& sizes, int wanted)
    {
        auto best = sizes.getFirst();

        for (auto size : sizes)
            if (std::abs (size - wanted) < std::abs (best - wanted))
                best = size;

        return best;
    }

    std::vector<int> setBitsBelow (const juce::BigInteger& bits, int numChannels)
    {
        std::vector<int> indices;

        for (int i = 0; i < numChannels; ++i)
            if (bits[i])
                indices.push_back (i);

        return indices;
    }
}

VirtualAudioDevice::VirtualAudioDevice (VirtualDeviceRegistry& registryToUse,
                                        std::optional<VirtualDeviceDescription> output,
                                        std::optional<VirtualDeviceDescription> input)
    : juce::AudioIODevice (output.has_value() ? output->name : nameOf (input), "Virtual"),
      registry (registryToUse),
      outputSide (std::move (output)),
      inputSide (std::move (input)),
      outputName (nameOf (outputSide)),
      inputName (nameOf (inputSide))
{
    jassert (outputSide.has_value() || inputSide.has_value());
    registry._registerDevice (this);
}

VirtualAudioDevice::~VirtualAudioDevice()
{
    // Once unregistered no look-up can find the device; taking the lock afterwards waits for a
    // block that a look-up let in before.
    registry._unregisterDevice (this);
    close();
    const juce::ScopedLock sl (callbackLock);
}

juce::StringArray VirtualAudioDevice::getOutputChannelNames()
{
    return outputSide.has_value() ? outputSide->outputChannelNames : juce::StringArray();
}

juce::StringArray VirtualAudioDevice::getInputChannelNames()
{
    return inputSide.has_value() ? inputSide->inputChannelNames : juce::StringArray();
}

juce::Array<double> VirtualAudioDevice::getAvailableSampleRates()
{
    return commonValues (outputSide, inputSide, &VirtualDeviceDescription::sampleRates);
}

juce::Array<int> VirtualAudioDevice::getAvailableBufferSizes()
{
    return commonValues (outputSide, inputSide, &VirtualDeviceDescription::bufferSizes);
}

int VirtualAudioDevice::getDefaultBufferSize()
{
    const auto sizes = getAvailableBufferSizes();

    if (sizes.isEmpty())
        return 0;

    return nearestOf (sizes, outputSide.has_value() ? outputSide->defaultBufferSize
                                                    : inputSide->defaultBufferSize);
}

juce::String VirtualAudioDevice::open (const juce::BigInteger& inputChannels,
                                       const juce::BigInteger& outputChannels,
                                       double newSampleRate,
                                       int bufferSizeSamples)
{
    close();

    const auto sizes = getAvailableBufferSizes();

    if (unplugged.load())
        lastError = "Device not connected: " + getName();
    else if (auto failure = registry._takeOpenFailure (*this); failure.isNotEmpty())
        lastError = failure;
    else if (! getAvailableSampleRates().contains (newSampleRate))
        lastError = "Sample rate not supported by " + getName() + ": " + juce::String (newSampleRate, 0) + " Hz";
    else if (sizes.isEmpty())
        lastError = "No buffer size common to the input and output of " + getName();
    else
        lastError.clear();

    if (lastError.isNotEmpty())
        return lastError;

    sampleRate = newSampleRate;
    bufferSize = bufferSizeSamples > 0 ? nearestOf (sizes, bufferSizeSamples) : getDefaultBufferSize();

    const auto numInputs = getInputChannelNames().size();
    const auto numOutputs = getOutputChannelNames().size();

    activeInputIndices = setBitsBelow (inputChannels, numInputs);
    openedOutputIndices = setBitsBelow (outputChannels, numOutputs);
    outputsAwaitConnection = outputSide.has_value() && outputSide->outputsConnectAfterStart;
    const bool startsUnconnected = outputsAwaitConnection || (outputSide.has_value() && outputSide->outputsNeverConnect);
    activeOutputIndices = startsUnconnected ? std::vector<int>() : openedOutputIndices;

    activeInputs.clear();
    activeOutputs.clear();

    for (auto i : activeInputIndices)
        activeInputs.setBit (i);

    for (auto i : activeOutputIndices)
        activeOutputs.setBit (i);

    inputScratch.setSize ((int) activeInputIndices.size(), bufferSize);
    outputScratch.setSize ((int) activeOutputIndices.size(), bufferSize);

    inputPointers.assign (inputScratch.getArrayOfReadPointers(),
                          inputScratch.getArrayOfReadPointers() + inputScratch.getNumChannels());
    outputPointers.assign (outputScratch.getArrayOfWritePointers(),
                           outputScratch.getArrayOfWritePointers() + outputScratch.getNumChannels());

    {
        // Allocated for a whole buffer here so that blocks only shrink and regrow it.
        const juce::ScopedLock sl (callbackLock);
        lastOutput.setSize (numOutputs, bufferSize);
        lastOutput.setSize (numOutputs, 0, false, false, true);
    }

    deviceIsOpen = true;
    registry._countOpen (*this);
    return {};
}

void VirtualAudioDevice::close()
{
    stop();

    if (deviceIsOpen.exchange (false))
        registry._countClose (*this);
}

bool VirtualAudioDevice::isOpen()
{
    return deviceIsOpen.load();
}

void VirtualAudioDevice::start (juce::AudioIODeviceCallback* newCallback)
{
    if (! deviceIsOpen.load())
        return;

    juce::AudioIODeviceCallback* oldCallback = nullptr;

    {
        const juce::ScopedLock sl (callbackLock);
        oldCallback = callback;
    }

    if (newCallback == oldCallback)
        return;

    // As JUCE's drivers do: the new callback is prepared before it gets blocks, and the old one
    // is told it stopped only after it can get no more.
    if (newCallback != nullptr)
        newCallback->audioDeviceAboutToStart (this);

    {
        const juce::ScopedLock sl (callbackLock);
        callback = newCallback;
    }

    if (oldCallback != nullptr)
        oldCallback->audioDeviceStopped();

    if (newCallback != nullptr && std::exchange (outputsAwaitConnection, false))
    {
        juce::MessageManager::callAsync ([device = juce::WeakReference<VirtualAudioDevice> (this)]
        {
            if (device != nullptr)
                device->restartWithActiveOutputs ((int) device->openedOutputIndices.size());
        });
    }
}

void VirtualAudioDevice::stop()
{
    juce::AudioIODeviceCallback* oldCallback = nullptr;

    {
        const juce::ScopedLock sl (callbackLock);
        oldCallback = std::exchange (callback, nullptr);
    }

    if (oldCallback != nullptr)
        oldCallback->audioDeviceStopped();
}

bool VirtualAudioDevice::isPlaying()
{
    const juce::ScopedLock sl (callbackLock);
    return callback != nullptr;
}

juce::String VirtualAudioDevice::getLastError()                { return lastError; }
int VirtualAudioDevice::getCurrentBufferSizeSamples()          { return bufferSize; }
double VirtualAudioDevice::getCurrentSampleRate()              { return sampleRate; }
int VirtualAudioDevice::getCurrentBitDepth()                   { return 32; }
juce::BigInteger VirtualAudioDevice::getActiveOutputChannels() const  { return activeOutputs; }
juce::BigInteger VirtualAudioDevice::getActiveInputChannels() const   { return activeInputs; }

int VirtualAudioDevice::getOutputLatencyInSamples()
{
    return outputSide.has_value() ? outputSide->outputLatencySamples : 0;
}

int VirtualAudioDevice::getInputLatencyInSamples()
{
    return inputSide.has_value() ? inputSide->inputLatencySamples : 0;
}

bool VirtualAudioDevice::processBlock (const juce::AudioBuffer<float>& input, int numSamples)
{
    const juce::ScopedLock sl (callbackLock);
    return _processBlockLocked (input, numSamples, nullptr);
}

juce::AudioBuffer<float> VirtualAudioDevice::getLastOutput() const
{
    const juce::ScopedLock sl (callbackLock);
    return lastOutput;
}

bool VirtualAudioDevice::isMadeFrom (const juce::String& deviceName) const
{
    return deviceName.isNotEmpty() && (deviceName == inputName || deviceName == outputName);
}

void VirtualAudioDevice::restartWithActiveOutputs (int numOutputs)
{
    if (! deviceIsOpen.load())
        return;

    juce::AudioIODeviceCallback* oldCallback = nullptr;

    {
        const juce::ScopedLock sl (callbackLock);
        oldCallback = callback;
    }

    stop();

    activeOutputIndices.assign (openedOutputIndices.begin(),
                                openedOutputIndices.begin() + (std::ptrdiff_t) juce::jlimit ((size_t) 0, openedOutputIndices.size(),
                                                                                            (size_t) juce::jmax (0, numOutputs)));
    activeOutputs.clear();

    for (auto i : activeOutputIndices)
        activeOutputs.setBit (i);

    outputScratch.setSize ((int) activeOutputIndices.size(), bufferSize);
    outputPointers.assign (outputScratch.getArrayOfWritePointers(),
                           outputScratch.getArrayOfWritePointers() + outputScratch.getNumChannels());

    if (oldCallback != nullptr)
        start (oldCallback);
}

void VirtualAudioDevice::_unplug()
{
    // Taking the lock means no block is still running when the registry's removal returns.
    const juce::ScopedLock sl (callbackLock);
    unplugged = true;
}

bool VirtualAudioDevice::_processBlockLocked (const juce::AudioBuffer<float>& input,
                                              int numSamples,
                                              juce::AudioBuffer<float>* outputCopy)
{
    if (callback == nullptr || unplugged.load() || stalled.load())
        return false;

    if (numSamples <= 0 || numSamples > bufferSize)
    {
        jassertfalse; // a block is 1 to getCurrentBufferSizeSamples() samples long
        return false;
    }

    const auto numInputSamples = juce::jmin (numSamples, input.getNumSamples());

    for (size_t k = 0; k < activeInputIndices.size(); ++k)
    {
        const auto channel = activeInputIndices[k];
        auto* dest = inputScratch.getWritePointer ((int) k);
        const auto numCopied = channel < input.getNumChannels() ? numInputSamples : 0;

        if (numCopied > 0)
            juce::FloatVectorOperations::copy (dest, input.getReadPointer (channel), numCopied);

        juce::FloatVectorOperations::clear (dest + numCopied, numSamples - numCopied);
    }

    for (int k = 0; k < outputScratch.getNumChannels(); ++k)
        juce::FloatVectorOperations::fill (outputScratch.getWritePointer (k), unwrittenSample, numSamples);

    callback->audioDeviceIOCallbackWithContext (inputPointers.data(),
                                                (int) inputPointers.size(),
                                                outputPointers.data(),
                                                (int) outputPointers.size(),
                                                numSamples,
                                                {});

    lastOutput.setSize (lastOutput.getNumChannels(), numSamples, false, false, true);
    lastOutput.clear();

    for (size_t k = 0; k < activeOutputIndices.size(); ++k)
        lastOutput.copyFrom (activeOutputIndices[k], 0, outputScratch, (int) k, 0, numSamples);

    if (outputCopy != nullptr)
        *outputCopy = lastOutput;

    return true;
}
