#include "AttributeObserver.h"

#include "Attribute.h"

void AttributeObserver::detachAttribute (juce::WeakReference<Attribute> attribute)
{
    if (auto* setting = attribute.get())
        setting->removeAttributeObserver (this);
}

AttributeObserver::~AttributeObserver()
{
    masterReference.clear();
}
