#pragma once

#include "MenuPanelComponentBase.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_audio_utils/juce_audio_utils.h>

/** The body of the Audio tab's "Audio Setup" panel: the framework's device selector, which edits
    the input side's device manager directly (device type, input device, active inputs, sample
    rate, buffer size). The selector changes its own height with its content, so the panel
    measures it again 100 ms after every change of the manager and has its tab restack the
    panels. Message thread only. */
class AudioSettingsMenuPanel : public MenuPanelComponentBase,
                               public juce::ChangeListener
{
public:
    /** @param deviceManager  the input side's device manager; not owned, it outlives the panel.
                              Null: no selector is shown. */
    explicit AudioSettingsMenuPanel (juce::AudioDeviceManager* deviceManager);
    ~AudioSettingsMenuPanel() override;

    void resized() override;
    void paintOverChildren (juce::Graphics& g) override;
    void updateWholePanelContent() override;
    void discardPanelChanges() override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    static constexpr int remeasureDelayMs = 100;

    juce::AudioDeviceManager* deviceManager = nullptr;
    juce::AudioDeviceSelectorComponent* deviceSelector = nullptr;

private:
    void _remeasure();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioSettingsMenuPanel)
};
