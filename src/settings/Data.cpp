#include "Data.h"

Data::~Data()
{
    for (auto& entry : attributes)
        if (auto* attribute = entry.get())
            attribute->removeAttributeObserver (this);

    attributes.clear();
}

void Data::save (XmlNode* parent)
{
    for (auto& entry : attributes)
        if (auto* attribute = entry.get())
            attribute->save (parent);
}

void Data::load (XmlNode* parent)
{
    for (auto& entry : attributes)
        if (auto* attribute = entry.get())
            attribute->load (parent);
}

void Data::addAttributeObserver (juce::WeakReference<AttributeObserver> observer)
{
    for (auto& entry : attributes)
        if (auto* attribute = entry.get())
            attribute->addAttributeObserver (observer);
}

void Data::removeAttributeObserver (juce::WeakReference<AttributeObserver> observer)
{
    for (auto& entry : attributes)
        if (auto* attribute = entry.get())
            attribute->removeAttributeObserver (observer);
}
