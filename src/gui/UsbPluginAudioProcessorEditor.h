#pragma once

#include "MenuButton.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

class ActiveBarsButton;
class AudioDeviceHandler;
class BackgroundPanelWithText;
class BoolAttribute;
class FrameComponent;
class MenuWindowBase;
class USBMenu;
class UsbPluginAudioProcessor;

/** The main window's content, 220 x 300: six remote buttons that send the meter's MIDI Machine
    Control commands, the routing button that mirrors the meter handler's state and switches the
    routing on and off, and the settings button that shows and hides the settings window, all
    inside a picture frame over a dock.

    Towards a plug-in host the editor also has an inactive overlay (EditorInactiveMessage), a
    channel-mode choice (ShowChannelModeChoiceMessage), a confirmation button and a selection box
    that sends program changes. The application never shows any of them.

    Built only by the processor's createEditor. Everything here runs on the message thread; the
    handler's state is read through its atomics, never under its ring lock, and MIDI is sent only
    under its state lock. */
class UsbPluginAudioProcessorEditor : public juce::AudioProcessorEditor,
                                      public juce::MessageListener,
                                      public juce::Button::Listener,
                                      public juce::ComboBox::Listener,
                                      public juce::Timer
{
public:
    explicit UsbPluginAudioProcessorEditor (UsbPluginAudioProcessor& owner);
    ~UsbPluginAudioProcessorEditor() override;

    void mouseEnter (const juce::MouseEvent& e) override;
    void mouseExit (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    void resized() override;
    void buttonClicked (juce::Button* button) override;
    void handleMessage (const juce::Message& message) override;
    /** The selection box sends its selected index as a MIDI program change on channel 1 through
        the meter's MIDI output, if one is open. Any other box is ignored. */
    void comboBoxChanged (juce::ComboBox* box) override;
    void timerCallback() override;

    /** Brings the routing button (pictures, enabled state, tooltip) and the remote buttons
        (enabled exactly while the meter's MIDI output is open) up to date with the handler.
        Called at construction, every 2000 ms and after each of the handler's change broadcasts. */
    void updateSolvinState();

    /** Has the editor rebuild its routing rows for the processor's current channel mode. Any
        thread: posts an UpdateRoutingMessage, which the editor handles on the message thread. */
    void postRoutingUpdate();
    /** Has the editor show (`inactive` true) or hide its inactive overlay, with `reason` as its
        text. Any thread: posts an EditorInactiveMessage, handled on the message thread. */
    void postInactiveState (bool inactive, const juce::String& reason);

    UsbPluginAudioProcessor* const processor;
    AudioDeviceHandler* const deviceHandler;
    /** The one tooltip window of the program, serving the editor and the settings window. */
    juce::TooltipWindow* tooltipWindow = nullptr;
    /** False only while the inactive overlay is shown; the application keeps it true. */
    bool active = true;
    /** The reason the inactive overlay shows. */
    juce::String inactiveText;
    /** The settings window: hidden until the settings button shows it; lives as long as the editor. */
    MenuWindowBase* menuWindow = nullptr;
    /** The settings window's content; owned here, not by the window. */
    USBMenu* usbMenu = nullptr;
    FrameComponent* frame = nullptr;
    /** The channel-mode choice, from a ShowChannelModeChoiceMessage until a click on one of its
        buttons; owned here. "Mono", "Stereo" and "5.1", in that order. */
    std::vector<ActiveBarsButton*> channelModeButtons;
    BackgroundPanelWithText* channelModePanel = nullptr;
    /** Would prepare the processor again; never added to the editor. */
    MenuButton okButton;
    juce::ImageButton solvinButton;
    juce::ImageButton settingsButton;
    MenuButton startButton, stopButton, resetLoudnessButton, timeButton, refUpButton, refDownButton;
    /** Would choose a preset by program change; never filled and never added to the editor. */
    juce::ComboBox presetComboBox;
    /** The processor's "SolvinConnected" setting: the user's last routing wish. */
    BoolAttribute* const solvinConnected;

    /** Names of the meter's presets, as a host's preset choice would list them. */
    static const juce::String s_presetNames[3];

private:
    void _onRoutingClicked();
    void _sendRemoteCommand (const juce::MidiMessage& message);
    void _rebuildRoutingRows();
    void _showChannelModeChoice();
    void _onChannelModeClicked (juce::Button* button);
    void _removeChannelModeChoice();
    void _paintHoverSquare (juce::Graphics& g, const juce::Button& button);
    juce::String _composeTooltip (const char* firstKey, const juce::String& name, const char* secondKey) const;
    static void _setPictures (juce::ImageButton& button, const juce::Image& normal,
                              const juce::Image& over, const juce::Image& down);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UsbPluginAudioProcessorEditor)
};
