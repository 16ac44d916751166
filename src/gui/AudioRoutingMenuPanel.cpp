#include "AudioRoutingMenuPanel.h"

#include "RoutingComponent.h"

#include "audio/UsbPluginAudioProcessor.h"

AudioRoutingMenuPanel::AudioRoutingMenuPanel (UsbPluginAudioProcessor* processorToUse)
    : processor (processorToUse)
{
    if (processor != nullptr)
    {
        routingComponent = new RoutingComponent (processor, &processor->channelMapping);
        addAndMakeVisible (routingComponent);
    }

    resized();
}

AudioRoutingMenuPanel::~AudioRoutingMenuPanel()
{
    for (int i = getNumChildComponents(); --i >= 0;)
    {
        auto* child = getChildComponent (i);
        removeChildComponent (i);
        delete child;
    }

    routingComponent = nullptr;
}

void AudioRoutingMenuPanel::resized()
{
    openHeight = routingComponent != nullptr ? routingComponent->resize (12, getWidth()) + 12 : 312;
}

void AudioRoutingMenuPanel::paintOverChildren (juce::Graphics&) {}

void AudioRoutingMenuPanel::updateWholePanelContent()
{
    if (routingComponent != nullptr)
        routingComponent->initialize();

    resized();
}

void AudioRoutingMenuPanel::discardPanelChanges() {}
