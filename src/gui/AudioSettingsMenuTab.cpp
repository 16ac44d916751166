#include "AudioSettingsMenuTab.h"

#include "AudioRoutingMenuPanel.h"
#include "AudioSettingsMenuPanel.h"
#include "PanelHead.h"

#include "audio/StandaloneProcessor.h"

AudioSettingsMenuTab::AudioSettingsMenuTab (StandaloneProcessor* processor)
{
    setName ("Audio");

    heads[0] = new PanelHead ("Audio Setup");
    addAndMakeVisible (heads[0]);
    heads[0]->addListener (this);

    panels[0] = new AudioSettingsMenuPanel (processor != nullptr ? &processor->inputDeviceManager : nullptr);
    addAndMakeVisible (panels[0]);

    heads[1] = new PanelHead ("Audio Routing");
    addAndMakeVisible (heads[1]);
    heads[1]->addListener (this);

    panels[1] = new AudioRoutingMenuPanel (processor);
    addAndMakeVisible (panels[1]);
    numPanels = 2;
}

AudioSettingsMenuTab::~AudioSettingsMenuTab()
{
    for (int i = 0; i < numPanels; ++i)
    {
        delete panels[i];
        panels[i] = nullptr;
        delete heads[i];
        heads[i] = nullptr;
    }
}

void AudioSettingsMenuTab::updateTabTooltips()
{
    heads[0]->setTooltip (juce::translate ("tt_audiosettings"));
    heads[1]->setTooltip (juce::translate ("tt_audiorouting"));
}

AudioSettingsMenuPanel* AudioSettingsMenuTab::getSetupPanel() const
{
    return dynamic_cast<AudioSettingsMenuPanel*> (panels[0]);
}

AudioRoutingMenuPanel* AudioSettingsMenuTab::getRoutingPanel() const
{
    return dynamic_cast<AudioRoutingMenuPanel*> (panels[1]);
}
