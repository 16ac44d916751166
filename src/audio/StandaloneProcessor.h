#pragma once

#include "UsbPluginAudioProcessor.h"

#include <memory>

/** The processor the application creates: owns the user's input device and feeds its audio into
    the mapped audio path. The input device's callbacks run on its audio thread; everything else
    on the message thread. */
class StandaloneProcessor : public UsbPluginAudioProcessor,
                            public juce::AudioIODeviceCallback
{
public:
    explicit StandaloneProcessor (const AudioDeviceTypeFactory& deviceTypes = {});
    ~StandaloneProcessor() override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    void audioDeviceIOCallbackWithContext (const float* const* inputChannelData, int numInputChannels,
                                           float* const* outputChannelData, int numOutputChannels,
                                           int numSamples,
                                           const juce::AudioIODeviceCallbackContext& context) override;
    void audioDeviceAboutToStart (juce::AudioIODevice* device) override;
    void audioDeviceStopped() override;

    /** Active input channels of the current input device, as counted at its last start. */
    std::atomic<int> numActiveInputs { 0 };
    juce::AudioDeviceManager inputDeviceManager;
    /** The input device's saved set-up, restored from or written to config.xml. */
    std::unique_ptr<juce::XmlElement> savedDeviceState;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StandaloneProcessor)
};
