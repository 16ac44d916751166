#include "BoolAttribute.h"

#include "FastXml.h"

namespace
{
    std::wstring _toText (bool value)
    {
        return value ? L"1" : L"0";
    }
}

void BoolAttribute::setValue (bool newValue)
{
    if (newValue == value)
        return;

    {
        const juce::ScopedWriteLock sl (lock);
        value = newValue;
    }

    notifyObservers();
}

std::wstring BoolAttribute::getDisplayValue() const
{
    const juce::ScopedReadLock sl (lock);
    return value ? L"on" : L"off";
}

void BoolAttribute::save (XmlNode* parent)
{
    const juce::ScopedWriteLock sl (lock);
    xmlAddTextNode (parent, key, _toText (value));
}

void BoolAttribute::load (XmlNode* parent)
{
    const juce::ScopedWriteLock sl (lock);
    value = xmlGetText (parent, key, _toText (value)) == L"1";
    saveState();
}

void BoolAttribute::saveState()
{
    savedValue = value;
}

void BoolAttribute::restoreState()
{
    if (savedValue == value)
        return;

    {
        const juce::ScopedWriteLock sl (lock);
        value = savedValue;
    }

    notifyObservers();
}
