// The editor's parts for plug-in hosts, which the standalone application never shows: the
// inactive overlay, the channel-mode choice and the program-change box.

#include "UsbPluginAudioProcessorEditor.h"

#include "ActiveBarsButton.h"
#include "BackgroundPanelWithText.h"
#include "EditorInactiveMessage.h"
#include "ShowChannelModeChoiceMessage.h"
#include "UpdateRoutingMessage.h"

#include "audio/ChannelMode.h"
#include "audio/UsbPluginAudioProcessor.h"

#include <algorithm>

namespace
{
// The channel-mode choice's captions and the input channel count each one stands for.
struct ChannelModeChoice
{
    const char* caption;
    int channelCount;
};

constexpr ChannelModeChoice s_channelModeChoices[] = { { "Mono", 1 }, { "Stereo", 2 }, { "5.1", 6 } };

int channelModeForCount (int channelCount)
{
    switch (channelCount)
    {
        case 1:  return ChannelMode::Mono;
        case 2:  return ChannelMode::Stereo;
        case 6:  return ChannelMode::FivePointOne;
        default: return ChannelMode::None;
    }
}
} // namespace

void UsbPluginAudioProcessorEditor::comboBoxChanged (juce::ComboBox* box)
{
    if (box != &presetComboBox)
        return;

    const int index = presetComboBox.getSelectedItemIndex();
    if (index < 0)
        return;

    const auto programChange = juce::MidiMessage::programChange (1, index & 0x7f);

    // The handler replaces its MIDI output under the same lock.
    const juce::ScopedLock sl (deviceHandler->stateLock);
    if (deviceHandler->midiOutput != nullptr)
        deviceHandler->midiOutput->sendMessageNow (programChange);
}

void UsbPluginAudioProcessorEditor::postRoutingUpdate()
{
    postMessage (new UpdateRoutingMessage());
}

void UsbPluginAudioProcessorEditor::postInactiveState (bool inactive, const juce::String& reason)
{
    postMessage (new EditorInactiveMessage (inactive, reason));
}

void UsbPluginAudioProcessorEditor::handleMessage (const juce::Message& message)
{
    if (dynamic_cast<const UpdateRoutingMessage*> (&message) != nullptr)
    {
        _rebuildRoutingRows();
    }
    else if (auto* inactive = dynamic_cast<const EditorInactiveMessage*> (&message))
    {
        inactiveText = inactive->text;
        active = ! inactive->inactive;
        resized();
        repaint();
    }
    else if (dynamic_cast<const ShowChannelModeChoiceMessage*> (&message) != nullptr)
    {
        _showChannelModeChoice();
    }
}

void UsbPluginAudioProcessorEditor::_showChannelModeChoice()
{
    // A second request replaces the first choice: there is never more than one.
    _removeChannelModeChoice();

    channelModePanel = new BackgroundPanelWithText (juce::translate ("Please select the desired channel mode:"));
    addAndMakeVisible (channelModePanel);

    for (const auto& choice : s_channelModeChoices)
    {
        auto* button = new ActiveBarsButton (choice.caption);
        channelModeButtons.push_back (button);
        addAndMakeVisible (button);
        button->addListener (this);
        button->setToggleState (false, juce::dontSendNotification);
        repaint();
    }

    resized();
}

void UsbPluginAudioProcessorEditor::_onChannelModeClicked (juce::Button* button)
{
    const auto clicked = std::find (channelModeButtons.begin(), channelModeButtons.end(), button);

    if (button != nullptr && clicked != channelModeButtons.end())
    {
        const auto& choice = s_channelModeChoices[clicked - channelModeButtons.begin()];
        processor->channelMode = channelModeForCount (choice.channelCount);
        processor->channelModeChosen = true;
        processor->pluginActive = true;
    }

    _removeChannelModeChoice();
}

void UsbPluginAudioProcessorEditor::_removeChannelModeChoice()
{
    if (channelModePanel != nullptr)
    {
        removeChildComponent (channelModePanel);
        delete channelModePanel;
        channelModePanel = nullptr;
    }

    for (auto* button : channelModeButtons)
    {
        removeChildComponent (button);
        delete button;
    }

    channelModeButtons.clear();
}
