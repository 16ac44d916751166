#include "UsbPluginAudioProcessorEditor.h"

#include "audio/UsbPluginAudioProcessor.h"

UsbPluginAudioProcessorEditor::UsbPluginAudioProcessorEditor (UsbPluginAudioProcessor& owner)
    : juce::AudioProcessorEditor (owner),
      processor (owner)
{
    setSize (220, 300);
    updateSolvinState();
    processor.delayedUpdateChecker.startTimer (5000);
}

UsbPluginAudioProcessorEditor::~UsbPluginAudioProcessorEditor() = default;

void UsbPluginAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff202226));
}

void UsbPluginAudioProcessorEditor::handleMessage (const juce::Message&) {}

void UsbPluginAudioProcessorEditor::updateSolvinState() {}
