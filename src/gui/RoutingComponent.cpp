#include "RoutingComponent.h"

#include "audio/LogicalChannelTables.h"
#include "audio/StandaloneProcessor.h"

namespace
{
/** The input count the channel mapping is checked against: the input side's count of active
    inputs. A processor without an input side has no inputs, so nothing is written. */
int activeInputsOf (UsbPluginAudioProcessor* processor)
{
    if (auto* standalone = dynamic_cast<StandaloneProcessor*> (processor))
        return standalone->numActiveInputs.load();

    return 0;
}

juce::AudioIODevice* currentInputDeviceOf (UsbPluginAudioProcessor* processor)
{
    if (auto* standalone = dynamic_cast<StandaloneProcessor*> (processor))
        return standalone->inputDeviceManager.getCurrentAudioDevice();

    return nullptr;
}

void initWhiteLabel (juce::Label& label)
{
    label.setJustificationType (juce::Justification::centredLeft);
    label.setEditable (false);
    label.setColour (juce::Label::textColourId, juce::Colour (0xffffffff));
}
} // namespace

//==============================================================================
InputChannelRow::InputChannelRow (UsbPluginAudioProcessor* processorToUse, IntListAttribute* mappingToEdit,
                                  int logicalChannel, size_t indexInMode)
    : processor (processorToUse), mapping (mappingToEdit), rowIndex (indexInMode)
{
    owner = this;
    rowHeight = 30;

    const auto k = (size_t) logicalChannel;
    const juce::String labelText (LogicalChannelLabels[k].c_str());

    label = new juce::Label (labelText, labelText);
    label->setTooltip (juce::String (LogicalChannelDescriptions[k].c_str()));
    initWhiteLabel (*label);

    comboBox = new juce::ComboBox ("InputChannelComboBox" + juce::String (logicalChannel));
    initializeInputChannels();

    addAndMakeVisible (label);
    addAndMakeVisible (comboBox);
    comboBox->addListener (this);

    if (mapping != nullptr)
        mapping->addAttributeObserver (this);
}

InputChannelRow::~InputChannelRow()
{
    for (int i = getNumChildComponents(); --i >= 0;)
    {
        auto* child = getChildComponent (i);
        removeChildComponent (i);
        delete child;
    }

    label = nullptr;
    comboBox = nullptr;

    if (mapping != nullptr)
        mapping->removeAttributeObserver (this);
}

int InputChannelRow::_idForMappingEntry() const
{
    if (mapping == nullptr || rowIndex >= mapping->size())
        return 0;

    const int entry = (*mapping)[rowIndex];
    return juce::isPositiveAndBelow (entry, (int) numInputChannels) ? entry + 1 : 0;
}

void InputChannelRow::initializeInputChannels()
{
    auto* device = currentInputDeviceOf (processor);

    if (device == nullptr || comboBox == nullptr)
        return;

    const auto names = device->getInputChannelNames();
    const auto active = device->getActiveInputChannels();
    numInputChannels = (size_t) active.countNumberOfSetBits();

    comboBox->clear (juce::dontSendNotification);

    const auto itemText = juce::translate ("Input channel");
    int channel = -1;

    for (int n = 1; n <= (int) numInputChannels; ++n)
    {
        channel = active.findNextSetBit (channel + 1);
        comboBox->addItem (itemText + " " + juce::String (n) + " (" + names[channel] + ")", n);
    }

    // The list was just cleared, so a valid entry always changes the selection: every fill
    // leads to one later comboBoxChanged, which leaves the mapping as it is and tells the
    // observers.
    comboBox->setSelectedId (_idForMappingEntry(), juce::sendNotificationAsync);
}

