#include "AudioSettingsMenuPanel.h"

#include "MenuTabBase.h"

AudioSettingsMenuPanel::AudioSettingsMenuPanel (juce::AudioDeviceManager* manager)
    : deviceManager (manager)
{
    if (deviceManager != nullptr)
    {
        deviceSelector = new juce::AudioDeviceSelectorComponent (*deviceManager, 0, 8, 0, 0,
                                                                 false, false, false, false);
        addAndMakeVisible (deviceSelector);
    }

    resized();

    if (deviceManager != nullptr)
        deviceManager->addChangeListener (this);
}

AudioSettingsMenuPanel::~AudioSettingsMenuPanel()
{
    if (deviceManager != nullptr)
        deviceManager->removeChangeListener (this);

    for (int i = getNumChildComponents(); --i >= 0;)
    {
        auto* child = getChildComponent (i);
        removeChildComponent (i);
        delete child;
    }

    deviceSelector = nullptr;
}

void AudioSettingsMenuPanel::resized()
{
    if (deviceSelector == nullptr)
    {
        openHeight = 312;
        return;
    }

    // The selector fits its own height to its content within this call.
    deviceSelector->setBounds (0, 12, getWidth(), 300);
    openHeight = deviceSelector->getHeight() + 12;
}

void AudioSettingsMenuPanel::paintOverChildren (juce::Graphics&) {}
void AudioSettingsMenuPanel::updateWholePanelContent() {}
void AudioSettingsMenuPanel::discardPanelChanges() {}

void AudioSettingsMenuPanel::changeListenerCallback (juce::ChangeBroadcaster*)
{
    // The selector rebuilds its controls on the same broadcast; its new height is known only
    // after that. A call that falls due after the panel is gone finds the pointer cleared.
    juce::Timer::callAfterDelay (remeasureDelayMs, [panel = juce::Component::SafePointer<AudioSettingsMenuPanel> (this)]
    {
        if (panel != nullptr)
            panel->_remeasure();
    });
}

void AudioSettingsMenuPanel::_remeasure()
{
    // The first pass gives the selector the full 300 px to lay its content out in, the second
    // reads the height it settled on.
    resized();
    resized();

    if (auto* tab = dynamic_cast<MenuTabBase*> (getParentComponent()))
        tab->updatePanels (false);
}
