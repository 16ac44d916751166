#pragma once

#include "AudioDeviceTypeFactory.h"
#include "DeviceState.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <atomic>

/** The program's link to the meter: a background thread that looks after the meter's USB audio
    output (its own device manager) and its state, which the editor mirrors on the routing button.

    Threads: the handler thread runs `run`; the message thread delivers change notifications, the
    processor's re-probe and the editor's requests; the meter's audio thread calls the device
    callback. `deviceState` and `requestedState` are shared by all of them and are atomics. */
class AudioDeviceHandler : public juce::Thread,
                           public juce::AudioIODeviceCallback,
                           public juce::ChangeListener,
                           public juce::ChangeBroadcaster
{
public:
    AudioDeviceHandler (juce::MidiInputCallback* owner, const AudioDeviceTypeFactory& deviceTypes = {});
    ~AudioDeviceHandler() override;

    void run() override;

    /** The write side of the meter path, on the input audio thread: appends channel i to ring i.
        A null channel, or one beyond numChannels, is silence. */
    virtual void processAudio (const float* const* channels, int numChannels, int numSamples) noexcept;

    void audioDeviceIOCallbackWithContext (const float* const* inputChannelData, int numInputChannels,
                                           float* const* outputChannelData, int numOutputChannels,
                                           int numSamples,
                                           const juce::AudioIODeviceCallbackContext& context) override;
    void audioDeviceAboutToStart (juce::AudioIODevice* device) override;
    void audioDeviceStopped() override;
    void audioDeviceError (const juce::String& errorMessage) override;

    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    /** Re-checks the meter's presence. force: called by the processor's periodic re-probe. */
    void _updateDeviceState (bool force);

    /** Records the input device's format; called each time the input device starts. */
    void prepareForDevices (unsigned long numChannels, int sampleRate);

    const bool routingEnabled = true;
    const bool midiEnabled = true;
    std::atomic<bool> outputActive { false };

    /** Guards inputChannelCount and inputSampleRate. Recursive. */
    juce::CriticalSection stateLock;
    unsigned long inputChannelCount = 0;
    int inputSampleRate = 0;

    /** The meter's output device only. */
    juce::AudioDeviceManager outputDeviceManager;
    juce::String deviceName;
    juce::String productName;

    juce::MidiInputCallback* const midiInputCallback;
    juce::String lastError;

    std::atomic<int> deviceState { DeviceState::Searching };
    std::atomic<int> requestedState { 2 };

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioDeviceHandler)
};
