#pragma once

#include "VirtualDeviceDescription.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <atomic>
#include <limits>
#include <optional>
#include <vector>

class VirtualDeviceRegistry;

/** An audio device that exists only in a VirtualDeviceRegistry, made by VirtualAudioDeviceType.
    Like the platform drivers it joins an input side and an output side, each taken from one
    described device (either may be missing); its name is the output's, or the input's when it
    has no output.

    It has no thread of its own: the test is the clock, and each processBlock call runs exactly
    one block through the callback. processBlock may be called from any thread and is serialised
    with start and stop by callbackLock, as in JUCE's drivers. Everything else belongs to the
    thread that owns the device's AudioDeviceManager, normally the message thread.

    Once its registry unplugs either side, the device delivers no more blocks and cannot be opened
    again. Its AudioDeviceManager hears of the change through the device type, but JUCE looks only
    for the device's name then: a manager does not notice that the input side of a device with an
    output has gone. */
class VirtualAudioDevice : public juce::AudioIODevice
{
public:
    /** The value every active output sample holds before the callback runs. */
    static constexpr float unwrittenSample = std::numeric_limits<float>::quiet_NaN();

    VirtualAudioDevice (VirtualDeviceRegistry& registry,
                        std::optional<VirtualDeviceDescription> outputSide,
                        std::optional<VirtualDeviceDescription> inputSide);
    ~VirtualAudioDevice() override;

    juce::StringArray getOutputChannelNames() override;
    juce::StringArray getInputChannelNames() override;
    juce::Array<double> getAvailableSampleRates() override;
    juce::Array<int> getAvailableBufferSizes() override;
    int getDefaultBufferSize() override;

    /** Opens the requested channels that exist. An unsupported sample rate fails with an error
        text; a buffer size the device lacks becomes the nearest one it has, 0 or less its
        default. */
    juce::String open (const juce::BigInteger& inputChannels,
                       const juce::BigInteger& outputChannels,
                       double sampleRate,
                       int bufferSizeSamples) override;
    void close() override;
    bool isOpen() override;

    void start (juce::AudioIODeviceCallback* callback) override;
    void stop() override;
    bool isPlaying() override;

    juce::String getLastError() override;
    int getCurrentBufferSizeSamples() override;
    double getCurrentSampleRate() override;
    int getCurrentBitDepth() override;
    juce::BigInteger getActiveOutputChannels() const override;
    juce::BigInteger getActiveInputChannels() const override;
    int getOutputLatencyInSamples() override;
    int getInputLatencyInSamples() override;

    /** Runs one block of numSamples (1 to the current buffer size) through the callback.
        Channel k of input feeds the device's input channel k; channels and samples that input
        lacks are silent. Only active channels reach the callback, packed as JUCE's drivers pack
        them. Every active output sample is set to unwrittenSample first, so a NaN left in
        getLastOutput() is one the callback did not write.
        @returns false, having done nothing, when the device is closed, stopped or unplugged. */
    bool processBlock (const juce::AudioBuffer<float>& input, int numSamples);

    /** The last block's outputs: one channel per output channel of the device, inactive ones
        silent. */
    juce::AudioBuffer<float> getLastOutput() const;

    const juce::String& getInputSideName() const noexcept   { return inputName; }
    const juce::String& getOutputSideName() const noexcept  { return outputName; }

    /** Whether the device was made from the named input or output device. */
    bool isMadeFrom (const juce::String& deviceName) const;

    bool isUnplugged() const noexcept  { return unplugged.load(); }

    /** From now on the device delivers no blocks, yet stays open and playing with its callback
        and tells nobody: as JUCE's ALSA device does when its audio thread ends on a write error. */
    void stopCallingBack() noexcept  { stalled = true; }

    /** Stops the callback, makes the first numOutputs of the outputs the device was opened with
        its active ones and starts the callback again, as JUCE's JACK device does when its ports'
        connections change (when the client it plays to ends, with none). Call on the thread that
        owns the device's manager. */
    void restartWithActiveOutputs (int numOutputs);

private:
    friend class VirtualDeviceRegistry;

    void _unplug();
    bool _processBlockLocked (const juce::AudioBuffer<float>& input, int numSamples,
                              juce::AudioBuffer<float>* outputCopy);

    VirtualDeviceRegistry& registry;
    const std::optional<VirtualDeviceDescription> outputSide, inputSide;
    const juce::String outputName, inputName;

    // Written by the owning thread while no callback is set; processBlock reads them only after
    // seeing a callback under callbackLock, which start set after they were written.
    juce::BigInteger activeInputs, activeOutputs;
    std::vector<int> activeInputIndices, activeOutputIndices, openedOutputIndices;
    bool outputsAwaitConnection = false;
    double sampleRate = 0.0;
    int bufferSize = 0;
    juce::String lastError;
    juce::AudioBuffer<float> inputScratch, outputScratch;
    std::vector<const float*> inputPointers;
    std::vector<float*> outputPointers;

    std::atomic<bool> deviceIsOpen { false }, unplugged { false }, stalled { false };
    juce::int64 openSerial = 0;   // guarded by the registry's lock

    mutable juce::CriticalSection callbackLock;
    juce::AudioIODeviceCallback* callback = nullptr;   // guarded by callbackLock
    juce::AudioBuffer<float> lastOutput;               // guarded by callbackLock

    JUCE_DECLARE_WEAK_REFERENCEABLE (VirtualAudioDevice)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VirtualAudioDevice)
};