void InputChannelRow::comboBoxChanged (juce::ComboBox* comboBoxThatHasChanged)
{
    if (comboBoxThatHasChanged != comboBox || processor == nullptr || mapping == nullptr
        || rowIndex >= mapping->size())
        return;

    // No item selected (the entry had no item): there is no choice to apply.
    const int selected = comboBox->getSelectedItemIndex();
    if (selected < 0)
        return;

    // The entry that has the chosen input takes this row's old one, both in one step, and only
    // if the mapping then still names each active input once. Without active inputs nothing is
    // routed, so nothing is chosen.
    auto* mappingToNotify = mapping;

    if (const int numActive = activeInputsOf (processor); numActive > 0)
        processor->swapChannelMappingEntries (rowIndex, selected, numActive);

    // An observer may rebuild the rows and delete this one, so nothing of it is used after this.
    mappingToNotify->notifyObservers();
}

void InputChannelRow::onAttributeChanged (AttributeChangedEvent& event)
{
    if (mapping == nullptr || comboBox == nullptr || event.changedAttribute != mapping)
        return;

    comboBox->setSelectedId (_idForMappingEntry(), juce::dontSendNotification);
}

void InputChannelRow::detachAttribute (juce::WeakReference<Attribute> attribute)
{
    AttributeObserver::detachAttribute (attribute);

    // The mapping belongs to the processor: when it goes, both go.
    if (mapping != nullptr && attribute.get() == static_cast<Attribute*> (mapping))
    {
        mapping = nullptr;
        processor = nullptr;
    }
}

void InputChannelRow::updateTranslation()
{
    if (comboBox != nullptr)
        comboBox->setTooltip (juce::translate ("tt_inputRouting"));

    initializeInputChannels();
}

void InputChannelRow::resized()
{
    if (label != nullptr)
        label->setBounds (22, 0, 160, rowHeight);

    if (comboBox != nullptr)
        comboBox->setBounds (180, 0, juce::jmax (0, getWidth() - 192), rowHeight);
}

//==============================================================================
RoutingComponent::RoutingComponent (UsbPluginAudioProcessor* processorToUse, IntListAttribute* mappingToEdit)
    : processor (processorToUse), mapping (mappingToEdit)
{
    owner = this;
    initialize();
}

RoutingComponent::~RoutingComponent()
{
    _deleteAllChildren();
}

void RoutingComponent::_deleteAllChildren()
{
    for (int i = getNumChildComponents(); --i >= 0;)
    {
        auto* child = getChildComponent (i);
        removeChildComponent (i);
        delete child;
    }

    headingLabel = nullptr;
}

void RoutingComponent::initialize()
{
    _deleteAllChildren();

    if (processor != nullptr)
    {
        const auto channels = processor->getLogicalChannelsUnmapped();

        for (size_t i = 0; i < channels.size(); ++i)
        {
            if (! juce::isPositiveAndBelow (channels[i], numLogicalChannels))
                continue;

            addAndMakeVisible (new InputChannelRow (processor, mapping, channels[i], i));
        }
    }

    const juce::String heading (mapping != nullptr ? mapping->displayName.c_str() : L"");
    headingLabel = new juce::Label ("InputRoutingLabel", heading);
    addAndMakeVisible (headingLabel);
    initWhiteLabel (*headingLabel);

    resize (getY(), getWidth());
}

int RoutingComponent::resize (int y, int width)
{
    if (headingLabel != nullptr)
        headingLabel->setBounds (8, 0, 180, 36);

    int top = 36, total = 48;

    for (auto* child : getChildren())
    {
        auto* row = dynamic_cast<InputChannelRow*> (child);
        if (row == nullptr)
            break;

        row->setBounds (0, top, width, row->rowHeight);
        top += row->rowHeight;
        total += row->rowHeight;
    }

    setBounds (0, y, width, total + 10);
    return total + 12;
}

void RoutingComponent::saveState()
{
    if (mapping != nullptr)
        mapping->saveState();
}

void RoutingComponent::restoreState()
{
    if (mapping == nullptr || processor == nullptr)
        return;

    // Through the processor's writer, so that the audio thread's copy follows; a revert point
    // the current input cannot take leaves the mapping as it is.
    if (const int numActive = activeInputsOf (processor); numActive > 0)
        processor->setChannelMapping (mapping->savedList, numActive);

    mapping->notifyObservers();
}

void RoutingComponent::onAttributeChanged (AttributeChangedEvent&)
{
    initialize();
}
