#pragma once

#include "MenuPanelComponentBase.h"

class RoutingComponent;
class UsbPluginAudioProcessor;

/** The body of the Audio tab's "Audio Routing" panel: the routing editor for the processor's
    channel mapping. The editor rebuilds it through updateWholePanelContent after every change of
    the input device. Message thread only. */
class AudioRoutingMenuPanel : public MenuPanelComponentBase
{
public:
    /** @param processor  not owned, outlives the panel. Null: no routing editor is shown. */
    explicit AudioRoutingMenuPanel (UsbPluginAudioProcessor* processor);
    ~AudioRoutingMenuPanel() override;

    void resized() override;
    void paintOverChildren (juce::Graphics& g) override;
    /** Builds the rows anew for the processor's current channel mode and measures the panel. */
    void updateWholePanelContent() override;
    void discardPanelChanges() override;

    UsbPluginAudioProcessor* processor = nullptr;
    RoutingComponent* routingComponent = nullptr;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioRoutingMenuPanel)
};
