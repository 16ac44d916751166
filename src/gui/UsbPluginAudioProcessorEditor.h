#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

class UsbPluginAudioProcessor;

/** The main window's content: 220 x 300. Message thread only. */
class UsbPluginAudioProcessorEditor : public juce::AudioProcessorEditor,
                                      public juce::MessageListener
{
public:
    explicit UsbPluginAudioProcessorEditor (UsbPluginAudioProcessor& owner);
    ~UsbPluginAudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;
    void handleMessage (const juce::Message& message) override;

    /** Shows the meter handler's current state. */
    void updateSolvinState();

    UsbPluginAudioProcessor& processor;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UsbPluginAudioProcessorEditor)
};
