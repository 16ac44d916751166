#pragma once

#include "MenuTabBase.h"

class AudioRoutingMenuPanel;
class AudioSettingsMenuPanel;
class StandaloneProcessor;

/** The settings window's "Audio" tab: "Audio Setup" (`AudioSettingsMenuPanel`, the input
    device) above "Audio Routing" (`AudioRoutingMenuPanel`, the channel mapping), each under its
    head. Built and deleted by the settings window. Message thread only. */
class AudioSettingsMenuTab : public MenuTabBase
{
public:
    /** @param processor  the input side whose device manager and mapping the panels edit; null
                          when the application's processor is not an input side, and then both
                          panels stay empty. */
    explicit AudioSettingsMenuTab (StandaloneProcessor* processor);
    ~AudioSettingsMenuTab() override;

    void updateTabTooltips() override;

    AudioSettingsMenuPanel* getSetupPanel() const;
    AudioRoutingMenuPanel* getRoutingPanel() const;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioSettingsMenuTab)
};
