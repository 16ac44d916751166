#include "LabeledMenuComponent.h"

#include "MenuComponentBase.h"

LabeledMenuComponent::LabeledMenuComponent (const juce::String& caption, const juce::String& value)
{
    owner = this;
    _initLabel (0, caption);
    _initLabel (1, value);
}

LabeledMenuComponent::~LabeledMenuComponent()
{
    for (int i = getNumChildComponents(); --i >= 0;)
    {
        auto* child = getChildComponent (i);
        removeChildComponent (i);
        delete child;
    }

    labels[0] = nullptr;
    labels[1] = nullptr;
}

void LabeledMenuComponent::updateTranslation()
{
    TranslatableComponent<LabeledMenuComponent*>::updateTranslation();

    for (unsigned long i = 0; i < 2; ++i)
        if (labels[i] != nullptr)
            labels[i]->setText (juce::translate (untranslatedTexts[i]), juce::dontSendNotification);
}

void LabeledMenuComponent::setTranslatableTooltip (const juce::String& text)
{
    for (int i = 0; i < getNumChildComponents(); ++i)
        if (auto* child = dynamic_cast<TranslatableComponentBase*> (getChildComponent (i)))
            child->setTranslatableTooltip (text);
}

void LabeledMenuComponent::_initLabel (unsigned long index, const juce::String& text)
{
    untranslatedTexts[index] = text;

    auto* label = new juce::Label (text, juce::translate (text));
    labels[index] = label;
    label->setJustificationType (juce::Justification::centredLeft);
    label->setEditable (false, false, false);
    label->setWantsKeyboardFocus (false);
    label->setColour (juce::Label::textColourId, juce::Colour (0xffffffff));
    addAndMakeVisible (label);
}

int LabeledMenuComponent::resize (int y, int width)
{
    int height = defaultRowHeight;

    if (getNumChildComponents() == 2)
    {
        auto* second = getChildComponent (1);
        if (auto* row = dynamic_cast<MenuComponentBase*> (second))
        {
            second->setBounds (180, 0, width - 192, row->rowHeight);
            height = juce::jmax (defaultRowHeight, row->rowHeight);
        }
    }

    if (labels[0] != nullptr)
        labels[0]->setBounds (8, 0, 160, height);

    if (labels[1] != nullptr)
        labels[1]->setBounds (180, 0, width - 192, height);

    setBounds (0, y, width, height);
    return height + rowSpacing;
}
