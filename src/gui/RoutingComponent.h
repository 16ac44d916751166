#pragma once

#include "AttributeControllerBase.h"
#include "MenuComponentBase.h"
#include "TranslatableComponent.h"

#include "settings/IntListAttribute.h"

#include <juce_gui_basics/juce_gui_basics.h>

class UsbPluginAudioProcessor;

/** One row of the routing editor: the short label of a logical channel and the list of the
    input device's active channels that may feed it. Choosing an input swaps two entries of the
    channel mapping, so the mapping stays a permutation; every row observes the mapping and shows
    its own entry. Built only by RoutingComponent::initialize. Message thread only. */
class InputChannelRow : public MenuComponentBase,
                        public juce::Component,
                        public juce::SettableTooltipClient,
                        public TranslatableComponent<InputChannelRow*>,
                        public juce::ComboBox::Listener,
                        public AttributeObserver
{
public:
    /** The row for logical channel `logicalChannel` (an index into the label tables), editing
        mapping entry `rowIndex`; registers itself with the mapping. */
    InputChannelRow (UsbPluginAudioProcessor* processor, IntListAttribute* mapping,
                     int logicalChannel, size_t rowIndex);
    ~InputChannelRow() override;

    /** Fills the list from the current input device and selects the row's mapping entry, with
        an asynchronous change notification. Without a device the list stays as it was. */
    void initializeInputChannels();

    void comboBoxChanged (juce::ComboBox* comboBoxThatHasChanged) override;
    void onAttributeChanged (AttributeChangedEvent& event) override;
    void detachAttribute (juce::WeakReference<Attribute> attribute) override;
    void updateTranslation() override;
    void resized() override;

    /** Not owned; both become null when the mapping goes before the row. */
    UsbPluginAudioProcessor* processor = nullptr;
    IntListAttribute* mapping = nullptr;
    size_t rowIndex = 0;
    /** Items in the list: the active input channels when it was last filled. */
    size_t numInputChannels = 0;
    juce::Label* label = nullptr;
    juce::ComboBox* comboBox = nullptr;

private:
    /** The item id that shows the row's mapping entry; 0 (no selection) when there is none. */
    int _idForMappingEntry() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InputChannelRow)
};

/** The routing editor: a heading and one InputChannelRow per logical channel of the processor's
    current channel mode. The embedding panel calls initialize() after every input-device change
    and resize() to lay it out. Message thread only. */
class RoutingComponent : public juce::Component,
                         public juce::SettableTooltipClient,
                         public TranslatableComponent<RoutingComponent*>,
                         public AttributeControllerBase
{
public:
    /** Neither is owned; both outlive the component. Builds the rows at once. */
    RoutingComponent (UsbPluginAudioProcessor* processor, IntListAttribute* mapping);
    ~RoutingComponent() override;

    /** Deletes every child and builds the rows for the current channel mode and the heading
        anew, then lays them out at the current y and width. */
    void initialize();

    /** Places the heading and the rows and sets the own bounds to (0, y, width, ...).
        @returns the height the embedding panel reserves for the component. */
    int resize (int y, int width);

    void saveState() override;
    void restoreState() override;

    /** Rebuilds the rows, whatever changed. */
    void onAttributeChanged (AttributeChangedEvent& event) override;

    UsbPluginAudioProcessor* processor = nullptr;
    IntListAttribute* mapping = nullptr;
    /** The last child; null before the first build. */
    juce::Label* headingLabel = nullptr;

private:
    void _deleteAllChildren();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RoutingComponent)
};
