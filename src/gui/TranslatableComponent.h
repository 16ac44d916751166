#pragma once

#include "TranslatableComponentBase.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <type_traits>

/** The usual translatable component: a base of a component class T that is also a
    juce::SettableTooltipClient. T's constructor sets `owner` to itself. A pass translates the
    owner's tooltip and then reaches the owner's direct children that are translatable; a
    translatable component below a plain one is not reached. Message thread only. */
template <typename OwnerPointer>
class TranslatableComponent : public TranslatableComponentBase
{
    static_assert (std::is_pointer_v<OwnerPointer>, "the template argument is the owner's pointer type");

public:
    void updateTranslation() override
    {
        if (owner == nullptr)
            return;

        owner->setTooltip (juce::translate (untranslatedTooltip));

        for (int i = 0; i < owner->getNumChildComponents(); ++i)
            if (auto* child = dynamic_cast<TranslatableComponentBase*> (owner->getChildComponent (i)))
                child->updateTranslation();
    }

    void setTranslatableTooltip (const juce::String& text) override
    {
        untranslatedTooltip = text;

        if (owner != nullptr)
            owner->setTooltip (juce::translate (text));
    }

    OwnerPointer owner = nullptr;
    juce::String untranslatedTooltip;
};
