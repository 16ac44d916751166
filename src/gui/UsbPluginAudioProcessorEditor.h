#pragma once

#include "MenuButton.h"

#include <juce_audio_processors/juce_audio_processors.h>

class AudioDeviceHandler;
class BoolAttribute;
class FrameComponent;
class MenuWindowBase;
class USBMenu;
class UsbPluginAudioProcessor;

/** The main window's content, 220 x 300: six remote buttons that send the meter's MIDI Machine
    Control commands, the routing button that mirrors the meter handler's state and switches the
    routing on and off, and the settings button that shows and hides the settings window, all
    inside a picture frame over a dock.

    Built only by the processor's createEditor. Everything here runs on the message thread; the
    handler's state is read through its atomics, never under its ring lock, and MIDI is sent only
    under its state lock. */
class UsbPluginAudioProcessorEditor : public juce::AudioProcessorEditor,
                                      public juce::MessageListener,
                                      public juce::Button::Listener,
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
    void timerCallback() override;

    /** Brings the routing button (pictures, enabled state, tooltip) and the remote buttons
        (enabled exactly while the meter's MIDI output is open) up to date with the handler.
        Called at construction, every 2000 ms and after each of the handler's change broadcasts. */
    void updateSolvinState();

    UsbPluginAudioProcessor* const processor;
    AudioDeviceHandler* const deviceHandler;
    /** The one tooltip window of the program, serving the editor and the settings window. */
    juce::TooltipWindow* tooltipWindow = nullptr;
    /** False only while an inactive overlay would be shown; the application keeps it true. */
    bool active = true;
    /** The settings window: hidden until the settings button shows it; lives as long as the editor. */
    MenuWindowBase* menuWindow = nullptr;
    /** The settings window's content; owned here, not by the window. */
    USBMenu* usbMenu = nullptr;
    FrameComponent* frame = nullptr;
    juce::ImageButton solvinButton;
    juce::ImageButton settingsButton;
    MenuButton startButton, stopButton, resetLoudnessButton, timeButton, refUpButton, refDownButton;
    /** Full path of globalconfig.xml: read at construction, written at destruction. */
    juce::String globalConfigFile;
    /** The processor's "SolvinConnected" setting: the user's last routing wish. */
    BoolAttribute* const solvinConnected;

private:
    void _onRoutingClicked();
    void _sendRemoteCommand (const juce::MidiMessage& message);
    void _rebuildRoutingRows();
    void _paintHoverSquare (juce::Graphics& g, const juce::Button& button);
    juce::String _composeTooltip (const char* firstKey, const juce::String& name, const char* secondKey) const;
    static void _setPictures (juce::ImageButton& button, const juce::Image& normal,
                              const juce::Image& over, const juce::Image& down);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UsbPluginAudioProcessorEditor)
};
