#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class AudioSettingsMenuTab;
class CollapsingTabbedComponent;
class MenuButton;
class MenuTabBase;
class SystemMenuTab;
class UsbPluginAudioProcessor;

/** The content of the settings window: the tabs "System" and "Audio" above an "OK" button, on a
    framed background picture whose transparent corners show the desktop. Presses and drags on the
    frame or on the empty part of the tab bar move the window, within the displays' user areas.
    "OK" hides the window; nothing here is ever closed.

    Built once by the editor, with the window hidden, and deleted by it. Message thread only. */
class USBMenu : public juce::Component,
                public juce::Button::Listener
{
public:
    explicit USBMenu (UsbPluginAudioProcessor* processor);
    ~USBMenu() override;

    void buttonClicked (juce::Button* b) override;
    virtual void _paintFrame (juce::Graphics& g);

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    bool keyPressed (const juce::KeyPress& key) override;
    void resized() override;

    /** The 379 x 642 frame picture, drawn as a nine-patch without its centre. */
    juce::Image backgroundImage;
    /** The window's top-left at the last press. */
    juce::Point<int> dragOrigin;
    CollapsingTabbedComponent* tabbedComponent = nullptr;
    /** The current tab for which the tab colours were last set. */
    int lastTabIndex = -1;
    MenuButton* okButton = nullptr;
    juce::Viewport* systemViewport = nullptr;
    juce::Viewport* audioViewport = nullptr;
    juce::Viewport* thirdViewport = nullptr;
    SystemMenuTab* systemTab = nullptr;
    AudioSettingsMenuTab* audioTab = nullptr;
    /** Never set in this application; handled like the other tabs when it is. */
    MenuTabBase* thirdTab = nullptr;

private:
    /** Opens every panel of a built tab, lays it out and adds it, in its own viewport, as page
        `index` of the tabbed component. Returns the viewport. */
    juce::Viewport* _installTab (MenuTabBase& tab, int index);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (USBMenu)
};
